#include "core/context.h"

#include "output/driver.h"
#include "output/drivers/pdf.h"
#include "output/raster/raster.h"

namespace kal {

// Member initialisers hold the first-use defaults.
Context::Context() = default;

Context::~Context() {
    if (frame.errfile_open && frame.errfile_stream && frame.errfile_stream != stdout)
        std::fclose(frame.errfile_stream);
    if (out.file && out.file != stdout) std::fclose(out.file);
}

OutputState::OutputState() = default;
OutputState::~OutputState() = default;

}  // namespace kal
