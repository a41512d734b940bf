// The extension module kalvor._kalvor: the generated routine table plus the
// module's private helpers.
#include <dlfcn.h>

#include <cstring>
#include <string>

#include "api/abi_digest.h"
#include "core/export.h"
#include "core/install.h"
#include "output/screen/presenter.h"
#include "python/callbacks.h"
#include "python/convert.h"
#include "python/host.h"
#include "python/module.h"
#include "widgets/widget_common.h"

namespace kalpy {
namespace {

PyObject* set_data_dir(PyObject*, PyObject* arg) {
    std::string dir;
    if (!to_filename(arg, dir)) return nullptr;
    kal::set_package_data_dir(dir);
    Py_RETURN_NONE;
}

// A presenter of the binding's own: every picture of a screen plot goes to
// a Python callable (window number, width, height, RGB bytes, page done)
// instead of a window. The notebook and widget front ends build on it.
PyObject* shown_callback = nullptr;
int shown_windows = 0;

int hook_open(void*, int, int, int, int, int, const char*) { return ++shown_windows; }
void hook_show(void*, int handle, const unsigned char* rgb, int w, int h, int, int, int, int, int flags) {
    PyGILState_STATE g = PyGILState_Ensure();
    if (shown_callback) {
        PyObject* r = PyObject_CallFunction(shown_callback, "iiiy#i", handle, w, h, reinterpret_cast<const char*>(rgb),
                                            Py_ssize_t(w) * h * 3, flags & KAL_SHOW_PAGE_DONE);
        if (r)
            Py_DECREF(r);
        else
            PyErr_WriteUnraisable(shown_callback);
    }
    PyGILState_Release(g);
}
int hook_wait(void*, const int*, int, int, int, int, int) { return KAL_WAIT_CLOSED; }
const char* hook_display(void*) { return "NONE"; }
const kal_presenter HOOK = {KAL_PRESENTER_VERSION, nullptr, hook_display, nullptr, hook_open, nullptr,
                            hook_show, hook_wait, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

PyObject* set_presenter(PyObject*, PyObject* arg) {
    if (arg != Py_None && !PyCallable_Check(arg)) {
        PyErr_SetString(PyExc_TypeError, "_set_presenter() takes a callable or None");
        return nullptr;
    }
    Py_XINCREF(arg == Py_None ? nullptr : arg);
    Py_XSETREF(shown_callback, arg == Py_None ? nullptr : arg);
    kal::register_presenter(shown_callback ? &HOOK : nullptr);
    Py_RETURN_NONE;
}

// For tests of the dialogs on a display, from a thread other than the one
// in the dialog: _testing("shown", seconds) waits for a dialog or question
// on the screen (True when one is there); _testing("rect", id) gives widget
// id's rectangle in screen pixels (0: the window), None when not shown;
// _testing("act", id, action, value) acts on it as a user would (True when
// it could): "click", "select" n, "text" s, "activate", "chosen" path,
// "press", "menu" label, "close"; on a question "text", "select", "file",
// "ok" (Yes 1, No 0), "close".
PyObject* testing(PyObject*, PyObject* args) {
    const char* what = nullptr;
    PyObject *a = nullptr, *b = nullptr, *c = nullptr;
    if (!PyArg_ParseTuple(args, "s|OOO:_testing", &what, &a, &b, &c)) return nullptr;
    const kal_widget_toolkit* tk = kal::display_toolkit();
    if (!tk) Py_RETURN_NONE;
    const std::string w = what;
    if (w == "shown") {
        const double seconds = a ? PyFloat_AsDouble(a) : 5.0;
        if (PyErr_Occurred()) return nullptr;
        int handle;
        Py_BEGIN_ALLOW_THREADS handle = tk->test_shown(int(seconds * 1000));
        Py_END_ALLOW_THREADS return PyBool_FromLong(handle != 0);
    }
    const int id = a ? int(PyLong_AsLong(a)) : 0;
    if (PyErr_Occurred()) return nullptr;
    if (w == "rect") {
        int r[4] = {0, 0, 0, 0}, ok;
        Py_BEGIN_ALLOW_THREADS ok = tk->test_rect(id, r);
        Py_END_ALLOW_THREADS if (!ok) Py_RETURN_NONE;
        return Py_BuildValue("(iiii)", r[0], r[1], r[2], r[3]);
    }
    if (w == "act") {
        const char* action = b ? PyUnicode_AsUTF8(b) : nullptr;
        PyObject* text = c ? PyObject_Str(c) : nullptr;
        const char* value = text ? PyUnicode_AsUTF8(text) : "";
        if (!action || !value) {
            Py_XDECREF(text);
            if (!PyErr_Occurred()) PyErr_SetString(PyExc_TypeError, "_testing(\"act\", id, action[, value])");
            return nullptr;
        }
        const std::string act = action, val = value;
        Py_XDECREF(text);
        int ok;
        Py_BEGIN_ALLOW_THREADS ok = tk->test_act(id, act.c_str(), val.c_str());
        Py_END_ALLOW_THREADS return PyBool_FromLong(ok);
    }
    PyErr_Format(PyExc_ValueError, "_testing: unknown request %s", what);
    return nullptr;
}

PyMethodDef PRIVATE_METHODS[] = {
    {"_testing", testing, METH_VARARGS, nullptr},
    {"_set_data_dir", set_data_dir, METH_O, nullptr},
    {"_set_presenter", set_presenter, METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef MODULE = {PyModuleDef_HEAD_INIT, "kalvor._kalvor", nullptr, -1, ROUTINE_METHODS,
                      nullptr, nullptr, nullptr, nullptr};

// (name, argument letters, result letters, releases the lock) per routine.
PyObject* routine_table() {
    Py_ssize_t n = 0;
    while (ROUTINE_ROWS[n].name) ++n;
    PyObject* rows = PyTuple_New(n);
    if (!rows) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const RoutineRow& r = ROUTINE_ROWS[i];
        PyObject* row = Py_BuildValue("(sssO)", r.name, r.arguments, r.results, r.nogil ? Py_True : Py_False);
        if (!row) {
            Py_DECREF(rows);
            return nullptr;
        }
        PyTuple_SET_ITEM(rows, i, row);
    }
    return rows;
}

// The file that holds `address` (a function of the module or the library).
std::string file_of(const void* address) {
    Dl_info info;
    if (dladdr(address, &info) && info.dli_fname) return info.dli_fname;
    return "?";
}

// The module calls into the shared library it was built with; another build
// of the library (one loaded earlier by the process under the same soname)
// would take calls it was not made for.
bool library_matches() {
    const char* library = kalvor_abi_digest();
    if (std::strcmp(library, KALVOR_ABI_DIGEST) == 0) return true;
    PyErr_Format(PyExc_ImportError,
                 "kalvor._kalvor (%s, build %s) does not match the KALVOR library loaded from %s (build %s); "
                 "install the module and the library together",
                 file_of(reinterpret_cast<const void*>(&library_matches)).c_str(), KALVOR_ABI_DIGEST,
                 file_of(reinterpret_cast<const void*>(&kalvor_abi_digest)).c_str(), library);
    return false;
}

}  // namespace
}  // namespace kalpy

PyMODINIT_FUNC PyInit__kalvor() {
    if (!kalpy::library_matches()) return nullptr;
    PyObject* m = PyModule_Create(&kalpy::MODULE);
    kalpy::watch_widget_callbacks();
    if (!m) return nullptr;
    if (PyModule_AddFunctions(m, kalpy::PRIVATE_METHODS) < 0 ||
        PyModule_AddObject(m, "_routines", kalpy::routine_table()) < 0 || !kalpy::install_host(m) ||
        !kalpy::install_notebook(m)) {
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}
