// errbar: vertical bars from y - e1 to y + e2 with end marks as wide as a
// symbol, and the curve's symbol at each point when incmrk is not 0.
#include <cmath>
#include <cstdio>

#include "api/routines_curves_error_bars_and_splines.h"
#include "core/context.h"
#include "plot2d/axis_system.h"
#include "plot2d/curve_modes.h"
#include "plot2d/curves.h"

namespace kal {

void errbar(Context& ctx, const float* x, const float* y, const float* e1, const float* e2, int n) {
    if (out_of_range(ctx, n, 1, -1)) return;
    const AxisState& a = ctx.axes;
    // Bars with a non-finite value (NaN for missing values) are left out.
    auto finite = [&](int i) {
        return std::isfinite(x[i]) && std::isfinite(double(y[i]) - e1[i]) && std::isfinite(double(y[i]) + e2[i]);
    };
    int skipped = 0;
    for (int i = 0; i < n; ++i) skipped += !finite(i);
    if (skipped) {
        std::snprintf(ctx.frame.message, sizeof ctx.frame.message, "Points not finite, left as gaps");
        warn_int(ctx, 101, skipped);
    }
    for (int i = 0; i < n; ++i) {
        if (!finite(i)) continue;
        const double lo = double(y[i]) - e1[i];
        if ((a.x.log && !(x[i] > 0)) || (a.y.log && (!(lo > 0) || !(y[i] > 0)))) {
            warn(ctx, 27);
            return;
        }
    }
    if (ctx.frame.checking_on)
        for (int i = 0; i < n; ++i)
            if (finite(i)) outside_scaling(ctx, x[i], y[i]);
    const double half = symbol_size(ctx) / 2;
    CurvePath path;
    for (int i = 0; i < n; ++i) {
        if (!finite(i)) continue;
        const double px = x_plot(ctx, x[i]);
        const double p1 = y_plot(ctx, double(y[i]) - e1[i]), p2 = y_plot(ctx, double(y[i]) + e2[i]);
        path.move(px - half, p1);
        path.draw(px + half, p1);
        path.move(px, p1);
        path.draw(px, p2);
        path.move(px - half, p2);
        path.draw(px + half, p2);
    }
    draw_path(ctx, path);
    if (ctx.curves.marker_step != 0)
        for (int i = 0; i < n; ++i) {
            if (!finite(i)) continue;
            const PlotPoint p = frame_to_plot(ctx, x[i], y[i]);
            plot_symbol(ctx, ctx.curves.marker, p.x, p.y);
        }
}

}  // namespace kal
