// The guard of the extern "C" entries: a failure goes to the fatal handler.
#pragma once
#include "api/guard.h"

namespace kal {

// Prints what the failure needs and calls the fatal handler (c_api.cpp).
void c_failure(const Outcome& outcome);

template <typename Body>
void c_guard(const char* routine, Body&& body) {
    Outcome o = guard(routine, body);
    if (o.failure != Failure::None) c_failure(o);
}

}  // namespace kal
