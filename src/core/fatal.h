// Fatal conditions: the message is printed on standard output exactly as the
// library has always printed it, then a Fatal exception unwinds to the public
// entry point (Python: RuntimeError, C: the replaceable fatal handler).
// Every routine detects its fatal conditions before it changes any state.
#pragma once
#include <stdexcept>
#include <string>

#include "core/export.h"

namespace kal {

// Thrown in the library and caught in the Python module: one type for both.
struct KALVOR_INTERNAL Fatal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Prints `printed` on standard output (no line feed added) and throws Fatal
// whose text is `printed` without the ">>>> " prefix and trailing line feed.
[[noreturn]] void fatal(const std::string& printed);

}  // namespace kal
