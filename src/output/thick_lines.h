// Thick lines on devices without a native line width: the flushed polyline
// is outlined at growing distances up to half the width.
#pragma once

namespace kal {

struct Context;

void draw_thick_outline(Context& ctx, const double* x, const double* y, int n);

}  // namespace kal
