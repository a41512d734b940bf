// Polar axis systems: a circle of radius xe around the centre of a square
// axis area, a radius axis from the centre to the right with its labels
// below, angle ticks and degree labels around the circle, and the polar grid.
#include <algorithm>
#include <cmath>

#include "api/routines_axis_systems.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot2d/label_drawing.h"

namespace kal {
namespace {

constexpr double DEG = 3.14159265358979323846 / 180;

void user_circle(Context& ctx, double radius) {
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    constexpr int SEGMENTS = 360;
    for (int i = 0; i <= SEGMENTS; ++i) {
        double px, py;
        polar_plot(ctx, radius, i * 360.0 / SEGMENTS * DEG, px, py);
        if (i == 0)
            line_move(ctx, px + ox, py + oy);
        else
            line_draw(ctx, px + ox, py + oy);
    }
    line_flush(ctx);
}

void ray(Context& ctx, double degrees, double r1, double r2) {
    double x1, y1, x2, y2;
    polar_plot(ctx, r1, degrees * DEG, x1, y1);
    polar_plot(ctx, r2, degrees * DEG, x2, y2);
    plot_line(ctx, x1, y1, x2, y2);
}

// Angles from `start` by `step` degrees once round the circle.
template <class F>
void each_angle(double start, double step, F f) {
    const int n = int(std::min(3600.0, std::round(360.0 / std::fabs(step))));
    for (int i = 0; i < n; ++i) f(start + i * step);
}

// The degree labels of the angle ticks, in the label settings of Y: each
// label box lies outside the circle of `radius` plot units (the tick ends
// plus labdis), touching that circle at its nearest point and centred on
// the direction of its tick.
void angle_labels(Context& ctx, double radius, double start, double step) {
    const LabelAxis& la = ctx.labels.axis[AXIS_Y];
    if (la.type == LABEL_NONE || ctx.axes.side_level[1] < SIDE_LABE) return;
    const int previous = use_colour(ctx, ctx.axes.axis[AXIS_Y].colour[AXPART_LABELS]);
    TextScope scope(ctx);
    scope.angle(0);
    const double h1 = ctx.text.height - 1;
    const double r = radius + la.distance;
    each_angle(start, step, [&](double deg) {
        const LabelText label = angle_label(ctx, deg);
        const double len = label_length(ctx, label);
        const double c = std::cos(deg * DEG), s = -std::sin(deg * DEG);
        // Distance from the box centre to its edge in the direction of the tick.
        const double reach = r + std::fabs(c) * len / 2 + std::fabs(s) * h1 / 2;
        const double cx = ctx.axes.polar_cx + reach * c, cy = ctx.axes.polar_cy + reach * s;
        draw_label(ctx, label, cx - len / 2, cy - h1 / 2);
    });
    restore_colour(ctx, previous);
}

}  // namespace

void draw_polar_grid(Context& ctx, int circles, int rays_per_step) {
    const double radius = ctx.axes.x.e;
    // At most 1000 rings, spread over the whole disc.
    const int rings = std::min(circles, 1000);
    for (int i = 1; i <= rings; ++i) user_circle(ctx, radius * i / rings);
    if (rays_per_step < 1) return;
    // The angle axis keeps its first angle and step in the Y record.
    const double step = ctx.axes.y.step / std::min(rays_per_step, 1000);
    each_angle(ctx.axes.y.first, step, [&](double deg) { ray(ctx, deg, 0, radius); });
}

void polar(Context& ctx, float xe, float xorg, float xstep, float yorg, float ystep) {
    AxisState& s = ctx.axes;
    if (!check_axis(ctx, 0, xe, xorg, xstep)) return;
    if (!(std::fabs(ystep) > 1e-35) || !std::isfinite(ystep) || !std::isfinite(yorg)) {
        warn(ctx, 9);
        return;
    }
    ctx.frame.level = 2;
    s.crossed = false;
    s.polar = true;
    const int side = std::min(s.axis[AXIS_X].length, s.axis[AXIS_Y].length);
    for (AxisScale* sc : {&s.x, &s.y}) {
        sc->a = -xe;
        sc->e = xe;
        sc->log = false;
        sc->length = side;
        sc->factor = (side - 1) / (2.0 * xe);
    }
    s.x.start = s.corner_x;
    s.y.start = s.corner_y;
    s.x.first = xorg;
    s.x.step = xstep;
    s.y.first = yorg;
    s.y.step = ystep;
    // Curve points are (radius, angle): the check covers the radius only.
    s.x.umin = std::min(0.0f, xe);
    s.x.umax = std::max(0.0f, xe);
    s.y.umin = -1e300;
    s.y.umax = 1e300;
    s.polar_cx = x_plot(ctx, 0);
    s.polar_cy = y_plot(ctx, 0);
    s.polar_factor = s.x.factor;
    reset_clipping(ctx);
    if (s.no_draw) return;

    // Radius axis with ticks and labels below, from the centre.
    DrawnAxis r;
    r.axis = r.label_axis = AXIS_X;
    r.side = 1;
    r.length = int(std::floor((side - 1) / 2.0)) + 1;
    r.x0 = s.polar_cx;
    r.y0 = s.polar_cy;
    r.tick_pos = s.axis[AXIS_X].tick_pos;
    r.level = s.side_level[0];
    r.ticks.a = 0;
    r.ticks.e = xe;
    r.ticks.first = xorg;
    r.ticks.step = xstep;
    r.ticks.per_step = s.axis[AXIS_X].ticks;
    draw_side(ctx, r);
    // The circle with major ticks outwards at every angle step.
    user_circle(ctx, xe);
    const double outside = xe * (1 + s.major_len / ((side - 1) / 2.0));
    each_angle(yorg, ystep, [&](double deg) { ray(ctx, deg, xe, outside); });
    angle_labels(ctx, (side - 1) / 2.0 + s.major_len, yorg, ystep);
}

}  // namespace kal
