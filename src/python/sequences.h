// Wrappers of the routines that take sequences or need Python-specific
// argument handling.
#pragma once
#include "convert.h"

namespace kalpy {

// pdfbuf and rbfpng: n < 0 gives (b"", 0); n = 0 asks `fill` for the size
// of the output held in memory; otherwise an n-byte buffer is filled and its
// first k bytes are returned with k.
PyObject* memory_output(const char* name, int (*fill)(char*, int), PyObject* args);

// Parses a str/bytes argument for PyArg_ParseTuple's "O&".
int string_arg(PyObject* o, void* out);

#define CUSTOM(name, args, results, lock) PyObject* py_##name(PyObject*, PyObject*);
#define ROUTINE(name, args, results, lock)
#include "routines.def"
#undef CUSTOM
#undef ROUTINE

}  // namespace kalpy
