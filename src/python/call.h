// How a Python wrapper calls its framed entry: the argument count check, the
// call itself (interpreter lock released where the table says so, every
// exception turned into a Python exception) and the result tuple.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <initializer_list>
#include <optional>

#include "api/guard.h"
#include "core/call_lock.h"
#include "core/message_out.h"
#include "python/callbacks.h"
#include "python/host.h"
#include "output/screen/presenter.h"

namespace kalpy {

// False with TypeError unless exactly `expected` arguments were given.
bool arity(const char* name, Py_ssize_t given, Py_ssize_t expected);

// Sets the Python exception for a failed call.
void raise_failure(const kal::Outcome& outcome);

// Runs `body` (the interpreter lock released when `nogil`); false with a
// Python exception set when it failed: RuntimeError for fatal conditions
// and internal errors, MemoryError when memory ran out. A call that keeps
// the interpreter lock never waits for the library's call lock with it: when
// another thread is inside the library (perhaps blocked on a file), the
// interpreter lock is given up for the wait, so that other Python threads
// run on. Warnings the thread collects (warnings_as_exceptions) are issued
// after a successful call; one that raises makes the call fail. An exception
// of a Python callback during the call goes to sys.unraisablehook, once.
template <typename Body>
bool run(const char* name, bool nogil, Body&& body) {
    kal::Outcome o;
    if (nogil) {
        PyThreadState* saved = PyEval_SaveThread();
        o = kal::guard(name, body);
        PyEval_RestoreThread(saved);
    } else {
        std::optional<kal::CallLock> lock;
        lock.emplace(std::try_to_lock);
        if (!lock->held()) {
            lock.reset();
            PyThreadState* saved = PyEval_SaveThread();
            lock.emplace();
            PyEval_RestoreThread(saved);
        }
        o = kal::guard(name, body);
    }
    report_callback_failure();
    const bool succeeded = o.failure == kal::Failure::None;
    if (kal::collecting_warnings() && !issue_collected_warnings(succeeded) && succeeded) return false;
    if (succeeded) return true;
    raise_failure(o);
    return false;
}

// The thread state of a call that waits for the user, while it runs.
extern thread_local PyThreadState* waiting_thread;
// Runs signal handlers with the interpreter lock taken for a moment; true
// when one raised (KeyboardInterrupt), which ends the wait.
bool signal_raised();

// As run with the interpreter lock released, for routines that may wait for
// the user: every 100 ms of the wait the signal handlers run; an exception
// they raise (Ctrl-C) ends the wait and is raised once the call completed.
template <typename Body>
bool run_waiting(const char* name, Body&& body) {
    // A waiting call may run inside another one's wait (kalfin in a dialog's
    // callback): the outer call's thread state comes back afterwards.
    PyThreadState* outer = waiting_thread;
    PyThreadState* mine = waiting_thread = PyEval_SaveThread();
    kal::set_wait_interrupt(signal_raised);
    kal::Outcome o = kal::guard(name, body);
    kal::set_wait_interrupt(outer ? signal_raised : nullptr);
    PyEval_RestoreThread(mine);
    waiting_thread = outer;
    report_callback_failure();
    if (o.failure != kal::Failure::None) {
        raise_failure(o);
        return false;
    }
    if (restore_dialog_exit()) return false;
    return !PyErr_Occurred();
}

// One result as it is, several as a tuple; nullptr when one of them is.
PyObject* pack(std::initializer_list<PyObject*> items);

}  // namespace kalpy
