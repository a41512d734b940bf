#include "convert.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace kalpy {

namespace {

using Error = Sequences::Error;

bool fail(Error& err, PyObject* type, const char* message) {
    err.type = type;
    err.message = message;
    return false;
}

const char* const NO_FLOAT = "no floatingpoint element in sequence";
const char* const NO_INT = "no integer element in sequence";

// ---- numpy scalars --------------------------------------------------------
// numpy scalars count as the Python numbers they stand for: numpy.integer,
// numpy.floating and numpy.bool_ do, complex numbers, dates, times and
// structured items do not. The types are looked up once numpy is loaded.

struct NumpyTypes {
    PyObject* integer = nullptr;
    PyObject* floating = nullptr;
    PyObject* boolean = nullptr;
    PyObject* timedelta = nullptr;
    bool loaded = false;
};

const NumpyTypes& numpy_types() {
    static NumpyTypes t;
    if (t.loaded) return t;
    PyObject* name = PyUnicode_FromString("numpy");
    PyObject* module = name ? PyImport_GetModule(name) : nullptr;
    Py_XDECREF(name);
    if (!module) {
        PyErr_Clear();
        return t;  // not imported (yet): no numpy scalars can exist
    }
    t.integer = PyObject_GetAttrString(module, "integer");
    t.floating = PyObject_GetAttrString(module, "floating");
    t.boolean = PyObject_GetAttrString(module, "bool_");
    t.timedelta = PyObject_GetAttrString(module, "timedelta64");
    Py_DECREF(module);
    PyErr_Clear();
    t.loaded = true;
    return t;
}

bool is_numpy_scalar(PyObject* o) {
    return std::strncmp(Py_TYPE(o)->tp_name, "numpy.", 6) == 0;
}

// A row of a matrix: a sequence, but not a numpy scalar (a structured item
// is indexable by its fields, yet one item).
bool is_row(PyObject* o) { return PySequence_Check(o) && !is_numpy_scalar(o); }

bool instance(PyObject* o, PyObject* type) {
    if (!type) return false;
    const int r = PyObject_IsInstance(o, type);
    if (r < 0) PyErr_Clear();
    return r == 1;
}

// 0: not a numeric numpy scalar, 1: integer, 2: floating point or bool.
int numpy_number(PyObject* o) {
    if (!is_numpy_scalar(o)) return 0;
    const NumpyTypes& t = numpy_types();
    if (instance(o, t.timedelta)) return 0;
    if (instance(o, t.integer)) return 1;
    if (instance(o, t.floating) || instance(o, t.boolean)) return 2;
    return 0;
}

bool int32_from_long(PyObject* num, int& out, Error* err) {
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(num, &overflow);
    if (v == -1 && PyErr_Occurred()) {
        PyErr_Clear();
        overflow = 1;
    }
    const char* message = nullptr;
    if (overflow > 0 || (overflow == 0 && v > INT_MAX)) message = "signed integer is greater than maximum";
    if (overflow < 0 || (overflow == 0 && v < INT_MIN)) message = "signed integer is less than minimum";
    if (message) {
        if (err) return fail(*err, PyExc_OverflowError, message);
        PyErr_SetString(PyExc_OverflowError, message);
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

// ---- items ------------------------------------------------------------------

bool item_value(PyObject* item, float& out, Error& err) {
    double v;
    if (PyFloat_Check(item)) {
        v = PyFloat_AS_DOUBLE(item);
    } else if (PyLong_Check(item) || numpy_number(item)) {
        v = PyLong_Check(item) ? PyLong_AsDouble(item) : PyFloat_AsDouble(item);
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return fail(err, PyExc_OverflowError, "int too large to convert to float");
        }
    } else {
        return fail(err, PyExc_ValueError, NO_FLOAT);
    }
    out = static_cast<float>(v);
    return true;
}

bool item_value(PyObject* item, int& out, Error& err) {
    if (PyLong_Check(item)) return int32_from_long(item, out, &err);
    if (numpy_number(item) == 1) {
        PyObject* num = PyNumber_Index(item);
        if (!num) {
            PyErr_Clear();
            return fail(err, PyExc_ValueError, NO_INT);
        }
        bool ok = int32_from_long(num, out, &err);
        Py_DECREF(num);
        return ok;
    }
    return fail(err, PyExc_ValueError, NO_INT);
}

// ---- numeric buffers ------------------------------------------------------

// A numeric buffer (numpy array, array.array, memoryview ...), or nothing.
struct NumericBuffer {
    Py_buffer view{};
    bool held = false;
    char code = 0;
    ~NumericBuffer() {
        if (held) PyBuffer_Release(&view);
    }
    bool acquire(PyObject* o, bool writable) {
        if (!PyObject_CheckBuffer(o)) return false;
        int flags = PyBUF_RECORDS_RO | (writable ? PyBUF_WRITABLE : 0);
        if (PyObject_GetBuffer(o, &view, flags) != 0) {
            PyErr_Clear();
            return false;
        }
        held = true;
        const char* f = view.format ? view.format : "B";
        if (*f == '@') ++f;
        if (f[0] == '\0' || f[1] != '\0' || !std::strchr("bBhHiIlLqQfd?", f[0])) return false;
        if (view.ndim < 1) return false;
        code = f[0];
        return true;
    }
    bool is_float() const { return code == 'f' || code == 'd'; }
    Py_ssize_t count() const {
        Py_ssize_t n = 1;
        for (int d = 0; d < view.ndim; ++d) n *= view.shape[d];
        return n;
    }
    // Element k in row-major order.
    char* element(Py_ssize_t k) const {
        char* p = static_cast<char*>(view.buf);
        for (int d = view.ndim - 1; d >= 0; --d) {
            const Py_ssize_t extent = view.shape[d];
            p += (k % extent) * view.strides[d];
            k /= extent;
        }
        return p;
    }
    template <typename T>
    static double get(const char* p) {
        T v;
        std::memcpy(&v, p, sizeof v);
        return static_cast<double>(v);
    }
    double read(Py_ssize_t k) const {
        const char* p = element(k);
        switch (code) {
            case 'b': return get<signed char>(p);
            case 'B': return get<unsigned char>(p);
            case '?': return get<bool>(p);
            case 'h': return get<short>(p);
            case 'H': return get<unsigned short>(p);
            case 'i': return get<int>(p);
            case 'I': return get<unsigned int>(p);
            case 'l': return get<long>(p);
            case 'L': return get<unsigned long>(p);
            case 'q': return get<long long>(p);
            case 'Q': return get<unsigned long long>(p);
            case 'f': return get<float>(p);
            default: return get<double>(p);
        }
    }
    // Integer targets saturate at their limits (NaN gives 0).
    template <typename T>
    static void put(char* p, double v) {
        T out;
        if constexpr (std::is_floating_point_v<T>) {
            out = static_cast<T>(v);
        } else if (std::isnan(v)) {
            out = 0;
        } else if (v <= static_cast<double>(std::numeric_limits<T>::min())) {
            out = std::numeric_limits<T>::min();
        } else if (v >= static_cast<double>(std::numeric_limits<T>::max())) {
            out = std::numeric_limits<T>::max();
        } else {
            out = static_cast<T>(v);
        }
        std::memcpy(p, &out, sizeof out);
    }
    void write(Py_ssize_t k, double v) const {
        char* p = element(k);
        switch (code) {
            case 'b': return put<signed char>(p, v);
            case 'B': return put<unsigned char>(p, v);
            case '?': return put<bool>(p, v != 0.0);
            case 'h': return put<short>(p, v);
            case 'H': return put<unsigned short>(p, v);
            case 'i': return put<int>(p, v);
            case 'I': return put<unsigned int>(p, v);
            case 'l': return put<long>(p, v);
            case 'L': return put<unsigned long>(p, v);
            case 'q': return put<long long>(p, v);
            case 'Q': return put<unsigned long long>(p, v);
            case 'f': return put<float>(p, v);
            default: return put<double>(p, v);
        }
    }
};

template <typename T>
bool allocate(Array<T>& out, Py_ssize_t n, Error& err) {
    try {
        out.assign(static_cast<size_t>(n), T{});
    } catch (const std::bad_alloc&) {
        return fail(err, PyExc_MemoryError, "out of memory");
    } catch (const std::length_error&) {
        return fail(err, PyExc_MemoryError, "out of memory");
    }
    return true;
}

bool sequence_length(PyObject* o, Py_ssize_t& len, Error& err) {
    if (!PySequence_Check(o)) return fail(err, PyExc_ValueError, "parameter is not a sequence");
    len = PySequence_Size(o);
    if (len < 0) {
        PyErr_Clear();
        return fail(err, PyExc_ValueError, "sequence has no length");
    }
    return true;
}

// Items [0, n) of a flat sequence into out[at ...]. `fetch_error` is the
// exception of a failing item fetch.
template <typename T>
bool convert_items(PyObject* o, Py_ssize_t n, T* out, PyObject* fetch_error, Error& err) {
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* item = PySequence_GetItem(o, i);
        if (!item) {
            PyErr_Clear();
            return fail(err, fetch_error, "sequence error");
        }
        bool ok = item_value(item, out[i], err);
        Py_DECREF(item);
        if (!ok) return false;
    }
    return true;
}

// The vector conversion of floats and ints.
template <typename T>
bool vector(PyObject* o, Py_ssize_t n, Array<T>& out, Error& err) {
    constexpr bool is_int = std::is_same_v<T, int>;
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim == 1) {
        if (buf.view.shape[0] < n) return fail(err, PyExc_MemoryError, "out of range");
        if (is_int && buf.is_float()) return fail(err, PyExc_ValueError, NO_INT);
        if (!allocate(out, n, err)) return false;
        if constexpr (!is_int) {
            // Arrays of doubles or floats (numpy's): one strided pass.
            if (buf.code == 'd' || buf.code == 'f') {
                const char* p = static_cast<const char*>(buf.view.buf);
                const Py_ssize_t step = buf.view.strides[0];
                for (Py_ssize_t i = 0; i < n; ++i, p += step)
                    out[i] = static_cast<T>(buf.code == 'd' ? NumericBuffer::get<double>(p)
                                                            : NumericBuffer::get<float>(p));
                return true;
            }
        }
        for (Py_ssize_t i = 0; i < n; ++i) {
            const double v = buf.read(i);
            if constexpr (is_int) {
                if (v > INT_MAX) return fail(err, PyExc_OverflowError, "signed integer is greater than maximum");
                if (v < INT_MIN) return fail(err, PyExc_OverflowError, "signed integer is less than minimum");
            }
            out[i] = static_cast<T>(v);
        }
        return true;
    }
    Py_ssize_t len;
    if (!sequence_length(o, len, err)) return false;
    if (len < n) return fail(err, PyExc_MemoryError, "out of range");
    if (!allocate(out, n, err)) return false;
    return convert_items(o, n, out.data(), is_int ? PyExc_MemoryError : PyExc_ValueError, err);
}

