// Wrappers of the routines that take sequences or need Python-specific
// argument handling.
#pragma once
#include "convert.h"

namespace kalpy {

// Parses a str/bytes argument for PyArg_ParseTuple's "O&".
int string_arg(PyObject* o, void* out);

#define CUSTOM(name, args, results, lock) PyObject* py_##name(PyObject*, PyObject*);
#define ROUTINE(name, args, results, lock)
#include "routines.def"
#undef CUSTOM
#undef ROUTINE

}  // namespace kalpy
