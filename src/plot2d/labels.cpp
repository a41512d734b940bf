// Axis labels and names.
#include "plot2d/labels.h"

#include "core/context.h"

namespace kal {

const ResetKeys LabelState::reset_keys = {};

void LabelState::reset(Context& ctx) { ctx.labels = LabelState{}; }

int draw_axis_labels(Context&, const AxisSide&) { return 0; }

void draw_axis_name(Context&, const AxisSide&, int) {}

}  // namespace kal
