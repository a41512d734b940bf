// Drawing of one axis side: the axis line, the ticks, then the labels and
// the name, each part as far as the side's setgrf level allows and in its
// axclrs colour.
#include <cmath>

#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/axis_draw.h"
#include "plot2d/label_values.h"
#include "plot2d/labels.h"

namespace kal {

void plot_line(Context& ctx, double x1, double y1, double x2, double y2) {
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    line_move(ctx, x1 + ox, y1 + oy);
    line_draw(ctx, x2 + ox, y2 + oy);
    line_flush(ctx);
}

int use_colour(Context& ctx, int colour) {
    if (colour < 0) return -1;
    const int previous = ctx.out.current_colour;
    if (colour != previous) set_colour(ctx, colour);
    return previous;
}

void restore_colour(Context& ctx, int previous) {
    if (previous >= 0 && previous != ctx.out.current_colour) set_colour(ctx, previous);
}

int label_direction(int side) { return side == 1 || side == 2 ? 1 : -1; }

void axis_rectangle(const Context& ctx, double& left, double& top, double& right, double& bottom) {
    const AxisState& s = ctx.axes;
    left = s.x.start;
    right = s.x.start + s.x.length - 1;
    bottom = s.y.start;
    top = s.y.start - (s.y.length - 1);
}

TickSpec axis_ticks(const Context& ctx, int axis, double a, double e, double first, double step, bool log) {
    const AxisSettings& set = ctx.axes.axis[axis];
    TickSpec t;
    t.a = a;
    t.e = e;
    t.first = first;
    t.step = step;
    t.per_step = set.ticks;
    t.log = log;
    t.log_full = ctx.axes.log_full;
    t.date = ctx.labels.axis[axis].type == LABEL_DATE;
    t.month_interval = date_month_interval(ctx, axis);
    t.tick_mode = set.tick_mode;
    t.base_day = ctx.labels.base_day;
    return t;
}

DrawnAxis system_axis(const Context& ctx, int side) {
    const AxisState& s = ctx.axes;
    const bool x = side == 1 || side == 3;
    const AxisScale& sc = x ? s.x : s.y;
    DrawnAxis d;
    d.axis = d.label_axis = x ? AXIS_X : AXIS_Y;
    d.side = side;
    d.length = sc.length;
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    if (x) {
        d.x0 = left;
        d.y0 = s.crossed ? s.origin_py : side == 1 ? bottom : top;
    } else {
        d.x0 = s.crossed ? s.origin_px : side == 4 ? left : right;
        d.y0 = bottom;
    }
    d.crossed = s.crossed;
    d.level = s.side_level[side == 1 ? 0 : side == 4 ? 1 : side == 3 ? 2 : 3];
    const AxisSettings& set = s.axis[d.axis];
    d.tick_pos = set.tick_pos;
    d.ticks = axis_ticks(ctx, d.axis, sc.a, sc.e, sc.first, sc.step, sc.log);
    return d;
}

double tick_position(const DrawnAxis& d, double value) {
    const double along = (value - d.ticks.a) * (d.length - 1) / (d.ticks.e - d.ticks.a);
    return d.axis == AXIS_X ? std::trunc(along + d.x0 + 0.5) : std::trunc(d.y0 + 0.5 - along);
}

void draw_ticks(Context& ctx, const DrawnAxis& d, double major_len, double minor_len) {
    const int dir = label_direction(d.side);
    for (const TickMark& m : tick_marks(d.ticks)) {
        const double len = m.major ? major_len : minor_len;
        double from = 0, to = dir * len;
        if (d.tick_pos == TICK_REVE) to = -to;
        if (d.tick_pos == TICK_CENT) {
            from = -to / 2;
            to /= 2;
        }
        const double p = tick_position(d, m.value);
        if (d.axis == AXIS_X)
            plot_line(ctx, p, d.y0 + from, p, d.y0 + to);
        else
            plot_line(ctx, d.x0 + from, p, d.x0 + to, p);
    }
}

void draw_side(Context& ctx, const DrawnAxis& d) {
    if (d.level == SIDE_NONE) return;
    const AxisSettings& set = ctx.axes.axis[d.label_axis];
    if (set.line) {
        const int previous = use_colour(ctx, set.colour[AXPART_LINE]);
        if (d.axis == AXIS_X)
            plot_line(ctx, d.x0, d.y0, d.x0 + d.length - 1, d.y0);
        else
            plot_line(ctx, d.x0, d.y0, d.x0, d.y0 - (d.length - 1));
        restore_colour(ctx, previous);
    }
    const bool ticks = d.level >= SIDE_TICK && d.ticks.per_step > 0;
    if (ticks) {
        const int previous = use_colour(ctx, set.colour[AXPART_TICKS]);
        draw_ticks(ctx, d, ctx.axes.major_len, ctx.axes.minor_len);
        restore_colour(ctx, previous);
    }
    if (d.level < SIDE_LABE) return;

    AxisSide side;
    side.axis = d.label_axis;
    side.side = d.side;
    side.outer = d.side == 2 || d.side == 3;
    side.a = d.ticks.a;
    side.e = d.ticks.e;
    side.first = d.ticks.first;
    side.step = d.ticks.step;
    side.log = d.ticks.log;
    side.length = d.length;
    side.x0 = d.x0;
    side.y0 = d.y0;
    const int major = ctx.axes.major_len;
    side.tick_space = !ticks || d.tick_pos == TICK_REVE ? 0 : d.tick_pos == TICK_CENT ? major / 2 : major;
    side.crossed = d.crossed;
    side.draw_name = d.level >= SIDE_NAME;
    side.name = d.name;
    int previous = use_colour(ctx, set.colour[AXPART_LABELS]);
    const int extent = draw_axis_labels(ctx, side);
    restore_colour(ctx, previous);
    if (!side.draw_name) return;
    previous = use_colour(ctx, set.colour[AXPART_NAME]);
    draw_axis_name(ctx, side, extent);
    restore_colour(ctx, previous);
}

}  // namespace kal
