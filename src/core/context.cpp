#include "core/context.h"

#include <cstdio>

namespace kal {

// Member initialisers hold the first-use defaults.
Context::Context() = default;

Context::~Context() {
    if (frame.errfile_open && frame.errfile_stream && frame.errfile_stream != stdout)
        std::fclose(frame.errfile_stream);
    if (out.file && out.file != stdout) std::fclose(out.file);
}

}  // namespace kal
