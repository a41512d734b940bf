// What the module adds for its host interpreter: message lines through
// sys.stdout, library warnings as Python warnings, the open plot finished
// at interpreter exit.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace kalpy {

// Installs the stdout writer, creates KalvorWarning and registers the exit
// handler; false with a Python exception set.
bool install_host(PyObject* module);

// After a successful call: the warnings the calling thread collected (see
// warnings_as_exceptions) issued as KalvorWarning; false when one of them
// raised. After a failed call they are dropped.
bool issue_collected_warnings(bool call_succeeded);

// Adds _use_notebook, which registers the notebook presenter; false when
// the module refused it.
bool install_notebook(PyObject* module);

}  // namespace kalpy
