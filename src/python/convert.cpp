#include "convert.h"

#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

namespace kalpy {
namespace {

// numpy scalars count as the Python numbers they stand for.
bool is_numpy_scalar(PyObject* o) {
    return std::strncmp(Py_TYPE(o)->tp_name, "numpy.", 6) == 0;
}

bool int32_from_long(PyObject* num, int& out, ConversionError* err) {
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(num, &overflow);
    if (v == -1 && PyErr_Occurred()) {
        PyErr_Clear();
        overflow = 1;
    }
    if (overflow > 0 || (overflow == 0 && v > INT_MAX)) {
        const char* m = "signed integer is greater than maximum";
        if (err) return err->set(PyExc_OverflowError, m);
        PyErr_SetString(PyExc_OverflowError, m);
        return false;
    }
    if (overflow < 0 || v < INT_MIN) {
        const char* m = "signed integer is less than minimum";
        if (err) return err->set(PyExc_OverflowError, m);
        PyErr_SetString(PyExc_OverflowError, m);
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

// An item of a float vector or matrix.
bool float_item(PyObject* item, float& out, ConversionError& err) {
    double v;
    if (PyFloat_Check(item)) {
        v = PyFloat_AS_DOUBLE(item);
    } else if (PyLong_Check(item) || (is_numpy_scalar(item) && Py_TYPE(item)->tp_as_number &&
                                      Py_TYPE(item)->tp_as_number->nb_float)) {
        v = PyLong_Check(item) ? PyLong_AsDouble(item) : PyFloat_AsDouble(item);
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return err.set(PyExc_OverflowError, "int too large to convert to float");
        }
    } else {
        return err.set(PyExc_ValueError, "no floatingpoint element in sequence");
    }
    out = static_cast<float>(v);
    return true;
}

bool int_item(PyObject* item, int& out, ConversionError& err) {
    if (PyLong_Check(item)) return int32_from_long(item, out, &err);
    if (is_numpy_scalar(item) && PyIndex_Check(item)) {
        PyObject* num = PyNumber_Index(item);
        if (!num) {
            PyErr_Clear();
            return err.set(PyExc_ValueError, "no integer element in sequence");
        }
        bool ok = int32_from_long(num, out, &err);
        Py_DECREF(num);
        return ok;
    }
    return err.set(PyExc_ValueError, "no integer element in sequence");
}

// ---- buffer fast path ---------------------------------------------------

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
    const char* element(Py_ssize_t k) const {
        const char* p = static_cast<const char*>(view.buf);
        for (int d = view.ndim - 1; d >= 0; --d) {
            const Py_ssize_t extent = view.shape[d];
            p += (k % extent) * view.strides[d];
            k /= extent;
        }
        return p;
    }
    double as_double(const char* p) const {
        switch (code) {
            case 'b': return *reinterpret_cast<const signed char*>(p);
            case 'B': return *reinterpret_cast<const unsigned char*>(p);
            case '?': return *reinterpret_cast<const bool*>(p);
            case 'h': return *reinterpret_cast<const short*>(p);
            case 'H': return *reinterpret_cast<const unsigned short*>(p);
            case 'i': return *reinterpret_cast<const int*>(p);
            case 'I': return *reinterpret_cast<const unsigned int*>(p);
            case 'l': return static_cast<double>(*reinterpret_cast<const long*>(p));
            case 'L': return static_cast<double>(*reinterpret_cast<const unsigned long*>(p));
            case 'q': return static_cast<double>(*reinterpret_cast<const long long*>(p));
            case 'Q': return static_cast<double>(*reinterpret_cast<const unsigned long long*>(p));
            case 'f': return *reinterpret_cast<const float*>(p);
            default: return *reinterpret_cast<const double*>(p);
        }
    }
};

template <typename T>
bool allocate(std::vector<T>& out, Py_ssize_t n, ConversionError& err) {
    try {
        out.assign(static_cast<size_t>(n), T{});
    } catch (const std::bad_alloc&) {
        return err.set(PyExc_MemoryError, "out of memory");
    } catch (const std::length_error&) {
        return err.set(PyExc_MemoryError, "out of memory");
    }
    return true;
}

bool sequence_length(PyObject* o, Py_ssize_t& len, ConversionError& err) {
    if (!PySequence_Check(o)) return err.set(PyExc_ValueError, "parameter is not a sequence");
    len = PySequence_Size(o);
    if (len < 0) {
        PyErr_Clear();
        return err.set(PyExc_ValueError, "sequence has no length");
    }
    return true;
}

}  // namespace

// ---- scalars ------------------------------------------------------------

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

bool to_cstring(PyObject* o, std::string& out) {
    if (PyUnicode_Check(o)) {
        PyObject* bytes = PyUnicode_AsEncodedString(o, "latin-1", "replace");
        if (!bytes) return false;
        out.assign(PyBytes_AS_STRING(bytes), PyBytes_GET_SIZE(bytes));
        Py_DECREF(bytes);
    } else if (PyBytes_Check(o)) {
        out.assign(PyBytes_AS_STRING(o), PyBytes_GET_SIZE(o));
    } else {
        PyErr_Format(PyExc_TypeError, "argument must be str or bytes, not %.100s",
                     Py_TYPE(o)->tp_name);
        return false;
    }
    if (out.find('\0') != std::string::npos) {
        PyErr_SetString(PyExc_ValueError, "embedded null character");
        return false;
    }
    return true;
}

PyObject* from_cstring(const char* s) {
    return PyUnicode_DecodeLatin1(s, static_cast<Py_ssize_t>(std::strlen(s)), nullptr);
}

// ---- sequences ----------------------------------------------------------

bool float_vector(PyObject* o, Py_ssize_t n, std::vector<float>& out, ConversionError& err) {
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim == 1) {
        if (buf.view.shape[0] < n) return err.set(PyExc_MemoryError, "out of range");
        if (!allocate(out, n, err)) return false;
        for (Py_ssize_t i = 0; i < n; ++i) out[i] = static_cast<float>(buf.as_double(buf.element(i)));
        return true;
    }
    Py_ssize_t len;
    if (!sequence_length(o, len, err)) return false;
    if (len < n) return err.set(PyExc_MemoryError, "out of range");
    if (!allocate(out, n, err)) return false;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* item = PySequence_GetItem(o, i);
        if (!item) {
            PyErr_Clear();
            return err.set(PyExc_ValueError, "sequence error");
        }
        bool ok = float_item(item, out[i], err);
        Py_DECREF(item);
        if (!ok) return false;
    }
    return true;
}