bool matrix(PyObject* o, Py_ssize_t n, Array<float>& out, Error& err) {
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim <= 2) {
        const Py_ssize_t total = buf.count();
        if (total < n) return fail(err, PyExc_MemoryError, "out of range");
        if (!allocate(out, total, err)) return false;
        for (Py_ssize_t k = 0; k < total; ++k) out[k] = static_cast<float>(buf.read(k));
        return true;
    }
    Py_ssize_t rows;
    if (!sequence_length(o, rows, err)) return false;
    if (rows == 0) return n > 0 ? fail(err, PyExc_MemoryError, "out of range") : true;
    Py_ssize_t row_len = 1;
    PyObject* first = PySequence_GetItem(o, 0);
    if (!first) {
        PyErr_Clear();
        return fail(err, PyExc_ValueError, "sequence error");
    }
    if (is_row(first)) {
        row_len = PySequence_Size(first);
        if (row_len < 0) PyErr_Clear();
    }
    Py_DECREF(first);
    if (row_len < 0) return fail(err, PyExc_ValueError, "sequence has no length");
    if (row_len > 0 && rows > PY_SSIZE_T_MAX / row_len) return fail(err, PyExc_MemoryError, "out of memory");
    if (rows * row_len < n) return fail(err, PyExc_MemoryError, "out of range");
    if (!allocate(out, rows * row_len, err)) return false;
    for (Py_ssize_t i = 0; i < rows; ++i) {
        PyObject* row = PySequence_GetItem(o, i);
        if (!row) {
            PyErr_Clear();
            return fail(err, PyExc_ValueError, "sequence error");
        }
        bool ok = true;
        if (is_row(row)) {
            const Py_ssize_t len = PySequence_Size(row);
            if (len < 0) {
                PyErr_Clear();
                ok = fail(err, PyExc_ValueError, "sequence has no length");
            } else if (len != row_len) {
                ok = fail(err, PyExc_ValueError, "matrix rows have different lengths");
            } else {
                ok = convert_items(row, row_len, out.data() + i * row_len, PyExc_MemoryError, err);
            }
        } else if (row_len == 1) {
            ok = item_value(row, out[i], err);
        } else {
            ok = fail(err, PyExc_ValueError, "matrix rows have different lengths");
        }
        Py_DECREF(row);
        if (!ok) return false;
    }
    return true;
}

