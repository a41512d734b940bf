// Drawing in an open axis system beyond axes and curves: the polar grid
// of grdpol, text at user coordinates (rlmess), one
// more axis label (addlab), and the page header of paghdr.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/clock.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot2d/label_drawing.h"
#include "plot2d/plot_options.h"
#include "plot2d/user_coordinates.h"
#include "text/text_engine.h"

namespace kal {
namespace {

// Linear axes only: warning 13 otherwise.
bool linear_axes(Context& ctx) {
    if (!ctx.axes.x.log && !ctx.axes.y.log) return true;
    warn(ctx, 13);
    return false;
}

void polyline_user(Context& ctx, const std::vector<double>& ux, const std::vector<double>& uy, bool closed) {
    std::vector<double> x(ux.size()), y(uy.size());
    for (size_t i = 0; i < ux.size(); ++i) {
        const PlotPoint p = frame_to_plot(ctx, ux[i], uy[i]);
        x[i] = p.x;
        y[i] = p.y;
    }
    draw_polyline(ctx, int(x.size()), x.data(), y.data(), closed);
}

}  // namespace

void grdpol(Context& ctx, int ncirc, int nsect) {
    if (out_of_range(ctx, ncirc, 0, 100) || out_of_range(ctx, nsect, 0, 360)) return;
    if (ctx.axes.mapping != &CARTESIAN_MAPPING && !polar_system(ctx)) return warn(ctx, 35);
    if (!linear_axes(ctx)) return;
    const AxisScale &sx = ctx.axes.x, &sy = ctx.axes.y;
    // The largest radius that reaches into the axis area.
    double rmax = 0;
    for (double x : {sx.a, sx.e})
        for (double y : {sy.a, sy.e}) rmax = std::max(rmax, std::hypot(x, y));
    AxisWindow window(ctx);
    const double pi = std::numbers::pi;
    if (ncirc > 0 && std::abs(sx.step) > 0) {
        const double dr = std::abs(sx.step) / ncirc;
        const int count = int(std::min(1000.0, std::floor(rmax / dr + 1e-9)));
        // Enough corners that the polygon stays within a quarter unit of the circle.
        const double scale = std::max(std::abs(sx.factor), std::abs(ctx.axes.y.factor));
        for (int k = 1; k <= count; ++k) {
            const double r = k * dr;
            const int n = std::clamp(int(std::ceil(pi / std::acos(std::max(0.0, 1 - 0.25 / std::max(r * scale, 1.0))))),
                                     16, 2000);
            std::vector<double> ux(n), uy(n);
            for (int i = 0; i < n; ++i) {
                ux[i] = r * std::cos(2 * pi * i / n);
                uy[i] = r * std::sin(2 * pi * i / n);
            }
            polyline_user(ctx, ux, uy, true);
        }
    }
    if (nsect > 0 && rmax > 0) {
        const PlotOptions& o = ctx.options;
        const double zero = o.polar_zero * pi / 2, turn = o.polar_clockwise ? -1.0 : 1.0;
        for (int k = 0; k < nsect; ++k) {
            const double a = zero + turn * 2 * pi * k / nsect;
            polyline_user(ctx, {0.0, rmax * std::cos(a)}, {0.0, rmax * std::sin(a)}, false);
        }
    }
    line_flush(ctx);
}

void rlmess(Context& ctx, const char* text, float x, float y) {
    if (!log_values_ok(ctx, {x}, {y})) return;
    outside_scaling(ctx, x, y);   // reported, drawn all the same (clipped)
    const PlotPoint p = frame_to_plot(ctx, x, y);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    draw_text(ctx, text, p.x, p.y, false);
}

void addlab(Context& ctx, const char* text, float v, int tick, const char* axis) {
    const int k = keyword(ctx, "X   +Y   ", axis);
    if (!k || out_of_range(ctx, tick, 0, 1)) return;
    if (k == 1 ? !log_values_ok(ctx, {v}, {}) : !log_values_ok(ctx, {}, {v})) return;
    TextScope scope(ctx);
    scope.angle(0);
    ctx.text.justify = JUSTIFY_LEFT;
    const int h = ctx.text.height, major = tick ? ctx.axes.major_len : 0;
    const double len = text_length(ctx, text);
    if (k == 1) {
        // Below the lower X axis, centred on the value.
        const double px = x_plot(ctx, v), y = ctx.axes.y.start;
        if (tick) plot_line(ctx, px, y, px, y + major);
        draw_text(ctx, text, px - len / 2, y + major + ctx.labels.axis[AXIS_X].distance, false);
    } else {
        // Left of the left Y axis, its middle at the value.
        const double py = y_plot(ctx, v), x = ctx.axes.x.start;
        if (tick) plot_line(ctx, x, py, x - major, py);
        draw_text(ctx, text, x - major - ctx.labels.axis[AXIS_Y].distance - len, py - h / 2.0, false);
    }
}

void paghdr(Context& ctx, const char* before, const char* after, int corner, int direction) {
    if (out_of_range(ctx, corner, 1, 4) || out_of_range(ctx, direction, 0, 1)) return;
    const DateTime t = now();
    const std::string text = std::string(before) + date_text(t) + " " + time_text(t) + after;
    TextScope scope(ctx);
    scope.angle(direction ? 90 : 0);
    ctx.text.justify = JUSTIFY_LEFT;
    const int h = ctx.text.height;
    const double len = text_length(ctx, text.c_str());
    const double w = ctx.page.width, ph = ctx.page.height, m = h;
    // Plot coordinates without the origin; the text runs to the right or
    // upwards from its start.
    const bool right = corner == 2 || corner == 3, low = corner == 3 || corner == 4;
    double x, y;
    if (!direction) {
        x = right ? w - m - len : m;
        y = low ? ph - m - h : m;
    } else {
        x = right ? w - m - h : m;
        y = low ? ph - m : m + len;
    }
    draw_text(ctx, text.c_str(), x - ctx.page.origin_x, y - ctx.page.origin_y, false);
}

}  // namespace kal
