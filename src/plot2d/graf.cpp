// graf and endgrf: opening an axis system (scaling, record, clipping,
// drawing of its sides and frame) and closing it.
#include <algorithm>
#include <cmath>

#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "output/frame_band.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/axis_draw.h"

namespace kal {
namespace {

constexpr double TOLERANCE = 1.0e-35;

struct AxisNumbers {
    double a, e, first, step;
    double umin, umax;
};

// The numbers an axis is scaled with: as given, or by automatic scaling
// (which also sets the label digits and the date and time marks).
AxisNumbers axis_numbers(Context& ctx, int axis, double a, double e, double first, double step) {
    AxisState& s = ctx.axes;
    const AxisSettings& set = s.axis[axis];
    s.month_interval[axis] = 0;
    s.time_mark[axis] = TIME_MARK_NONE;
    if (set.auto_scale) {
        const AutoScale r = automatic_scale(ctx, axis, set.log, set.length);
        ctx.labels.axis[axis].digits = r.digits;
        s.month_interval[axis] = r.month_interval;
        s.time_mark[axis] = r.time_mark;
        return {r.a, r.e, r.first, r.step, r.umin, r.umax};
    }
    double lo = set.log ? std::pow(10.0, a) : a, hi = set.log ? std::pow(10.0, e) : e;
    if (lo > hi) std::swap(lo, hi);
    return {a, e, first, step, lo, hi};
}

void store_scale(AxisScale& sc, const AxisNumbers& n, const AxisSettings& set, double start) {
    sc.a = n.a;
    sc.e = n.e;
    sc.first = n.first;
    sc.step = n.step;
    sc.log = set.log;
    sc.length = set.length;
    sc.factor = (set.length - 1) / (n.e - n.a);
    sc.start = start;
    sc.umin = std::min(n.umin, n.umax);
    sc.umax = std::max(n.umin, n.umax);
}

bool zero_inside(const AxisScale& sc) {
    return 0 >= sc.umin - TOLERANCE && 0 <= sc.umax + TOLERANCE;
}

// Crossed systems: the user point (0, 0) is the origin point; a given
// origin point moves the system so that (0, 0) falls on it.
bool place_crossed(Context& ctx) {
    AxisState& s = ctx.axes;
    if (!zero_inside(s.x) || !zero_inside(s.y)) {
        custom_warning(ctx, 101, "No origin found for crossed axis system");
        return false;
    }
    if (s.origin_given) {
        s.x.start = s.origin_x + std::trunc(s.x.a * s.x.factor);
        s.y.start = s.origin_y - std::trunc(s.y.a * s.y.factor);
    }
    s.origin_px = x_plot(ctx, 0);
    s.origin_py = y_plot(ctx, 0);
    s.crossed = true;
    return true;
}

void draw_background(Context& ctx) {
    const int colour = ctx.axes.background;
    if (colour < 0) return;
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    const int previous = ctx.out.current_colour;
    fill_rect(ctx, left, top, right, bottom, colour);
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

void draw_frame(Context& ctx) {
    const int thickness = frame_thickness(ctx);
    if (thickness == 0) return;
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    const int previous = use_colour(ctx, ctx.axes.frame_colour);
    const int n = std::abs(thickness), sign = thickness > 0 ? 1 : -1;
    // On the raster devices the outlines lie a pixel apart, and are drawn
    // as such however many (a band's edges would round to other pixels).
    const double step = frame_step(ctx);
    if (frame_as_band(thickness) && !draws_widths(ctx.page.device)) {
        // Lines at the offsets 0, sign, ... sign (n - 1) outwards, as one band.
        const auto outline = [&](double g, std::vector<double>& x, std::vector<double>& y) {
            if (right - left + 2 * g < 0 || bottom - top + 2 * g < 0) return false;
            x = {left - g, right + g, right + g, left - g};
            y = {top - g, top - g, bottom + g, bottom + g};
            return true;
        };
        const double reach = frame_reach(ctx), far = sign * (n - 1.0);
        std::vector<double> x, y;
        if (band_polygon(outline, std::max(0.0, far) + reach, std::min(0.0, far) - reach, x, y))
            fill_band(ctx, x, y);
        restore_colour(ctx, previous);
        return;
    }
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    for (int i = 0; i < n; ++i) {
        const double g = sign * i * step;
        line_move(ctx, left - g + ox, top - g + oy);
        line_draw(ctx, right + g + ox, top - g + oy);
        line_draw(ctx, right + g + ox, bottom + g + oy);
        line_draw(ctx, left - g + ox, bottom + g + oy);
        line_draw(ctx, left - g + ox, top - g + oy);
        line_flush(ctx);
    }
    restore_colour(ctx, previous);
}

void draw_system_sides(Context& ctx) {
    const AxisState& s = ctx.axes;
    if (s.crossed) {
        draw_side(ctx, system_axis(ctx, 1));
        draw_side(ctx, system_axis(ctx, 4));
        return;
    }
    draw_side(ctx, system_axis(ctx, 1));
    draw_side(ctx, system_axis(ctx, 4));
    if (!s.only_two) {
        draw_side(ctx, system_axis(ctx, 3));
        draw_side(ctx, system_axis(ctx, 2));
    }
}

}  // namespace

// Curves are clipped at the page; clpbor "AXIS" clips them to this system.
void set_system_clipping(Context& ctx) {
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    PageState& p = ctx.page;
    p.axis_org_x = clamp_int(left);
    p.axis_org_y = clamp_int(bottom);
    p.axis_len_x = ctx.axes.x.length;
    p.axis_len_y = ctx.axes.y.length;
    reset_clipping(ctx);
}

void graf(Context& ctx, float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg,
          float ystep) {
    AxisState& s = ctx.axes;
    ctx.frame.level = 2;
    s.mapping = &CARTESIAN_MAPPING;
    s.crossed = false;
    const AxisNumbers nx = axis_numbers(ctx, AXIS_X, xa, xe, xorg, xstep);
    const AxisNumbers ny = axis_numbers(ctx, AXIS_Y, ya, ye, yorg, ystep);
    const bool x_ok = check_axis(ctx, nx.a, nx.e, nx.first, nx.step);
    const bool y_ok = check_axis(ctx, ny.a, ny.e, ny.first, ny.step);
    if (!x_ok || !y_ok) {
        ctx.frame.level = 1;
        return;
    }
    if (s.cross_type && (s.axis[AXIS_X].log || s.axis[AXIS_Y].log)) {
        custom_warning(ctx, 101, "Crossed axis systems must have linear scaling");
        ctx.frame.level = 1;
        return;
    }
    // center: the axis rectangle in the middle of the page, wherever axspos put it.
    const bool centred = ctx.options.centred;
    store_scale(s.x, nx, s.axis[AXIS_X], centred ? (ctx.page.width - s.axis[AXIS_X].length) / 2 : s.corner_x);
    store_scale(s.y, ny, s.axis[AXIS_Y], centred ? (ctx.page.height + s.axis[AXIS_Y].length) / 2 : s.corner_y);
    if (s.cross_type && !place_crossed(ctx)) {
        ctx.frame.level = 1;
        return;
    }
    set_system_clipping(ctx);
    if (s.no_draw) return;
    draw_background(ctx);
    draw_system_sides(ctx);
    if (!s.crossed) draw_frame(ctx);
}

void endgrf(Context& ctx) {
    line_flush(ctx);
    ctx.frame.level = 1;
    ctx.axes.crossed = false;
    ctx.axes.mapping = nullptr;
    forget_curves(ctx);
    reset_clipping(ctx);
    flush_output(ctx);
}

}  // namespace kal
