#include "sequences.h"

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "api/routines.h"
#include "wrap.h"

namespace kalpy {
namespace {

// Converts each (object, count, target) in turn, independently of earlier
// failures; returns false with the last failure raised.
struct Conversions {
    ConversionError last;
    bool ok = true;
    void vector(PyObject* o, Py_ssize_t n, std::vector<float>& out) {
        ConversionError e;
        if (!float_vector(o, n, out, e)) {
            ok = false;
            last = e;
        }
    }
    void ivector(PyObject* o, Py_ssize_t n, std::vector<int>& out) {
        ConversionError e;
        if (!int_vector(o, n, out, e)) {
            ok = false;
            last = e;
        }
    }
    void matrix(PyObject* o, Py_ssize_t n, std::vector<float>& out) {
        ConversionError e;
        if (!float_matrix(o, n, out, e)) {
            ok = false;
            last = e;
        }
    }
    bool done() {
        if (!ok) last.raise();
        return ok;
    }
};

}  // namespace

int string_arg(PyObject* o, void* out) {
    return to_cstring(o, *static_cast<std::string*>(out)) ? 1 : 0;
}

PyObject* py_kalini(PyObject*, PyObject* args) {
    if (!PyArg_ParseTuple(args, ":kalini")) return nullptr;
    if (!invoke(true, [] { kal::kalini(); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_unit(PyObject*, PyObject* args) {
    int n;
    if (!PyArg_ParseTuple(args, "i:unit", &n)) return nullptr;
    if (!invoke(false, [n] { kal::unit(n == 0 ? nullptr : stdout); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_sortr1(PyObject*, PyObject* args) {
    PyObject* x;
    int n;
    std::string order;
    if (!PyArg_ParseTuple(args, "OiO&:sortr1", &x, &n, string_arg, &order)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> xv;
    conv.vector(x, n, xv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::sortr1(xv.data(), n, order.c_str()); })) return nullptr;
    write_back(x, xv.data(), n);
    Py_RETURN_NONE;
}

PyObject* py_sortr2(PyObject*, PyObject* args) {
    PyObject *x, *y;
    int n;
    std::string order;
    if (!PyArg_ParseTuple(args, "OOiO&:sortr2", &x, &y, &n, string_arg, &order)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> xv, yv;
    conv.vector(x, n, xv);
    conv.vector(y, n, yv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::sortr2(xv.data(), yv.data(), n, order.c_str()); })) return nullptr;
    write_back(x, xv.data(), n);
    write_back(y, yv.data(), n);
    Py_RETURN_NONE;
}

PyObject* py_trfco1(PyObject*, PyObject* args) {
    PyObject* x;
    int n;
    std::string from, to;
    if (!PyArg_ParseTuple(args, "OiO&O&:trfco1", &x, &n, string_arg, &from, string_arg, &to))
        return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> xv;
    conv.vector(x, n, xv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::trfco1(xv.data(), n, from.c_str(), to.c_str()); })) return nullptr;
    write_back(x, xv.data(), n);
    Py_RETURN_NONE;
}

PyObject* py_trfco2(PyObject*, PyObject* args) {
    PyObject *x, *y;
    int n;
    std::string from, to;
    if (!PyArg_ParseTuple(args, "OOiO&O&:trfco2", &x, &y, &n, string_arg, &from, string_arg, &to))
        return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> xv, yv;
    conv.vector(x, n, xv);
    conv.vector(y, n, yv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::trfco2(xv.data(), yv.data(), n, from.c_str(), to.c_str()); }))
        return nullptr;
    write_back(x, xv.data(), n);
    write_back(y, yv.data(), n);
    Py_RETURN_NONE;
}

PyObject* py_trfco3(PyObject*, PyObject* args) {
    PyObject *x, *y, *z;
    int n;
    std::string from, to;
    if (!PyArg_ParseTuple(args, "OOOiO&O&:trfco3", &x, &y, &z, &n, string_arg, &from, string_arg,
                          &to))
        return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> xv, yv, zv;
    conv.vector(x, n, xv);
    conv.vector(y, n, yv);
    conv.vector(z, n, zv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] {
            kal::trfco3(xv.data(), yv.data(), zv.data(), n, from.c_str(), to.c_str());
        }))
        return nullptr;
    write_back(x, xv.data(), n);
    write_back(y, yv.data(), n);
    write_back(z, zv.data(), n);
    Py_RETURN_NONE;
}

PyObject* py_areaf(PyObject*, PyObject* args) {
    PyObject *x, *y;
    int n;
    if (!PyArg_ParseTuple(args, "OOi:areaf", &x, &y, &n)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<int> xv, yv;
    conv.ivector(x, n, xv);
    conv.ivector(y, n, yv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::areaf(xv.data(), yv.data(), n); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_myline(PyObject*, PyObject* args) {
    PyObject* lengths;
    int n;
    if (!PyArg_ParseTuple(args, "Oi:myline", &lengths, &n)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<int> v;
    conv.ivector(lengths, n, v);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::myline(v.data(), n); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_trifll(PyObject*, PyObject* args) {
    PyObject *x, *y;
    if (!PyArg_ParseTuple(args, "OO:trifll", &x, &y)) return nullptr;
    Conversions conv;
    std::vector<float> xv, yv;
    conv.vector(x, 3, xv);
    conv.vector(y, 3, yv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::trifll(xv.data(), yv.data()); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_trfmat(PyObject*, PyObject* args) {
    PyObject *in, *out;
    int nx, ny, nx2, ny2;
    if (!PyArg_ParseTuple(args, "OiiOii:trfmat", &in, &nx, &ny, &out, &nx2, &ny2)) return nullptr;
    if (nx < 1 || ny < 1 || nx2 < 1 || ny2 < 1) Py_RETURN_NONE;
    const Py_ssize_t n_in = static_cast<Py_ssize_t>(nx) * ny;
    const Py_ssize_t n_out = static_cast<Py_ssize_t>(nx2) * ny2;
    Conversions conv;
    std::vector<float> zin, zout;
    conv.matrix(in, n_in, zin);
    conv.matrix(out, n_out, zout);
    if (!conv.done()) return nullptr;
    if (!invoke(true, [&] { kal::trfmat(zin.data(), nx, ny, zout.data(), nx2, ny2); }))
        return nullptr;
    write_back(out, zout.data(), n_out);
    Py_RETURN_NONE;
}

PyObject* py_colray(PyObject*, PyObject* args) {
    PyObject *z, *colours;
    int n;
    if (!PyArg_ParseTuple(args, "OOi:colray", &z, &colours, &n)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> zv;
    std::vector<int> cv;
    conv.vector(z, n, zv);
    conv.ivector(colours, n, cv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::colray(zv.data(), cv.data(), n); })) return nullptr;
    write_back(colours, cv.data(), n);
    Py_RETURN_NONE;
}

// getrgb does not look at its arguments.
PyObject* py_getrgb(PyObject*, PyObject*) {
    float r = 0, g = 0, b = 0;
    if (!invoke(false, [&] { kal::getrgb(&r, &g, &b); })) return nullptr;
    return Py_BuildValue("(ddd)", double(r), double(g), double(b));
}

PyObject* py_myvlt(PyObject*, PyObject* args) {
    PyObject *r, *g, *b;
    int n;
    if (!PyArg_ParseTuple(args, "OOOi:myvlt", &r, &g, &b, &n)) return nullptr;
    if (n < 1) Py_RETURN_NONE;
    Conversions conv;
    std::vector<float> rv, gv, bv;
    conv.vector(r, n, rv);
    conv.vector(g, n, gv);
    conv.vector(b, n, bv);
    if (!conv.done()) return nullptr;
    if (!invoke(false, [&] { kal::myvlt(rv.data(), gv.data(), bv.data(), n); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* memory_output(const char* name, int (*fill)(char*, int), PyObject* args) {
    int n;
    const std::string format = std::string("i:") + name;
    if (!PyArg_ParseTuple(args, format.c_str(), &n)) return nullptr;
    if (n < 0) return Py_BuildValue("(y#i)", "", Py_ssize_t(0), 0);
    if (n == 0) {
        int size = 0;
        if (!invoke(true, [&] { size = fill(nullptr, 0); })) return nullptr;
        return Py_BuildValue("(y#i)", "", Py_ssize_t(0), size);
    }
    char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(n)));
    if (!buffer) {
        PyErr_Format(PyExc_MemoryError, "out of memory in %s", name);
        return nullptr;
    }
    int k = 0;
    if (!invoke(true, [&] { k = fill(buffer, n); })) {
        std::free(buffer);
        return nullptr;
    }
    if (k < 0 || k > n) k = 0;
    PyObject* result = Py_BuildValue("(y#i)", buffer, Py_ssize_t(k), k);
    std::free(buffer);
    return result;
}

PyObject* py_pdfbuf(PyObject*, PyObject* args) { return memory_output("pdfbuf", kal::pdfbuf, args); }

}  // namespace kalpy
