// Defaults and reset keys of the axis settings.
#include "core/context.h"
#include "plot2d/axis_system.h"

namespace kal {

const ResetKeys AxisState::reset_keys = {};

void AxisState::reset(Context& ctx) { ctx.axes = AxisState{}; }

// The outside-scaling check is filled in with graf.
int outside_scaling(Context&, double, double) { return 0; }

}  // namespace kal