bool int_vector(PyObject* o, Py_ssize_t n, std::vector<int>& out, ConversionError& err) {
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim == 1) {
        if (buf.view.shape[0] < n) return err.set(PyExc_MemoryError, "out of range");
        if (buf.is_float()) return err.set(PyExc_ValueError, "no integer element in sequence");
        if (!allocate(out, n, err)) return false;
        for (Py_ssize_t i = 0; i < n; ++i) {
            const double v = buf.as_double(buf.element(i));
            if (v > INT_MAX) return err.set(PyExc_OverflowError, "signed integer is greater than maximum");
            if (v < INT_MIN) return err.set(PyExc_OverflowError, "signed integer is less than minimum");
            out[i] = static_cast<int>(v);
        }
        return true;
    }
    Py_ssize_t len;
    if (!sequence_length(o, len, err)) return false;
    if (len < n) return err.set(PyExc_MemoryError, "out of range");
    if (!allocate(out, n, err)) return false;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* item = PySequence_GetItem(o, i);
        if (!item) {
            PyErr_Clear();
            return err.set(PyExc_MemoryError, "sequence error");
        }
        bool ok = int_item(item, out[i], err);
        Py_DECREF(item);
        if (!ok) return false;
    }
    return true;
}

bool float_matrix(PyObject* o, Py_ssize_t n, std::vector<float>& out, ConversionError& err) {
    NumericBuffer buf;
    if (buf.acquire(o, false) && buf.view.ndim <= 2) {
        const Py_ssize_t total = buf.count();
        if (total < n) return err.set(PyExc_MemoryError, "out of range");
        if (!allocate(out, total, err)) return false;
        for (Py_ssize_t k = 0; k < total; ++k) out[k] = static_cast<float>(buf.as_double(buf.element(k)));
        return true;
    }
    Py_ssize_t rows;
    if (!sequence_length(o, rows, err)) return false;
    if (rows == 0) return n > 0 ? err.set(PyExc_MemoryError, "out of range") : true;
    Py_ssize_t row_len = 1;
    PyObject* first = PySequence_GetItem(o, 0);
    if (!first) {
        PyErr_Clear();
        return err.set(PyExc_ValueError, "sequence error");
    }
    if (PySequence_Check(first)) {
        row_len = PySequence_Size(first);
        if (row_len < 0) {
            PyErr_Clear();
            Py_DECREF(first);
            return err.set(PyExc_ValueError, "sequence has no length");
        }
    }
    Py_DECREF(first);
    if (row_len > 0 && rows > PY_SSIZE_T_MAX / row_len) return err.set(PyExc_MemoryError, "out of memory");
    if (rows * row_len < n) return err.set(PyExc_MemoryError, "out of range");
    if (!allocate(out, rows * row_len, err)) return false;
    for (Py_ssize_t i = 0; i < rows; ++i) {
        PyObject* row = PySequence_GetItem(o, i);
        if (!row) {
            PyErr_Clear();
            return err.set(PyExc_ValueError, "sequence error");
        }
        bool ok = true;
        if (PySequence_Check(row)) {
            const Py_ssize_t len = PySequence_Size(row);
            if (len < 0) {
                PyErr_Clear();
                ok = err.set(PyExc_ValueError, "sequence has no length");
            } else if (len != row_len) {
                ok = err.set(PyExc_ValueError, "matrix rows have different lengths");
            }
            for (Py_ssize_t j = 0; ok && j < row_len; ++j) {
                PyObject* item = PySequence_GetItem(row, j);
                if (!item) {
                    PyErr_Clear();
                    ok = err.set(PyExc_MemoryError, "sequence error");
                    break;
                }
                ok = float_item(item, out[i * row_len + j], err);
                Py_DECREF(item);
            }
        } else if (row_len == 1) {
            ok = float_item(row, out[i], err);
        } else {
            ok = err.set(PyExc_ValueError, "matrix rows have different lengths");
        }
        Py_DECREF(row);
        if (!ok) return false;
    }
    return true;
}

