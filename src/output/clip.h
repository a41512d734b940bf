// Clipping of segments to the clipping window (rectangle or circle).
#pragma once

namespace kal {

struct Context;

// Whether a point lies inside the window (0.001 plot units of tolerance) or
// inside the clipping circle.
bool inside_window(const Context& ctx, double x, double y);

// Cuts the segment to the window; false when nothing of it is visible.
bool clip_segment(const Context& ctx, double& x1, double& y1, double& x2, double& y2);

}  // namespace kal
