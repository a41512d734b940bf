// Every public entry point runs its call through guard(): no exception ever
// leaves the library into C or Python. The caller decides what a failure
// becomes (the C fatal handler, a Python exception).
#pragma once
#include <exception>
#include <new>
#include <string>

#include "core/fatal.h"

namespace kal {

enum class Failure { None, Fatal, NoMemory, Internal };

struct Outcome {
    Failure failure = Failure::None;
    std::string message;  // the fatal message, or what an internal error says
};

template <typename Body>
Outcome guard(const char* routine, Body&& body) noexcept {
    Outcome o;
    try {
        body();
        return o;
    } catch (const Fatal& e) {
        o.failure = Failure::Fatal;
        o.message = e.what();
    } catch (const std::bad_alloc&) {
        o.failure = Failure::NoMemory;
    } catch (const std::exception& e) {
        o.failure = Failure::Internal;
        o.message = std::string("Internal error in ") + routine + ": " + e.what();
    } catch (...) {
        o.failure = Failure::Internal;
        o.message = std::string("Internal error in ") + routine;
    }
    return o;
}

}  // namespace kal
