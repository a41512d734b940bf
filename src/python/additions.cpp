// The routines of the Python module alone (the table's Python-only rows):
// warnings as Python warnings and the finished page as PNG bytes.
#include <string>

#include "core/call_lock.h"
#include "core/context.h"
#include "core/frame.h"
#include "core/message_out.h"
#include "output/raster/image_state.h"
#include "python/call.h"

namespace kalpy {

PyObject* py_warnings_as_exceptions(PyObject*, PyObject* const* args, Py_ssize_t nargs);
PyObject* py_pngpage(PyObject*, PyObject* const* args, Py_ssize_t nargs);

// warnings_as_exceptions(on): the calling thread's library warnings become
// KalvorWarning through the warnings module (true) or are printed (false).
PyObject* py_warnings_as_exceptions(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (!arity("warnings_as_exceptions", nargs, 1)) return nullptr;
    const int on = PyObject_IsTrue(args[0]);
    if (on < 0) return nullptr;
    kal::collect_warnings(on == 1);
    Py_RETURN_NONE;
}

// pngpage(): the page the last kalfin finished on a raster device, as PNG
// bytes (b"" after a warning when there is none).
PyObject* py_pngpage(PyObject*, PyObject* const*, Py_ssize_t nargs) {
    if (!arity("pngpage", nargs, 0)) return nullptr;
    std::string png;
    if (!run("pngpage", true, [&] {
            kal::CallLock lock;
            if (kal::Context* ctx = kal::level_check(0, 0, "pngpage")) kal::finished_page_png(*ctx, png);
        }))
        return nullptr;
    return PyBytes_FromStringAndSize(png.data(), Py_ssize_t(png.size()));
}

}  // namespace kalpy
