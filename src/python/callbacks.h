// Python callables the library calls back (mapfcn's projection): the binding
// keeps a reference to each one, per callback type and context record, and
// the generated trampolines find them here. Everything in this file runs
// with the interpreter lock held.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace kalpy {

// True for a callable or None; else TypeError naming the routine.
bool is_callback(const char* routine, PyObject* fn);
// Keeps `fn` (None removes it) as the callable of `kind` of the calling
// thread's record, in place of the one before.
void keep_callback(const char* kind, PyObject* fn);
// The callable of `kind` of the calling thread's record (borrowed), or nullptr.
PyObject* registered_callback(const char* kind);
// Calls fn(*in) (the references of `in` are taken over, nullptr items fail
// the call) and stores its results as doubles: one value when n_out is 1,
// else a sequence of n_out numbers. False when it raised or returned
// something else; the first such failure of a library call is kept for
// report_callback_failure, later ones are dropped.
bool call_callback(PyObject* fn, PyObject** in, int n_in, double* out, int n_out);
// Reports the kept failure, if any, through sys.unraisablehook; run after
// every library call. Inside a RaiseCallbackFailure it is kept for raising.
void report_callback_failure();

// For the routines that call a callable while they draw (surfcp): the first
// failure of the callable (an exception, or a result that is no number) is
// raised once the routine has returned, after drawing.
class RaiseCallbackFailure {
public:
    RaiseCallbackFailure();
    ~RaiseCallbackFailure();  // drops a failure not raised
    RaiseCallbackFailure(const RaiseCallbackFailure&) = delete;
    RaiseCallbackFailure& operator=(const RaiseCallbackFailure&) = delete;
    // Sets the kept failure as the current exception; false when there is none.
    bool raise();
};

}  // namespace kalpy
