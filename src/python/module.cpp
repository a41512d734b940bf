// The extension module kalvor._kalvor: the generated routine table plus the
// module's private helpers.
#include <dlfcn.h>

#include <cstring>
#include <string>

#include "api/abi_digest.h"
#include "core/export.h"
#include "core/install.h"
#include "output/screen/presenter.h"
#include "python/convert.h"
#include "python/host.h"
#include "python/module.h"

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
                            hook_show, hook_wait, nullptr};

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

PyMethodDef PRIVATE_METHODS[] = {
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
    if (!m) return nullptr;
    if (PyModule_AddFunctions(m, kalpy::PRIVATE_METHODS) < 0 ||
        PyModule_AddObject(m, "_routines", kalpy::routine_table()) < 0 || !kalpy::install_host(m) ||
        !kalpy::install_notebook(m)) {
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}
