// The extension module kalvor._kalvor: its routine table and module init.
#include <string>

#include "api/routines.h"
#include "core/install.h"
#include "sequences.h"
#include "wrap.h"

namespace kalpy {
namespace {

enum Lock { HELD = 0, FREE = 1 };

#define ROUTINE(name, arg_format, result_format, lock)                                        \
    static_assert(same_format(Wrapper<&kal::name>::arguments.data(), arg_format),            \
                  #name ": argument format differs from the C++ signature");                  \
    static_assert(same_format(Wrapper<&kal::name>::results.data(), result_format),           \
                  #name ": result format differs from the C++ signature");                    \
    PyObject* py_##name(PyObject*, PyObject* a) {                                             \
        return Wrapper<&kal::name>::call(#name, lock == FREE, a);                             \
    }
#define CUSTOM(name, args, results, lock)
#include "routines.def"
#undef ROUTINE
#undef CUSTOM

PyMethodDef METHODS[] = {
#define ROUTINE(name, args, results, lock) {#name, py_##name, METH_VARARGS, nullptr},
#define CUSTOM(name, args, results, lock) {#name, py_##name, METH_VARARGS, nullptr},
#include "routines.def"
#undef ROUTINE
#undef CUSTOM
    {nullptr, nullptr, 0, nullptr},
};

struct TableRow {
    const char* name;
    const char* args;
    const char* results;
    int lock;
};

const TableRow TABLE[] = {
#define ROUTINE(name, args, results, lock) {#name, args, results, lock},
#define CUSTOM(name, args, results, lock) {#name, args, results, lock},
#include "routines.def"
#undef ROUTINE
#undef CUSTOM
};

PyObject* set_data_dir(PyObject*, PyObject* args) {
    std::string dir;
    if (!PyArg_ParseTuple(args, "O&:_set_data_dir", string_arg, &dir)) return nullptr;
    kal::set_package_data_dir(dir);
    Py_RETURN_NONE;
}

PyMethodDef PRIVATE_METHODS[] = {
    {"_set_data_dir", set_data_dir, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef MODULE = {PyModuleDef_HEAD_INIT, "kalvor._kalvor", nullptr, -1, METHODS,
                      nullptr, nullptr, nullptr, nullptr};

// (name, argument format, result format, releases the lock) for every routine.
PyObject* routine_table() {
    const Py_ssize_t n = sizeof(TABLE) / sizeof(TABLE[0]);
    PyObject* rows = PyTuple_New(n);
    if (!rows) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* row = Py_BuildValue("(sssO)", TABLE[i].name, TABLE[i].args, TABLE[i].results,
                                      TABLE[i].lock == FREE ? Py_True : Py_False);
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
        PyModule_AddObject(m, "_routines", kalpy::routine_table()) < 0) {
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}
