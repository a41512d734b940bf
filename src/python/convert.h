// Conversions between Python values and the C values the routines take.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>
#include <vector>

#include "util/large_arrays.h"

namespace kalpy {

// The arrays a call converts (a million points in huge pages).
template <typename T>
using Array = kal::LargeArray<T>;

// Scalar arguments; each returns false with a Python exception set.
bool to_int(PyObject* o, int& out);
bool to_float(PyObject* o, float& out);
// Text: str (Latin-1; any other character raises UnicodeEncodeError naming
// the routine) or bytes as they are.
bool to_text(const char* routine, PyObject* o, std::string& out);
// File names: str through os.fsencode, bytes, or a path-like object.
bool to_filename(PyObject* o, std::string& out);

PyObject* from_text(const char* s);
// Sizes a text buffer; false with MemoryError(message) when that fails.
bool sized_buffer(const char* message, std::vector<char>& buffer, size_t size);      // decoded Latin-1
PyObject* from_filename(const char* s);  // decoded as os.fsdecode does

// The sequence arguments of one call. Each conversion runs whether or not
// an earlier one failed; ok() raises the last failure.
class Sequences {
public:
    // The first n items of a sequence (list, tuple, numpy array, any buffer).
    void floats(PyObject* o, Py_ssize_t n, Array<float>& out);
    void ints(PyObject* o, Py_ssize_t n, Array<int>& out);
    // A sequence of rows or a flat sequence holding at least n values, kept
    // row after row (all of its values).
    void matrix(PyObject* o, Py_ssize_t n, Array<float>& out);
    // An array of three dimensions holding at least n values: nested three
    // deep, flat, or a numeric buffer of up to three dimensions (any
    // strides), item [i][j][k] after [i][j][k-1] (all of its values).
    void array3(PyObject* o, Py_ssize_t n, Array<float>& out);
    bool ok() const;

    // A failure: the exception type and message (set, not yet raised).
    struct Error {
        PyObject* type = nullptr;
        const char* message = "";
    };

private:
    Error last_;
};

// a * b * c, or PY_SSIZE_T_MAX (more than any sequence holds) when that
// overflows.
Py_ssize_t product3(Py_ssize_t a, Py_ssize_t b, Py_ssize_t c);

// Stores the first k values into the sequence after the call: item by item
// (new float or int objects), straight into a writable numeric buffer, and
// for a matrix into its rows, row after row. Integer buffers saturate at
// their type's limits. Items that cannot be assigned are left as they are.
void write_back(PyObject* o, const float* values, Py_ssize_t k, bool matrix);
void write_back(PyObject* o, const int* values, Py_ssize_t k, bool matrix);

}  // namespace kalpy
