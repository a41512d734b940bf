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
// every library call (inside a CallbackFailures scope it stays kept).
void report_callback_failure();

// While it lives, the first failure of a callable is kept for the routine
// that took the callable, which raises it when it returns (after drawing).
class CallbackFailures {
public:
    CallbackFailures();
    ~CallbackFailures();  // a failure not raised goes to sys.unraisablehook
    CallbackFailures(const CallbackFailures&) = delete;
    CallbackFailures& operator=(const CallbackFailures&) = delete;
    // True with the failure set as the current exception, if there was one.
    bool raise();

private:
    bool outer_;
};
// Widget callbacks, kept per record and widget identifier (at most 200 per
// record's dialog; the record's next wgini, delglb or thrfin drops them).
// False with ValueError "Too many callback routines" when the calling
// thread's record has no room for another identifier.
bool keyed_room(int id);
// Keeps fn (with `data`, nullptr none) for widget id once the library took
// the registration; None removes it.
void keep_keyed_callback(int id, PyObject* fn, PyObject* data);
// Calls the callable of widget id: f(id) or f(id, data). An exception is
// printed with its traceback and cleared; SystemExit and KeyboardInterrupt
// end the running dialog and are raised again when wgfin returns.
void call_keyed_callback(int id);
// Sets the exception a callback ended the dialog with; false when none.
bool restore_dialog_exit();
// Registers the library hook that drops a record's widget callbacks.
void watch_widget_callbacks();

}  // namespace kalpy
