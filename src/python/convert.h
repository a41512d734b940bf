// Conversions between Python values and the C values the routines take.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string>
#include <vector>

namespace kalpy {

// Scalar arguments; each returns false with a Python exception set.
bool to_int(PyObject* o, int& out);
bool to_float(PyObject* o, float& out);
// str (Latin-1, unencodable characters become '?') or bytes as they are.
bool to_cstring(PyObject* o, std::string& out);

PyObject* from_cstring(const char* s);  // decoded Latin-1

// Sequence conversions. On failure they return false and describe the
// exception in `error` (type and message) without setting it, so that a
// wrapper can convert every sequence and raise the last failure.
struct ConversionError {
    PyObject* type = nullptr;
    std::string message;
    bool set(PyObject* t, const char* m) {
        type = t;
        message = m;
        return false;
    }
    void raise() const { PyErr_SetString(type, message.c_str()); }
};

bool float_vector(PyObject* o, Py_ssize_t n, std::vector<float>& out, ConversionError& err);
bool int_vector(PyObject* o, Py_ssize_t n, std::vector<int>& out, ConversionError& err);
// A sequence of rows or a flat sequence holding at least n values, stored
// row after row (all L x R values are kept).
bool float_matrix(PyObject* o, Py_ssize_t n, std::vector<float>& out, ConversionError& err);

// Replaces the first k items of `o` by new float or int objects.
void write_back(PyObject* o, const float* values, Py_ssize_t k);
void write_back(PyObject* o, const int* values, Py_ssize_t k);

}  // namespace kalpy
