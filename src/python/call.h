// How a Python wrapper calls its framed entry: the argument count check, the
// call itself (interpreter lock released where the table says so, every
// exception turned into a Python exception) and the result tuple.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <initializer_list>

#include "api/guard.h"

namespace kalpy {

// False with TypeError unless exactly `expected` arguments were given.
bool arity(const char* name, Py_ssize_t given, Py_ssize_t expected);

// Sets the Python exception for a failed call.
void raise_failure(const kal::Outcome& outcome);

// Runs `body` (the interpreter lock released when `nogil`); false with a
// Python exception set when it failed: RuntimeError for fatal conditions
// and internal errors, MemoryError when memory ran out.
template <typename Body>
bool run(const char* name, bool nogil, Body&& body) {
    PyThreadState* saved = nogil ? PyEval_SaveThread() : nullptr;
    kal::Outcome o = kal::guard(name, body);
    if (saved) PyEval_RestoreThread(saved);
    if (o.failure == kal::Failure::None) return true;
    raise_failure(o);
    return false;
}

// One result as it is, several as a tuple; nullptr when one of them is.
PyObject* pack(std::initializer_list<PyObject*> items);

}  // namespace kalpy
