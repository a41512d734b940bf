// shdcrv: the area between two curves, filled in the filclr colour with the
// current pattern (solid when none is selected), or outlined after nofill.
#include <cmath>
#include <vector>

#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"
#include "plot2d/plot_options.h"
#include "plot2d/user_coordinates.h"

namespace kal {

void shdcrv(Context& ctx, const float* x1, const float* y1, int n, const float* x2, const float* y2, int m) {
    if (n < 1 || m < 1) return warn_int(ctx, 2, n < 1 ? n : m);
    std::vector<double> px, py;
    px.reserve(size_t(n) + size_t(m));
    py.reserve(size_t(n) + size_t(m));
    int left_out = 0;
    // The first curve forwards, the second backwards: one closed outline.
    const auto add = [&](float x, float y) {
        const PlotPoint p = user_to_plot(ctx, x, y);
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            ++left_out;
            return;
        }
        px.push_back(p.x);
        py.push_back(p.y);
    };
    for (int i = 0; i < n; ++i) add(x1[i], y1[i]);
    for (int i = m - 1; i >= 0; --i) add(x2[i], y2[i]);
    if (left_out) warn_text(ctx, 2, (std::to_string(left_out) + " points left out").c_str());
    if (px.size() < 3) return;
    AxisWindow window(ctx);
    const PlotOptions& o = ctx.options;
    const int previous = ctx.out.current_colour;
    if (o.fill_colour >= 0 && o.fill_colour != previous) set_colour(ctx, o.fill_colour);
    const int count = int(px.size());
    if (o.no_fill)
        draw_polyline(ctx, count, px.data(), py.data(), true);
    else if (ctx.colour.pattern_number == 0)
        solid_fill_polygon(ctx, count, px.data(), py.data());
    else
        fill_polygon(ctx, count, px.data(), py.data());
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

}  // namespace kal