// The values of a sequence nested up to three deep, in order. At each depth
// the items are all numbers or all sequences of one length.
struct Nesting {
    Py_ssize_t length[3] = {-1, -1, -1};
    int rows[3] = {-1, -1, -1};  // -1 not seen yet, 0 numbers, 1 sequences
};

bool flatten(PyObject* o, int depth, Nesting& shape, Array<float>& out, Error& err) {
    Py_ssize_t len;
    if (!sequence_length(o, len, err)) return false;
    if (shape.length[depth] < 0) shape.length[depth] = len;
    if (shape.length[depth] != len) return fail(err, PyExc_ValueError, "array rows have different lengths");
    for (Py_ssize_t i = 0; i < len; ++i) {
        PyObject* item = PySequence_GetItem(o, i);
        if (!item) {
            PyErr_Clear();
            return fail(err, PyExc_ValueError, "sequence error");
        }
        const int row = depth < 2 && is_row(item) ? 1 : 0;
        bool ok = true;
        if (shape.rows[depth] < 0) shape.rows[depth] = row;
        if (shape.rows[depth] != row) {
            ok = fail(err, PyExc_ValueError, "array rows have different lengths");
        } else if (row) {
            ok = flatten(item, depth + 1, shape, out, err);
        } else {
            float v = 0;
            ok = item_value(item, v, err);
            if (ok) {
                try {
                    out.push_back(v);
                } catch (const std::bad_alloc&) {
                    ok = fail(err, PyExc_MemoryError, "out of memory");
                }
            }
        }
        Py_DECREF(item);
        if (!ok) return false;
    }
    return true;
}

