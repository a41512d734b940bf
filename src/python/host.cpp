#include "python/host.h"

#include <string>
#include <vector>

#include "core/lifecycle.h"
#include "core/message_out.h"

namespace kalpy {
namespace {

PyObject* kalvor_warning = nullptr;

bool finalizing() {
#if PY_VERSION_HEX >= 0x030D0000
    return Py_IsFinalizing();
#else
    return _Py_IsFinalizing();
#endif
}

// Message text as Python text: UTF-8 where it is (file names), else Latin-1.
PyObject* decode(const char* text, size_t size) {
    PyObject* s = PyUnicode_DecodeUTF8(text, Py_ssize_t(size), nullptr);
    if (s) return s;
    PyErr_Clear();
    return PyUnicode_DecodeLatin1(text, Py_ssize_t(size), nullptr);
}

// Standard output of the library while the module is loaded: sys.stdout
// unless that is the process's descriptor 1 (then the library writes there
// itself, as before), so that redirect_stdout, capsys and notebook cells
// see the lines. A thread without an interpreter state (one that Python
// never ran, or one that is ending and finishes its plot) writes directly.
bool write_to_sys_stdout(const char* text, size_t size) {
    if (!Py_IsInitialized() || finalizing() || !PyGILState_GetThisThreadState()) return false;
    PyGILState_STATE gil = PyGILState_Ensure();
    PyObject *type, *value, *trace;
    PyErr_Fetch(&type, &value, &trace);
    bool written = false;
    PyObject* out = PySys_GetObject("stdout");  // borrowed
    if (out && out != Py_None) {
        PyObject* fd = PyObject_CallMethod(out, "fileno", nullptr);
        const bool own_fd = fd && PyLong_Check(fd) && PyLong_AsLong(fd) == 1;
        Py_XDECREF(fd);
        PyErr_Clear();
        if (!own_fd) {
            PyObject* s = decode(text, size);
            PyObject* r = s ? PyObject_CallMethod(out, "write", "O", s) : nullptr;
            written = r != nullptr;
            Py_XDECREF(r);
            Py_XDECREF(s);
            if (written) Py_XDECREF(PyObject_CallMethod(out, "flush", nullptr));
            PyErr_Clear();
        }
    }
    PyErr_Restore(type, value, trace);
    PyGILState_Release(gil);
    return written;
}

// " <<<< Warning   2: Incorrect parameter in metafl!   (pdfx)\n" becomes
// "Warning   2: Incorrect parameter in metafl!   (pdfx)".
std::string warning_text(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return std::string();
    if (line.compare(start, 5, "<<<< ") == 0 || line.compare(start, 5, ">>>> ") == 0) start += 5;
    return line.substr(start);
}

PyObject* finish_at_exit(PyObject*, PyObject*) {
    Py_BEGIN_ALLOW_THREADS
    try {
        kal::finish_open_plot();
    } catch (...) {
        // The interpreter is ending: a plot that cannot be finished stays as it is.
    }
    Py_END_ALLOW_THREADS
    Py_RETURN_NONE;
}

PyMethodDef EXIT_METHOD = {"_finish_at_exit", finish_at_exit, METH_NOARGS, nullptr};

}  // namespace

bool install_host(PyObject* module) {
    kalvor_warning = PyErr_NewExceptionWithDoc(
        "kalvor.KalvorWarning",
        "A library warning, issued instead of printed after warnings_as_exceptions(True).",
        PyExc_UserWarning, nullptr);
    if (!kalvor_warning) return false;
    Py_INCREF(kalvor_warning);
    if (PyModule_AddObject(module, "KalvorWarning", kalvor_warning) < 0) {
        Py_DECREF(kalvor_warning);
        return false;
    }
    PyObject* handler = PyCFunction_New(&EXIT_METHOD, nullptr);
    PyObject* atexit = handler ? PyImport_ImportModule("atexit") : nullptr;
    PyObject* r = atexit ? PyObject_CallMethod(atexit, "register", "O", handler) : nullptr;
    Py_XDECREF(r);
    Py_XDECREF(atexit);
    Py_XDECREF(handler);
    if (!r) return false;
    kal::set_stdout_writer(write_to_sys_stdout);
    return true;
}

bool issue_collected_warnings(bool call_succeeded) {
    std::vector<std::string> lines = kal::take_collected_warnings();
    if (!call_succeeded) return false;
    for (const std::string& line : lines) {
        // The text may hold Latin-1 bytes (a keyword as the caller gave it).
        const std::string text = warning_text(line);
        PyObject* message = decode(text.data(), text.size());
        const int raised = message ? PyErr_WarnFormat(kalvor_warning, 1, "%U", message) : -1;
        Py_XDECREF(message);
        if (raised < 0) return false;
    }
    return true;
}

}  // namespace kalpy
