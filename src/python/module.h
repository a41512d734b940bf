// The routine table of the module, generated from src/api/routines.tab.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace kalpy {

// name, argument letters, result letters, lock released during the call.
struct RoutineRow {
    const char* name;
    const char* arguments;
    const char* results;
    bool nogil;
};

// Both end with a row of nullptr.
extern PyMethodDef ROUTINE_METHODS[];
extern const RoutineRow ROUTINE_ROWS[];

}  // namespace kalpy
