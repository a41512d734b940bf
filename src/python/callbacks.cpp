#include "python/callbacks.h"

#include <map>
#include <string>
#include <utility>

#include "core/threads.h"

namespace kalpy {
namespace {

using Key = std::pair<std::string, const kal::Context*>;

// Never destroyed: the references it holds die with the process, not during
// the interpreter's finalisation.
std::map<Key, PyObject*>& registry() {
    static auto* r = new std::map<Key, PyObject*>;
    return *r;
}

// The first failure of the thread's current library call.
struct Failure {
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyObject* callable = nullptr;
};
thread_local Failure failure;
// Inside a RaiseCallbackFailure: the failure report_callback_failure takes
// over, for raising.
thread_local bool keep_for_raising = false;
thread_local Failure kept;

void drop(Failure& f) {
    Py_XDECREF(f.type);
    Py_XDECREF(f.value);
    Py_XDECREF(f.traceback);
    Py_XDECREF(f.callable);
    f = Failure();
}

void failed(PyObject* fn) {
    if (failure.type) {
        PyErr_Clear();
        return;
    }
    PyErr_Fetch(&failure.type, &failure.value, &failure.traceback);
    Py_INCREF(fn);
    failure.callable = fn;
}

}  // namespace

bool is_callback(const char* routine, PyObject* fn) {
    if (fn == Py_None || PyCallable_Check(fn)) return true;
    PyErr_Format(PyExc_TypeError, "%s: expected a callable or None, not %.100s", routine, Py_TYPE(fn)->tp_name);
    return false;
}

void keep_callback(const char* kind, PyObject* fn) {
    const Key key{kind, kal::fetch_record()};
    auto& r = registry();
    PyObject* old = nullptr;
    if (auto it = r.find(key); it != r.end()) {
        old = it->second;
        r.erase(it);
    }
    if (fn != Py_None) {
        Py_INCREF(fn);
        r[key] = fn;
    }
    Py_XDECREF(old);  // last: its destructor may run Python code
}

PyObject* registered_callback(const char* kind) {
    auto& r = registry();
    auto it = r.find(Key{kind, kal::fetch_record()});
    return it == r.end() ? nullptr : it->second;
}

bool call_callback(PyObject* fn, PyObject** in, int n_in, double* out, int n_out) {
    bool complete = true;
    for (int i = 0; i < n_in; ++i) complete = complete && in[i];
    Py_INCREF(fn);  // the callable may replace its own registration
    PyObject* result = complete ? PyObject_Vectorcall(fn, in, size_t(n_in), nullptr) : nullptr;
    for (int i = 0; i < n_in; ++i) Py_XDECREF(in[i]);
    bool ok = result != nullptr;
    if (ok && n_out == 1) {
        out[0] = PyFloat_AsDouble(result);
        ok = !PyErr_Occurred();
    } else if (ok) {
        PyObject* seq = PySequence_Fast(result, "");
        if (!seq || PySequence_Fast_GET_SIZE(seq) != n_out) {
            PyErr_Clear();
            PyErr_Format(PyExc_TypeError, "the callback must return a sequence of %d numbers, not %.100s", n_out,
                         Py_TYPE(result)->tp_name);
            ok = false;
        } else {
            for (int i = 0; i < n_out && ok; ++i) {
                out[i] = PyFloat_AsDouble(PySequence_Fast_GET_ITEM(seq, i));
                ok = !PyErr_Occurred();
            }
        }
        Py_XDECREF(seq);
    }
    Py_XDECREF(result);
    if (!ok) failed(fn);
    Py_DECREF(fn);
    return ok;
}

void report_callback_failure() {
    if (!failure.type) return;
    Failure f = failure;
    failure = Failure();
    if (keep_for_raising && !kept.type) {
        kept = f;
        return;
    }
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);  // keep an exception of the call itself
    PyErr_Restore(f.type, f.value, f.traceback);
    PyErr_WriteUnraisable(f.callable);
    Py_DECREF(f.callable);
    PyErr_Restore(type, value, traceback);
}

RaiseCallbackFailure::RaiseCallbackFailure() { keep_for_raising = true; }

RaiseCallbackFailure::~RaiseCallbackFailure() {
    keep_for_raising = false;
    drop(kept);
}

bool RaiseCallbackFailure::raise() {
    if (!kept.type) return false;
    PyErr_Restore(kept.type, kept.value, kept.traceback);
    Py_XDECREF(kept.callable);
    kept = Failure();
    return true;
}

}  // namespace kalpy
