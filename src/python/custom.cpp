// The wrappers that no table entry can express: byte buffers whose size the
// wrapper chooses (pdfbuf, rbfpng, the pixel readers, readfl), byte strings
// as pixel or file data (wpixls, wpxrow, writfl), text written into a
// caller's buffer (intcha, fcha, upstr, dattim), a message stream given
// as a number (unit), the legend buffers the binding keeps for its callers
// (legini, leglin, legend, nxlegn, nylegn) and the spline points written
// back into the caller's lists (spline).
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "api/entries.h"
#include "output/raster/pixel_access.h"
#include "output/raster/raster.h"
#include "python/call.h"
#include "python/convert.h"

namespace kalpy {

PyObject* py_unit(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_pdfbuf(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_rbfpng(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_rpixls(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_rpxrow(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_wpixls(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_wpxrow(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_gmxalf(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_getlab(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_intcha(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_fcha(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_upstr(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_dattim(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_readfl(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_writfl(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_legini(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_leglin(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_legend(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_nxlegn(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_nylegn(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_spline(PyObject*, PyObject* const* args, Py_ssize_t nargs);

namespace {

// Integer arguments args[first ...] into out[...].
bool ints(PyObject* const* args, Py_ssize_t first, Py_ssize_t n, int* out) {
    for (Py_ssize_t i = 0; i < n; ++i)
        if (!to_int(args[first + i], out[i])) return false;
    return true;
}

// pdfbuf and rbfpng: n < 0 gives (b"", 0); n = 0 asks `fill` for the size
// of the output held in memory; otherwise an n-byte buffer is filled and its
// first k bytes are returned with k.
PyObject* memory_output(const char* name, int (*fill)(char*, int), PyObject* const* args,
                        Py_ssize_t nargs) {
    int n;
    if (!arity(name, nargs, 1) || !to_int(args[0], n)) return nullptr;
    if (n < 0) return Py_BuildValue("(y#i)", "", Py_ssize_t(0), 0);
    if (n == 0) {
        int size = 0;
        if (!run(name, true, [&] { size = fill(nullptr, 0); })) return nullptr;
        return Py_BuildValue("(y#i)", "", Py_ssize_t(0), size);
    }
    char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(n)));
    if (!buffer) {
        PyErr_Format(PyExc_MemoryError, "out of memory in %s", name);
        return nullptr;
    }
    int k = 0;
    if (!run(name, true, [&] { k = fill(buffer, n); })) {
        std::free(buffer);
        return nullptr;
    }
    if (k < 0 || k > n) k = 0;
    PyObject* result = Py_BuildValue("(y#i)", buffer, Py_ssize_t(k), k);
    std::free(buffer);
    return result;
}

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
PyObject* read_block(const char* name, Py_ssize_t size, const char* no_memory, Read&& read) {
    PyObject* bytes = size < 0 ? nullptr : PyBytes_FromStringAndSize(nullptr, size);
    if (!bytes) {
        PyErr_Clear();
        PyErr_SetString(PyExc_MemoryError, no_memory);
        return nullptr;
    }
    unsigned char* buffer = reinterpret_cast<unsigned char*>(PyBytes_AS_STRING(bytes));
    std::memset(buffer, 0, static_cast<size_t>(size));
    if (!run(name, false, [&] { read(buffer); })) {
        Py_DECREF(bytes);
        return nullptr;
    }
    return Py_BuildValue("(Nn)", bytes, size);
}

// wpixls and wpxrow: the bytes (any buffer) must hold the whole block.
template <typename Write>
PyObject* write_block(const char* name, PyObject* data, int nw, int nh, Write&& write) {
    Py_buffer pixels;
    if (PyObject_GetBuffer(data, &pixels, PyBUF_SIMPLE) != 0) return nullptr;
    bool ok = true;
    if (nw >= 1 && nh >= 1) {
        const Py_ssize_t needed = block_bytes(nw, nh);
        if (needed < 0 || pixels.len < needed) {
            PyErr_SetString(PyExc_MemoryError, "out of range");
            ok = false;
        } else {
            ok = run(name, false, [&] { write(static_cast<const unsigned char*>(pixels.buf)); });
        }
    }
    PyBuffer_Release(&pixels);
    if (!ok) return nullptr;
    Py_RETURN_NONE;
}

}  // namespace

// unit(n): 0 suppresses the messages, any other number sends them to
// standard output.
PyObject* py_unit(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int n;
    if (!arity("unit", nargs, 1) || !to_int(args[0], n)) return nullptr;
    if (!run("unit", false, [n] { kal::entry::unit(n == 0 ? nullptr : stdout); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* py_pdfbuf(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return memory_output("pdfbuf", kal::entry::pdfbuf, args, nargs);
}

PyObject* py_rbfpng(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    return memory_output("rbfpng", kal::entry::rbfpng, args, nargs);
}

// rpixls(x, y, nw, nh): (bytes, count) of the block, one byte per pixel, or
// red, green and blue bytes with imgmod "RGB "; b"" for an empty block.
PyObject* py_rpixls(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int a[4];
    if (!arity("rpixls", nargs, 4) || !ints(args, 0, 4, a)) return nullptr;
    if (a[2] < 1 || a[3] < 1) return PyBytes_FromStringAndSize("", 0);
    return read_block("rpixls", block_bytes(a[2], a[3]), "out of memory in rpixls",
                      [&](unsigned char* b) { kal::entry::rpixls(b, a[0], a[1], a[2], a[3]); });
}

PyObject* py_rpxrow(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int a[3];
    if (!arity("rpxrow", nargs, 3) || !ints(args, 0, 3, a)) return nullptr;
    if (a[2] < 1) return PyBytes_FromStringAndSize("", 0);
    return read_block("rpxrow", block_bytes(a[2], 1), "out of memory in rpxrow",
                      [&](unsigned char* b) { kal::entry::rpxrow(b, a[0], a[1], a[2]); });
}

// wpixls(bytes, x, y, nw, nh)
PyObject* py_wpixls(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int a[4];
    if (!arity("wpixls", nargs, 5) || !ints(args, 1, 4, a)) return nullptr;
    return write_block("wpixls", args[0], a[2], a[3], [&](const unsigned char* p) {
        kal::entry::wpixls(p, a[0], a[1], a[2], a[3]);
    });
}

PyObject* py_wpxrow(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int a[3];
    if (!arity("wpxrow", nargs, 4) || !ints(args, 1, 3, a)) return nullptr;
    return write_block("wpxrow", args[0], a[2], 1, [&](const unsigned char* p) {
        kal::entry::wpxrow(p, a[0], a[1], a[2]);
    });
}

// gmxalf(alphabet): (shift-in, shift-out, entry) of a mixed alphabet.
PyObject* py_gmxalf(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string alphabet;
    if (!arity("gmxalf", nargs, 1) || !to_text("gmxalf", args[0], alphabet)) return nullptr;
    char in[2] = "", out[2] = "";
    int n = 0;
    if (!run("gmxalf", false, [&] { n = kal::entry::gmxalf(alphabet.c_str(), in, out); })) return nullptr;
    PyObject* a = from_text(in);
    PyObject* b = from_text(out);
    PyObject* result = a && b ? Py_BuildValue("(OOi)", a, b, n) : nullptr;
    Py_XDECREF(a);
    Py_XDECREF(b);
    return result;
}

// getlab() -> (x, y, z): the label type names of the three axes.
PyObject* py_getlab(PyObject*, PyObject* const*, Py_ssize_t nargs) {
    if (!arity("getlab", nargs, 0)) return nullptr;
    char x[8] = "", y[8] = "", z[8] = "";
    if (!run("getlab", false, [&] { kal::entry::getlab(x, y, z); })) return nullptr;
    return Py_BuildValue("(sss)", x, y, z);
}

// intcha(n) -> text
PyObject* py_intcha(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int n;
    if (!arity("intcha", nargs, 1) || !to_int(args[0], n)) return nullptr;
    char text[16] = "";
    if (!run("intcha", false, [&] { kal::entry::intcha(n, text); })) return nullptr;
    return from_text(text);
}

// fcha(x, ndig) -> text; fcha caps the decimals, so that no text is longer
// than a sign, 39 digits, the point and 60 decimals.
PyObject* py_fcha(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    float x;
    int ndig;
    if (!arity("fcha", nargs, 2) || !to_float(args[0], x) || !to_int(args[1], ndig)) return nullptr;
    char text[128] = "";
    if (!run("fcha", false, [&] { kal::entry::fcha(x, ndig, text); })) return nullptr;
    return from_text(text);
}

// upstr(text): the conversion happens on a copy, as Python strings cannot
// change; the routine returns None.
PyObject* py_upstr(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string text;
    if (!arity("upstr", nargs, 1) || !to_text("upstr", args[0], text)) return nullptr;
    if (!run("upstr", false, [&] { kal::entry::upstr(text.data()); })) return nullptr;
    Py_RETURN_NONE;
}

// dattim(date, time): the two strings only stand for the C buffers; the
// routine returns None.
PyObject* py_dattim(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string date, time;
    if (!arity("dattim", nargs, 2) || !to_text("dattim", args[0], date) ||
        !to_text("dattim", args[1], time))
        return nullptr;
    char d[16] = "", t[16] = "";
    if (!run("dattim", false, [&] { kal::entry::dattim(d, t); })) return nullptr;
    Py_RETURN_NONE;
}

// readfl(unit, n) -> (bytes, k): reads up to n bytes in pieces of at most
// 1 MiB, so that a huge n costs no more memory than the file holds; k is
// the library's count (-1 for a bad unit).
PyObject* py_readfl(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int unit, n;
    if (!arity("readfl", nargs, 2) || !to_int(args[0], unit) || !to_int(args[1], n)) return nullptr;
    if (n < 1) return Py_BuildValue("(y#i)", "", Py_ssize_t(0), 0);
    constexpr int PIECE = 1 << 20;
    std::string data;
    int total = 0;
    while (total < n) {
        const int want = n - total < PIECE ? n - total : PIECE;
        try {
            data.resize(static_cast<size_t>(total) + static_cast<size_t>(want));
        } catch (const std::bad_alloc&) {
            PyErr_SetString(PyExc_MemoryError, "out of memory in readfl");
            return nullptr;
        }
        int k = 0;
        auto* piece = reinterpret_cast<unsigned char*>(&data[static_cast<size_t>(total)]);
        if (!run("readfl", true, [&] { k = kal::entry::readfl(unit, piece, want); })) return nullptr;
        if (k < 0 && total == 0) return Py_BuildValue("(y#i)", "", Py_ssize_t(0), k);
        if (k > 0) total += k;
        if (k < want) break;
    }
    return Py_BuildValue("(y#i)", data.data(), Py_ssize_t(total), total);
}

// writfl(unit, bytes, n) -> count: n < 1 writes nothing; bytes shorter than
// n raise MemoryError ("out of range") like a short sequence.
PyObject* py_writfl(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int unit, n;
    if (!arity("writfl", nargs, 3) || !to_int(args[0], unit) || !to_int(args[2], n)) return nullptr;
    Py_buffer data;
    if (PyObject_GetBuffer(args[1], &data, PyBUF_SIMPLE) != 0) return nullptr;
    int count = 0;
    bool ok = true;
    if (n >= 1) {
        if (data.len < n) {
            PyErr_SetString(PyExc_MemoryError, "out of range");
            ok = false;
        } else {
            const auto* bytes = static_cast<const unsigned char*>(data.buf);
            ok = run("writfl", true, [&] { count = kal::entry::writfl(unit, bytes, n); });
        }
    }
    PyBuffer_Release(&data);
    if (!ok) return nullptr;
    return PyLong_FromLong(count);
}

// ---- the legend buffer ----
//
// The binding owns the legend buffer for its callers, one per thread, so
// that threads plotting at the same time never draw each other's legend
// texts. It is as large as the largest legend (30 lines of 80 characters).
// The first string argument of every legend routine is ignored; the
// library's legini blanks the buffer.

namespace {
thread_local char legend_buffer[30 * 80 + 1];
}  // namespace

// legini(ignored, nlin, nmaxln)
PyObject* py_legini(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int a[2];
    if (!arity("legini", nargs, 3) || !ints(args, 1, 2, a)) return nullptr;
    if (!run("legini", false, [&] { kal::entry::legini(legend_buffer, a[0], a[1]); })) return nullptr;
    Py_RETURN_NONE;
}

// leglin(ignored, text, line)
PyObject* py_leglin(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    std::string text;
    int line;
    if (!arity("leglin", nargs, 3) || !to_text("leglin", args[1], text) || !to_int(args[2], line))
        return nullptr;
    if (!run("leglin", false, [&] { kal::entry::leglin(legend_buffer, text.c_str(), line); }))
        return nullptr;
    Py_RETURN_NONE;
}

// legend(ignored, corner)
PyObject* py_legend(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    int corner;
    if (!arity("legend", nargs, 2) || !to_int(args[1], corner)) return nullptr;
    if (!run("legend", false, [&] { kal::entry::legend(legend_buffer, corner); })) return nullptr;
    Py_RETURN_NONE;
}

namespace {
PyObject* legend_extent(const char* name, int (*extent)(char*), Py_ssize_t nargs) {
    if (!arity(name, nargs, 1)) return nullptr;
    int n = 0;
    if (!run(name, false, [&] { n = extent(legend_buffer); })) return nullptr;
    return PyLong_FromLong(n);
}
}  // namespace

PyObject* py_nxlegn(PyObject*, PyObject* const*, Py_ssize_t nargs) {
    return legend_extent("nxlegn", kal::entry::nxlegn, nargs);
}

PyObject* py_nylegn(PyObject*, PyObject* const*, Py_ssize_t nargs) {
    return legend_extent("nylegn", kal::entry::nylegn, nargs);
}

// spline(x, y, n, xray, yray) -> k: the output lists must hold 200 numbers;
// at most 200 points are written back, and k says how many.
PyObject* py_spline(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    constexpr int OUTPUT = 200, MOST = 30000;
    int n;
    if (!arity("spline", nargs, 5) || !to_int(args[2], n)) return nullptr;
    Sequences seq;
    Array<float> x, y, xray, yray;
    if (n >= 1) {
        seq.floats(args[0], n, x);
        seq.floats(args[1], n, y);
    }
    seq.floats(args[3], OUTPUT, xray);
    seq.floats(args[4], OUTPUT, yray);
    if (!seq.ok()) return nullptr;
    if (n < 1) x.assign(1, 0.0f), y.assign(1, 0.0f);
    xray.resize(MOST);
    yray.resize(MOST);
    int k = 0;
    if (!run("spline", false, [&] { kal::entry::spline(x.data(), y.data(), n, xray.data(), yray.data(), &k); }))
        return nullptr;
    if (k > OUTPUT) k = OUTPUT;
    if (k > 0) {
        write_back(args[3], xray.data(), k, false);
        write_back(args[4], yray.data(), k, false);
    }
    return PyLong_FromLong(k);
}

}  // namespace kalpy
