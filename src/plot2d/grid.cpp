// Grid lines and the lines and axes through the user origin of the open
// system.
#include <cmath>

#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"

namespace kal {

void draw_polar_grid(Context& ctx, int circles, int rays_per_step);

namespace {

constexpr double TOLERANCE = 1.0e-35;

bool zero_on(const AxisScale& s) { return !s.log && 0 >= s.umin - TOLERANCE && 0 <= s.umax + TOLERANCE; }

// The line y = 0 across the X axis (horizontal) or x = 0 across the Y axis.
void zero_line(Context& ctx, bool horizontal) {
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    if (horizontal) {
        if (!zero_on(ctx.axes.y)) return;
        const double y = std::trunc(y_plot(ctx, 0) + 0.5);
        plot_line(ctx, left, y, right, y);
    } else {
        if (!zero_on(ctx.axes.x)) return;
        const double x = std::trunc(x_plot(ctx, 0) + 0.5);
        plot_line(ctx, x, bottom, x, top);
    }
}

// An axis with ticks and without labels through the user origin.
void zero_axis(Context& ctx, bool horizontal) {
    const AxisScale& other = horizontal ? ctx.axes.y : ctx.axes.x;
    if (!zero_on(other)) return;
    DrawnAxis d = system_axis(ctx, horizontal ? 1 : 4);
    if (horizontal)
        d.y0 = std::trunc(y_plot(ctx, 0) + 0.5);
    else
        d.x0 = std::trunc(x_plot(ctx, 0) + 0.5);
    d.level = SIDE_TICK;
    draw_side(ctx, d);
}

}  // namespace

void grid(Context& ctx, int nx, int ny) {
    if (out_of_range(ctx, nx, 0, -1) || out_of_range(ctx, ny, 0, -1)) return;
    if (ctx.axes.polar) {
        draw_polar_grid(ctx, nx, ny);
        return;
    }
    // The tick rule with lines as long as the rectangle, pointing into it.
    DrawnAxis x = system_axis(ctx, 1), y = system_axis(ctx, 4);
    x.tick_pos = y.tick_pos = TICK_REVE;
    x.y0 = ctx.axes.y.start;
    y.x0 = ctx.axes.x.start;
    x.ticks.per_step = nx;
    y.ticks.per_step = ny;
    const double up = ctx.axes.y.length - 1, across = ctx.axes.x.length - 1;
    draw_ticks(ctx, x, up, up);
    draw_ticks(ctx, y, across, across);
}

void axgit(Context& ctx) {
    zero_line(ctx, true);
    zero_line(ctx, false);
}
void xaxgit(Context& ctx) { zero_line(ctx, true); }
void yaxgit(Context& ctx) { zero_line(ctx, false); }

void cross(Context& ctx) {
    zero_axis(ctx, true);
    zero_axis(ctx, false);
}
void xcross(Context& ctx) { zero_axis(ctx, true); }
void ycross(Context& ctx) { zero_axis(ctx, false); }

}  // namespace kal