bool array3(PyObject* o, Py_ssize_t n, Array<float>& out, Error& err) {
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim <= 3) {
        const Py_ssize_t total = buf.count();
        if (total < n) return fail(err, PyExc_MemoryError, "out of range");
        if (!allocate(out, total, err)) return false;
        for (Py_ssize_t k = 0; k < total; ++k) out[k] = static_cast<float>(buf.read(k));
        return true;
    }
    out.clear();
    Nesting shape;
    if (!flatten(o, 0, shape, out, err)) return false;
    if (Py_ssize_t(out.size()) < n) return fail(err, PyExc_MemoryError, "out of range");
    return true;
}

// ---- write-back -------------------------------------------------------------

PyObject* make(float v) { return PyFloat_FromDouble(v); }
PyObject* make(int v) { return PyLong_FromLong(v); }

// Items [0, k) of a flat sequence; false when one could not be made.
template <typename T>
bool assign_items(PyObject* o, const T* values, Py_ssize_t k) {
    const bool list = PyList_Check(o);
    for (Py_ssize_t i = 0; i < k; ++i) {
        PyObject* v = make(values[i]);
        if (!v) return false;
        if (list && i < PyList_GET_SIZE(o)) {
            PyList_SetItem(o, i, v);  // steals v
        } else {
            PySequence_SetItem(o, i, v);
            Py_DECREF(v);
        }
    }
    return true;
}

