// Declarations of the public routines inside the library (namespace kal).
// They may throw kal::Fatal; the C and Python entry points catch it.
#pragma once
#include <cstdio>

namespace kal {
#define KAL_ROUTINE(ret, name, params, args) ret name params;
#include "api/routines.def"
#undef KAL_ROUTINE
}  // namespace kal
