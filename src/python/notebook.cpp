// The presenter of notebook kernels: the screen devices' finished pages go
// into the cell through kalvor._notebook.show.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "output/screen/presenter.h"

namespace kalpy {
namespace {

PyObject* shower = nullptr;  // kalvor._notebook.show
int handles = 0;

const char* nb_display(void*) { return "NOTE"; }
int nb_screen(void*, int* w, int* h, int* area) {
    *w = *h = 0;
    area[0] = area[1] = area[2] = area[3] = 0;
    return 0;
}
int nb_open(void*, int, int, int, int, int, const char*) { return ++handles; }
void nb_title(void*, int, const char*) {}
void nb_show(void*, int, const unsigned char* rgb, int w, int h, int, int, int, int, int flags) {
    if (!(flags & KAL_SHOW_PAGE_DONE) || !shower || !Py_IsInitialized()) return;
    PyGILState_STATE gil = PyGILState_Ensure();
    PyObject* r = PyObject_CallFunction(shower, "y#ii", reinterpret_cast<const char*>(rgb),
                                        Py_ssize_t(w) * h * 3, w, h);
    if (!r) PyErr_WriteUnraisable(shower);
    Py_XDECREF(r);
    PyGILState_Release(gil);
}
// Nothing to wait for in a cell: the page is shown and the plot ends.
int nb_wait(void*, const int*, int, int, int, int, int) { return KAL_WAIT_CLOSED; }
void nb_close(void*, int) {}

const kal_presenter NOTEBOOK = {KAL_PRESENTER_VERSION, nullptr, nb_display, nb_screen, nb_open, nb_title, nb_show,
                                nb_wait, nb_close, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// _use_notebook(show): pages of screen plots go to show(rgb, w, h).
PyObject* use_notebook(PyObject*, PyObject* show) {
    Py_INCREF(show);
    Py_XSETREF(shower, show);
    kal::register_presenter(&NOTEBOOK);
    Py_RETURN_NONE;
}

PyMethodDef METHOD = {"_use_notebook", use_notebook, METH_O, nullptr};

}  // namespace

bool install_notebook(PyObject* module) {
    PyObject* f = PyCFunction_New(&METHOD, nullptr);
    return f && PyModule_AddObject(module, "_use_notebook", f) == 0;
}

}  // namespace kalpy
