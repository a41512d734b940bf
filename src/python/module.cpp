// The extension module kalvor._kalvor: the generated routine table plus the
// module's private helpers.
#include <string>

#include "core/install.h"
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

PyMethodDef PRIVATE_METHODS[] = {
    {"_set_data_dir", set_data_dir, METH_O, nullptr},
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

}  // namespace
}  // namespace kalpy

PyMODINIT_FUNC PyInit__kalvor() {
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
