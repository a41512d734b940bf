// Wrappers of the routines that move pixel bytes and PNG data between the
// raster and Python byte strings.
#include <cstdlib>
#include <cstring>

#include "api/routines.h"
#include "output/raster/pixel_access.h"
#include "output/raster/raster.h"
#include "sequences.h"
#include "wrap.h"

namespace kalpy {
namespace {

// Bytes of an nw x nh block for the current pixel mode (three per pixel
// with imgmod "RGB "), or -1 above the pixel memory of the largest raster:
// such a buffer would be all zeros but for the part a raster can fill.
Py_ssize_t block_bytes(int nw, int nh) {
    const long long n = static_cast<long long>(nw) * nh * kal::pixel_buffer_bytes();
    return n > static_cast<long long>(kal::Raster::MAX_BYTES) ? -1 : static_cast<Py_ssize_t>(n);
}

// Runs a reading routine on a zeroed bytes object of `size` bytes and
// returns (bytes, size).
template <typename Read>
PyObject* read_block(Py_ssize_t size, const char* no_memory, Read&& read) {
    PyObject* bytes = size < 0 ? nullptr : PyBytes_FromStringAndSize(nullptr, size);
    if (!bytes) {
        PyErr_Clear();
        PyErr_SetString(PyExc_MemoryError, no_memory);
        return nullptr;
    }
    unsigned char* buffer = reinterpret_cast<unsigned char*>(PyBytes_AS_STRING(bytes));
    std::memset(buffer, 0, static_cast<size_t>(size));
    if (!invoke(false, [&] { read(buffer); })) {
        Py_DECREF(bytes);
        return nullptr;
    }
    PyObject* result = Py_BuildValue("(Nn)", bytes, size);
    return result;
}

// A byte string that must hold at least `needed` bytes.
bool long_enough(const Py_buffer& b, Py_ssize_t needed) {
    if (needed >= 0 && b.len >= needed) return true;
    PyErr_SetString(PyExc_MemoryError, "out of range");
    return false;
}

}  // namespace

PyObject* py_rbfpng(PyObject*, PyObject* args) { return memory_output("rbfpng", kal::rbfpng, args); }

// rpixls(x, y, nw, nh): (bytes, count) of the block, one byte per pixel, or
// red, green and blue bytes with imgmod "RGB "; b"" for an empty block.
PyObject* py_rpixls(PyObject*, PyObject* args) {
    int x, y, nw, nh;
    if (!PyArg_ParseTuple(args, "iiii:rpixls", &x, &y, &nw, &nh)) return nullptr;
    if (nw < 1 || nh < 1) return PyBytes_FromStringAndSize("", 0);
    return read_block(block_bytes(nw, nh), "out of memory in rpixls",
                      [&](unsigned char* b) { kal::rpixls(b, x, y, nw, nh); });
}

PyObject* py_rpxrow(PyObject*, PyObject* args) {
    int x, y, n;
    if (!PyArg_ParseTuple(args, "iii:rpxrow", &x, &y, &n)) return nullptr;
    if (n < 1) return PyBytes_FromStringAndSize("", 0);
    return read_block(block_bytes(n, 1), "out of memory in rpxrow",
                      [&](unsigned char* b) { kal::rpxrow(b, x, y, n); });
}

// wpixls(bytes, x, y, nw, nh): the bytes must hold the whole block.
PyObject* py_wpixls(PyObject*, PyObject* args) {
    Py_buffer pixels;
    int x, y, nw, nh;
    if (!PyArg_ParseTuple(args, "y*iiii:wpixls", &pixels, &x, &y, &nw, &nh)) return nullptr;
    bool ok = true;
    if (nw >= 1 && nh >= 1) {
        ok = long_enough(pixels, block_bytes(nw, nh)) && invoke(false, [&] {
                 kal::wpixls(static_cast<const unsigned char*>(pixels.buf), x, y, nw, nh);
             });
    }
    PyBuffer_Release(&pixels);
    if (!ok) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_wpxrow(PyObject*, PyObject* args) {
    Py_buffer pixels;
    int x, y, n;
    if (!PyArg_ParseTuple(args, "y*iii:wpxrow", &pixels, &x, &y, &n)) return nullptr;
    bool ok = true;
    if (n >= 1) {
        ok = long_enough(pixels, block_bytes(n, 1)) && invoke(false, [&] {
                 kal::wpxrow(static_cast<const unsigned char*>(pixels.buf), x, y, n);
             });
    }
    PyBuffer_Release(&pixels);
    if (!ok) return nullptr;
    Py_RETURN_NONE;
}

}  // namespace kalpy