// ---- write-back ---------------------------------------------------------

namespace {

template <typename T>
bool write_buffer(PyObject* o, const T* values, Py_ssize_t k) {
    NumericBuffer buf;
    if (!buf.acquire(o, true) || buf.view.ndim != 1 || buf.view.readonly) return false;
    if (buf.view.shape[0] < k || !std::strchr("dfilq", buf.code)) return false;
    for (Py_ssize_t i = 0; i < k; ++i) {
        char* p = const_cast<char*>(buf.element(i));
        switch (buf.code) {
            case 'd': *reinterpret_cast<double*>(p) = values[i]; break;
            case 'f': *reinterpret_cast<float*>(p) = static_cast<float>(values[i]); break;
            case 'i': *reinterpret_cast<int*>(p) = static_cast<int>(values[i]); break;
            case 'l': *reinterpret_cast<long*>(p) = static_cast<long>(values[i]); break;
            case 'q': *reinterpret_cast<long long*>(p) = static_cast<long long>(values[i]); break;
            default: *reinterpret_cast<long long*>(p) = static_cast<long long>(values[i]); break;
        }
    }
    return true;
}

template <typename T, typename Make>
void write_items(PyObject* o, const T* values, Py_ssize_t k, Make make) {
    if (write_buffer(o, values, k)) return;
    const bool list = PyList_Check(o);
    for (Py_ssize_t i = 0; i < k; ++i) {
        PyObject* v = make(values[i]);
        if (!v) break;
        if (list && i < PyList_GET_SIZE(o)) {
            PyList_SetItem(o, i, v);  // steals v
        } else {
            PySequence_SetItem(o, i, v);
            Py_DECREF(v);
        }
    }
    PyErr_Clear();  // a failed item assignment is not reported
}

}  // namespace

void write_back(PyObject* o, const float* values, Py_ssize_t k) {
    write_items(o, values, k, [](float v) { return PyFloat_FromDouble(v); });
}

void write_back(PyObject* o, const int* values, Py_ssize_t k) {
    write_items(o, values, k, [](int v) { return PyLong_FromLong(v); });
}

}  // namespace kalpy
