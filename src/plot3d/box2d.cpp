// box2d: a frame round the axis area of a 2-D system, or round the
// projection of the box of a graf3d system.
#include <algorithm>

#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot3d/view.h"

namespace kal {

void box2d(Context& ctx) {
    double left, top, right, bottom;
    if (graf3d_open(ctx)) {
        // The smallest rectangle round the projected box.
        const View3dState& v = ctx.view3d;
        left = top = 1e300;
        right = bottom = -1e300;
        for (int k = 0; k < 8; ++k) {
            const Vec3 c{(k & 1 ? 0.5 : -0.5) * v.xl, (k & 2 ? 0.5 : -0.5) * v.yl, (k & 4 ? 0.5 : -0.5) * v.zl};
            const PlotPoint p = abs_to_plot(v.view_matrix, c);
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
    } else {
        axis_rectangle(ctx, left, top, right, bottom);
    }
    const double x[4] = {left, right, right, left}, y[4] = {top, top, bottom, bottom};
    draw_polyline(ctx, 4, x, y, true);
    line_flush(ctx);
}

}  // namespace kal
