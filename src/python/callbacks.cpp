#include "python/callbacks.h"

#include <climits>
#include <map>
#include <vector>
#include <string>
#include <utility>

#include "core/threads.h"
#include "widgets/widget_state.h"

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
thread_local bool held_for_caller = false;  // inside a CallbackFailures scope

void failed(PyObject* fn) {
    if (failure.type) {
        PyErr_Clear();
        return;
    }
    PyErr_Fetch(&failure.type, &failure.value, &failure.traceback);
    Py_INCREF(fn);
    failure.callable = fn;
}

constexpr size_t MAX_WIDGET_CALLBACKS = 200;

struct Keyed {
    PyObject* fn = nullptr;
    PyObject* data = nullptr;  // nullptr: called with the identifier only
};
using WidgetKey = std::pair<const kal::Context*, int>;

std::map<WidgetKey, Keyed>& widget_registry() {
    static auto* r = new std::map<WidgetKey, Keyed>;
    return *r;
}

size_t count_of(const kal::Context* ctx) {
    auto& r = widget_registry();
    size_t n = 0;
    for (auto it = r.lower_bound({ctx, INT_MIN}); it != r.end() && it->first.first == ctx; ++it) ++n;
    return n;
}

// The exception (SystemExit, KeyboardInterrupt) that ended the thread's dialog.
struct Exit {
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
};
thread_local Exit dialog_exit;

// Run by the library, perhaps without the interpreter lock and perhaps
// while the interpreter ends.
void drop_widget_callbacks(const kal::Context* ctx) {
    if (!Py_IsInitialized() || _Py_IsFinalizing()) return;
    const PyGILState_STATE gil = PyGILState_Ensure();
    auto& r = widget_registry();
    std::vector<Keyed> gone;
    for (auto it = r.lower_bound({ctx, INT_MIN}); it != r.end() && it->first.first == ctx;) {
        gone.push_back(it->second);
        it = r.erase(it);
    }
    for (Keyed& k : gone) {  // last: their destructors may run Python code
        Py_XDECREF(k.fn);
        Py_XDECREF(k.data);
    }
    PyGILState_Release(gil);
}

}  // namespace

bool keyed_room(int id) {
    const kal::Context* ctx = kal::fetch_record();
    if (widget_registry().count({ctx, id}) || count_of(ctx) < MAX_WIDGET_CALLBACKS) return true;
    PyErr_SetString(PyExc_ValueError, "Too many callback routines");
    return false;
}

void keep_keyed_callback(int id, PyObject* fn, PyObject* data) {
    const kal::Context* ctx = kal::fetch_record();
    if (fn != Py_None && !kal::widget_callback_set(id)) return;  // the library refused it
    auto& r = widget_registry();
    Keyed old;
    if (auto it = r.find({ctx, id}); it != r.end()) {
        old = it->second;
        r.erase(it);
    }
    if (fn != Py_None) {
        Py_INCREF(fn);
        Py_XINCREF(data);
        r[{ctx, id}] = Keyed{fn, data};
    }
    Py_XDECREF(old.fn);
    Py_XDECREF(old.data);
}

void call_keyed_callback(int id) {
    auto& r = widget_registry();
    auto it = r.find({kal::fetch_record(), id});
    if (it == r.end()) return;
    PyObject* fn = it->second.fn;
    PyObject* data = it->second.data;
    Py_INCREF(fn);  // the callable may replace its own registration
    Py_XINCREF(data);
    PyObject* result = data ? PyObject_CallFunction(fn, "iO", id, data) : PyObject_CallFunction(fn, "i", id);
    Py_XDECREF(result);
    if (!result) {
        if (PyErr_ExceptionMatches(PyExc_SystemExit) || PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)) {
            if (!dialog_exit.type)
                PyErr_Fetch(&dialog_exit.type, &dialog_exit.value, &dialog_exit.traceback);
            else
                PyErr_Clear();
            kal::widget_dialog_quit();
        } else {
            PyErr_Print();  // the traceback; the dialog goes on
        }
    }
    Py_DECREF(fn);
    Py_XDECREF(data);
}

bool restore_dialog_exit() {
    if (!dialog_exit.type) return false;
    PyErr_Restore(dialog_exit.type, dialog_exit.value, dialog_exit.traceback);
    dialog_exit = Exit();
    return true;
}

void watch_widget_callbacks() { kal::set_callbacks_ended(drop_widget_callbacks); }

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
    if (!failure.type || held_for_caller) return;
    Failure f = failure;
    failure = Failure();
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);  // keep an exception of the call itself
    PyErr_Restore(f.type, f.value, f.traceback);
    PyErr_WriteUnraisable(f.callable);
    Py_DECREF(f.callable);
    PyErr_Restore(type, value, traceback);
}

CallbackFailures::CallbackFailures() : outer_(held_for_caller) { held_for_caller = true; }

CallbackFailures::~CallbackFailures() {
    held_for_caller = outer_;
    report_callback_failure();
}

bool CallbackFailures::raise() {
    if (!failure.type) return false;
    Failure f = failure;
    failure = Failure();
    PyErr_Restore(f.type, f.value, f.traceback);
    Py_DECREF(f.callable);
    return true;
}

}  // namespace kalpy
