// Scaling and drawing of 3-D axis systems, shared by graf3d and graf3.
#pragma once
#include "plot2d/axis_system.h"

namespace kal {

struct Context;

// Scales one axis from its four numbers (or automatically) with the axis
// checks; false after a failing check. `length` is the plot length of the
// axis, `start` its plot start.
bool scale_axis(Context& ctx, int axis, double a, double e, double first, double step, int length,
                double start, AxisScale& out);

// Ends a grfini plane left open (a new axis system starts).
void end_plane(Context& ctx);

// The three axes of the open graf3d system on their box edges.
void draw_axes3d(Context& ctx);

}  // namespace kal