template <typename T>
void write_values(PyObject* o, const T* values, Py_ssize_t k, bool is_matrix) {
    {
        NumericBuffer buf;
        if (buf.acquire(o, true) && !buf.view.readonly && buf.count() >= k &&
            (is_matrix || buf.view.ndim == 1)) {
            for (Py_ssize_t i = 0; i < k; ++i) buf.write(i, static_cast<double>(values[i]));
            return;
        }
    }
    PyErr_Clear();
    PyObject* first = is_matrix && PySequence_Check(o) && PySequence_Size(o) > 0 ? PySequence_GetItem(o, 0) : nullptr;
    const bool rows = first && is_row(first);
    Py_XDECREF(first);
    PyErr_Clear();
    if (!rows) {
        assign_items(o, values, k);
    } else {
        // A matrix of rows: each row takes the next row-length values.
        const Py_ssize_t n_rows = PySequence_Size(o);
        for (Py_ssize_t i = 0, at = 0; i < n_rows && at < k; ++i) {
            PyObject* row = PySequence_GetItem(o, i);
            if (!row) break;
            const Py_ssize_t len = PySequence_Size(row);
            if (len > 0) assign_items(row, values + at, std::min(len, k - at));
            at += len > 0 ? len : 0;
            Py_DECREF(row);
            if (len <= 0) break;
        }
    }
    PyErr_Clear();  // a failed item assignment is not reported
}

}  // namespace

// ---- scalars ------------------------------------------------------------------

namespace {

// Replaces the codec's UnicodeEncodeError by one whose reason names the
// routine, with the same object and the same bad range.
void raise_not_latin1(const char* routine, PyObject* text) {
    PyObject *type, *value, *trace;
    PyErr_Fetch(&type, &value, &trace);
    PyErr_NormalizeException(&type, &value, &trace);
    Py_ssize_t start = 0, end = 0;
    if (value && PyUnicodeEncodeError_GetStart(value, &start) == 0 &&
        PyUnicodeEncodeError_GetEnd(value, &end) == 0) {
        Py_XDECREF(type);
        Py_XDECREF(value);
        Py_XDECREF(trace);
        char reason[96];
        std::snprintf(reason, sizeof reason, "%s() takes Latin-1 text or bytes", routine);
        PyObject* error = PyObject_CallFunction(PyExc_UnicodeEncodeError, "sOnns", "latin-1", text,
                                                start, end, reason);
        if (error) {
            PyErr_SetObject(PyExc_UnicodeEncodeError, error);
            Py_DECREF(error);
        }
        return;
    }
    PyErr_Clear();
    PyErr_Restore(type, value, trace);
}

}  // namespace

bool to_int(PyObject* o, int& out) {
    if (PyFloat_Check(o)) {
        PyErr_SetString(PyExc_TypeError, "'float' object cannot be interpreted as an integer");
        return false;
    }
    PyObject* num = PyNumber_Index(o);
    if (!num) return false;
    bool ok = int32_from_long(num, out, nullptr);
    Py_DECREF(num);
    return ok;
}

bool to_float(PyObject* o, float& out) {
    double v = PyFloat_AsDouble(o);
    if (v == -1.0 && PyErr_Occurred()) return false;
    out = static_cast<float>(v);
    return true;
}

bool to_text(const char* routine, PyObject* o, std::string& out) {
    if (PyUnicode_Check(o)) {
        PyObject* bytes = PyUnicode_AsLatin1String(o);
        if (!bytes) {
            if (PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) raise_not_latin1(routine, o);
            return false;
        }
        out.assign(PyBytes_AS_STRING(bytes), PyBytes_GET_SIZE(bytes));
        Py_DECREF(bytes);
    } else if (PyBytes_Check(o)) {
        out.assign(PyBytes_AS_STRING(o), PyBytes_GET_SIZE(o));
    } else {
        PyErr_Format(PyExc_TypeError, "argument must be str or bytes, not %.100s", Py_TYPE(o)->tp_name);
        return false;
    }
    if (out.find('\0') != std::string::npos) {
        PyErr_SetString(PyExc_ValueError, "embedded null character");
        return false;
    }
    return true;
}

