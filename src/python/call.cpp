#include "call.h"

namespace kalpy {

bool arity(const char* name, Py_ssize_t given, Py_ssize_t expected) {
    if (given == expected) return true;
    PyErr_Format(PyExc_TypeError, "%s() takes exactly %zd argument%s (%zd given)", name, expected,
                 expected == 1 ? "" : "s", given);
    return false;
}

void raise_failure(const kal::Outcome& outcome) {
    if (outcome.failure == kal::Failure::NoMemory) {
        PyErr_NoMemory();
    } else {
        PyErr_SetString(PyExc_RuntimeError, outcome.message.c_str());
    }
}

thread_local PyThreadState* waiting_thread = nullptr;

bool signal_raised() {
    if (!waiting_thread) return false;
    PyEval_RestoreThread(waiting_thread);
    const bool raised = PyErr_Occurred() || PyErr_CheckSignals() < 0;
    waiting_thread = PyEval_SaveThread();
    return raised;
}

PyObject* pack(std::initializer_list<PyObject*> items) {
    bool complete = true;
    for (PyObject* o : items) complete = complete && o;
    PyObject* tuple = complete ? PyTuple_New(static_cast<Py_ssize_t>(items.size())) : nullptr;
    if (!tuple) {
        for (PyObject* o : items) Py_XDECREF(o);
        return nullptr;
    }
    Py_ssize_t i = 0;
    for (PyObject* o : items) PyTuple_SET_ITEM(tuple, i++, o);
    return tuple;
}

}  // namespace kalpy
