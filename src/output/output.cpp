// The output state's resources: the driver, the raster and the PDF record
// are complete types only here and in the output layer.
#include "output/output.h"

#include "core/context.h"
#include "output/driver.h"
#include "output/drivers/pdf.h"
#include "output/raster/raster.h"

namespace kal {

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
