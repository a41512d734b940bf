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

void Saved<OutputState>::restore(OutputState& out) const {
    out.driver.reset();
    out.raster.reset();
    out.file = nullptr;
    out.record.clear();
    static_cast<OutputValues&>(out) = values;
}

void OutputState::reset(Context& ctx) {
    ctx.out.xshift = 0.0;
    ctx.out.current_colour = 0;
}
const ResetKeys OutputState::reset_keys = {};

}  // namespace kal