bool to_filename(PyObject* o, std::string& out) {
    PyObject* bytes = nullptr;
    if (!PyUnicode_FSConverter(o, &bytes)) return false;  // refuses embedded NULs itself
    out.assign(PyBytes_AS_STRING(bytes), PyBytes_GET_SIZE(bytes));
    Py_DECREF(bytes);
    return true;
}

PyObject* from_text(const char* s) {
    return PyUnicode_DecodeLatin1(s, static_cast<Py_ssize_t>(std::strlen(s)), nullptr);
}

PyObject* from_filename(const char* s) { return PyUnicode_DecodeFSDefault(s); }

// ---- sequences ----------------------------------------------------------------

namespace {

// A numpy masked array as a plain array of doubles with NaN where the mask
// is set, so that masked values count as missing (a new reference); nullptr
// for anything else.
PyObject* unmasked(PyObject* o) {
    if (PyList_Check(o) || PyTuple_Check(o)) return nullptr;
    if (std::strcmp(Py_TYPE(o)->tp_name, "MaskedArray") != 0 && !PyObject_HasAttrString(o, "_mask"))
        return nullptr;
    static PyObject* masked_type = nullptr;
    if (!masked_type) {
        PyObject* name = PyUnicode_FromString("numpy.ma");
        PyObject* module = name ? PyImport_GetModule(name) : nullptr;
        Py_XDECREF(name);
        if (module) {
            masked_type = PyObject_GetAttrString(module, "MaskedArray");
            Py_DECREF(module);
        }
        PyErr_Clear();
        if (!masked_type) return nullptr;
    }
    if (!instance(o, masked_type)) return nullptr;
    PyObject* doubles = PyObject_CallMethod(o, "astype", "s", "f8");
    PyObject* filled = doubles ? PyObject_CallMethod(doubles, "filled", "d", std::nan("")) : nullptr;
    Py_XDECREF(doubles);
    PyErr_Clear();
    return filled;
}

}  // namespace

void Sequences::floats(PyObject* o, Py_ssize_t n, Array<float>& out) {
    Error e;
    PyObject* plain = unmasked(o);
    if (!vector(plain ? plain : o, n, out, e)) last_ = e;
    Py_XDECREF(plain);
}

void Sequences::ints(PyObject* o, Py_ssize_t n, Array<int>& out) {
    Error e;
    if (!vector(o, n, out, e)) last_ = e;
}

void Sequences::matrix(PyObject* o, Py_ssize_t n, Array<float>& out) {
    Error e;
    PyObject* plain = unmasked(o);
    if (!kalpy::matrix(plain ? plain : o, n, out, e)) last_ = e;
    Py_XDECREF(plain);
}

Py_ssize_t product3(Py_ssize_t a, Py_ssize_t b, Py_ssize_t c) {
    Py_ssize_t ab, abc;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc)) return PY_SSIZE_T_MAX;
    return abc;
}

void Sequences::array3(PyObject* o, Py_ssize_t n, Array<float>& out) {
    Error e;
    PyObject* plain = unmasked(o);
    if (!kalpy::array3(plain ? plain : o, n, out, e)) last_ = e;
    Py_XDECREF(plain);
}

bool Sequences::ok() const {
    if (!last_.type) return true;
    PyErr_SetString(last_.type, last_.message);
    return false;
}

void write_back(PyObject* o, const float* values, Py_ssize_t k, bool matrix) {
    write_values(o, values, k, matrix);
}

void write_back(PyObject* o, const int* values, Py_ssize_t k, bool matrix) {
    write_values(o, values, k, matrix);
}

bool sized_buffer(const char* message, std::vector<char>& buffer, size_t size) {
    try {
        buffer.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, message);
        return false;
    }
    return true;
}

}  // namespace kalpy
