// bars: one set of bars in the open axis system, flat or with a 3-D look,
// side by side in groups, with value labels.
//
// A bar is laid out in its own frame: u runs across the bar (the positions),
// v along it (the values, upwards). Vertical bars have u to the right and v
// up the page; horizontal bars are the same picture turned a quarter
// clockwise, so that v runs to the right and u down the page (the first set
// of a group lies on top, a label left of a vertical bar lies above a
// horizontal one).
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "api/routines_bar_graphs_and_pie_charts.h"
#include "charts/charts.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/primitives.h"
#include "output/shields.h"
#include "plot2d/number_format.h"
#include "text/text_engine.h"

namespace kal {
namespace {

constexpr double TOLERANCE = 1.0e-35;

struct Box {
    double u1, u2, v1, v2;   // u1 <= u2, v1 <= v2
};

struct Frame {
    bool horizontal;
    // Frame point to page point (relative to the plot origin).
    PlotPoint page(double u, double v) const { return horizontal ? PlotPoint{v, u} : PlotPoint{u, -v}; }
    // A frame box as page corners: left, top, right, bottom.
    void page_box(const Box& b, double& left, double& top, double& right, double& bottom) const {
        const PlotPoint a = page(b.u1, b.v1), c = page(b.u2, b.v2);
        left = std::min(a.x, c.x);
        right = std::max(a.x, c.x);
        top = std::min(a.y, c.y);
        bottom = std::max(a.y, c.y);
    }
};

// The axis that carries the positions (X for vertical bars) and the one
// that carries the values.
const AxisScale& position_axis(const Context& ctx, bool horizontal) { return horizontal ? ctx.axes.y : ctx.axes.x; }
const AxisScale& value_axis(const Context& ctx, bool horizontal) { return horizontal ? ctx.axes.x : ctx.axes.y; }

double frame_u(const Context& ctx, bool horizontal, double x) { return horizontal ? y_plot(ctx, x) : x_plot(ctx, x); }
double frame_v(const Context& ctx, bool horizontal, double y) { return horizontal ? x_plot(ctx, y) : -y_plot(ctx, y); }

// The major tick values strictly inside the position axis.
std::vector<double> tick_positions(const AxisScale& sc) {
    std::vector<double> ticks;
    const double lo = std::min(sc.a, sc.e), hi = std::max(sc.a, sc.e);
    if (!(std::abs(sc.step) > 0) || !std::isfinite(sc.step)) return ticks;
    const double step = std::abs(sc.step);
    for (int k = 0; k <= 32001; ++k) {
        const double t = sc.first + k * (sc.e >= sc.a ? step : -step);
        if (t > hi + TOLERANCE || t < lo - TOLERANCE) break;
        if (t > lo + TOLERANCE && t < hi - TOLERANCE) ticks.push_back(sc.log ? std::pow(10.0, t) : t);
    }
    return ticks;
}

double label_value(int which, double x, double y1, double y2) {
    switch (which) {
        case BARLAB_SECO: return y2;
        case BARLAB_FIRS: return y1;
        case BARLAB_MAXI: return std::max(y1, y2);
        case BARLAB_MINI: return std::min(y1, y2);
        case BARLAB_DELT: return y2 - y1;
        default: return x;
    }
}

// The label box of a bar in the frame for the position code (tens along
// the bar from its top, units across it), the text's extents across (au)
// and along (av) the bar; the final code after AUTO and the turn for bars
// drawn downwards.
Box label_box(const Box& bar, bool downward, double au, double av, double h, int& code) {
    if (code == 0) code = (au < bar.u2 - bar.u1 && bar.v2 - bar.v1 >= av + 0.5 * h) ? 22 : 12;
    int tens = code / 10, units = code % 10;
    if (downward) tens = 6 - tens;
    code = tens * 10 + units;
    Box b{};
    switch (units) {
        case 1: b.u2 = bar.u1 - 1.25 * h, b.u1 = b.u2 - au; break;
        case 3: b.u1 = bar.u2 + 0.75 * h, b.u2 = b.u1 + au; break;
        default: b.u1 = (bar.u1 + bar.u2) / 2 - 0.25 * h - au / 2, b.u2 = b.u1 + au; break;
    }
    switch (tens) {
        case 1: b.v1 = bar.v2 + 2.25 * h, b.v2 = b.v1 + av; break;
        case 2: b.v2 = bar.v2 - 1.25 * h, b.v1 = b.v2 - av; break;
        case 4: b.v1 = bar.v1 + 2.75 * h, b.v2 = b.v1 + av; break;
        case 5: b.v2 = bar.v1 - 0.75 * h, b.v1 = b.v2 - av; break;
        default: b.v1 = (bar.v1 + bar.v2) / 2 - av / 2, b.v2 = b.v1 + av; break;
    }
    return b;
}

bool inside_code(int code) { return code % 10 == 2 && code / 10 >= 2 && code / 10 <= 4; }

bool same_id(int, int id, int arg) { return id == arg; }

// One bar's page outline: the front, and for a 3-D bar its side and top.
struct BarShape {
    double fx[4], fy[4];
    double sx[4], sy[4];
    double tx[4], ty[4];
    bool faces = false;
};

BarShape bar_shape(double left, double top, double right, double bottom, double dx, double dy, bool faces) {
    BarShape s{{left, right, right, left}, {bottom, bottom, top, top},
               {right, right + dx, right + dx, right}, {bottom, bottom - dy, top - dy, top},
               {left, right, right + dx, left + dx}, {top, top, top - dy, top - dy}, faces};
    return s;
}

void fill_face(Context& ctx, const double* x, const double* y, int colour, bool fill) {
    if (!fill) return;
    set_colour(ctx, colour);
    fill_polygon(ctx, 4, x, y);
}

void outline_face(Context& ctx, const double* x, const double* y) { draw_polyline(ctx, 4, x, y, true); }

}  // namespace

void draw_bars(Context& ctx, const float* x, const float* y1, const float* y2, int n) {
    ChartState& c = ctx.charts;
    const bool horizontal = c.bar_type == BAR_HORI || c.bar_type == BAR_3DHO;
    const bool solid3d = c.bar_type == BAR_3DVE || c.bar_type == BAR_3DHO;
    const Frame frame{horizontal};
    const AxisScale& pa = position_axis(ctx, horizontal);
    const AxisScale& va = value_axis(ctx, horizontal);

    std::vector<double> xs, lo, hi;
    try {
        xs.assign(x, x + n);
        lo.assign(y1, y1 + n);
        hi.assign(y2, y2 + n);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    if (c.axis_bases) std::fill(lo.begin(), lo.end(), va.log ? std::pow(10.0, va.a) : va.a);
    if (c.tick_positions) {
        const std::vector<double> ticks = tick_positions(pa);
        if (int(ticks.size()) != n) {
            warn(ctx, 28);
            n = std::min(n, int(ticks.size()));
        }
        std::copy(ticks.begin(), ticks.begin() + n, xs.begin());
    }
    const auto finite = [&](int i) { return std::isfinite(xs[i]) && std::isfinite(lo[i]) && std::isfinite(hi[i]); };
    for (int i = 0; i < n; ++i) {
        if (!finite(i)) continue;
        if ((pa.log && xs[i] <= 0) || (va.log && (lo[i] <= 0 || hi[i] <= 0))) {
            warn(ctx, 27);
            return;
        }
    }

    // The set's place in its group.
    CurveState& cs = ctx.curves;
    if (cs.bar_group >= c.group_count) cs.bar_group = 0;
    const int set = ++cs.bar_group;
    const int counter = ++cs.bar_sets;
    const bool cycle_colours = c.bar_cycle == CYCLE_COLO || c.bar_cycle == CYCLE_BOTH;
    const bool cycle_patterns = c.bar_cycle == CYCLE_PATT || c.bar_cycle == CYCLE_BOTH;
    const int colour0 = ctx.out.current_colour;
    if (cycle_patterns) select_pattern(ctx, cycle_pattern(ctx, counter));
    CurveRecord record = current_record(ctx);
    record.filled = true;
    record.pattern = ctx.colour.pattern_number;
    record.colour = cycle_colours ? cycle_colour(ctx, 0) : c.front == -1 ? colour0 : c.front;
    record_curve(ctx, record);

    std::vector<double> u(size_t(n), 0.0);
    for (int i = 0; i < n; ++i) u[i] = finite(i) ? frame_u(ctx, horizontal, xs[i]) : NAN;
    const double spacing = n >= 2 && std::isfinite(u[0]) && std::isfinite(u[1])
                               ? std::abs(u[1] - u[0])
                               : std::abs(pa.step * pa.factor);
    const double factor = cs.bar_width;
    const int k = c.group_count;
    const double g = c.group_gap;
    const auto widths = [&](double distance, double& W, double& w, double& gap) {
        W = factor >= 0 ? std::abs(distance * factor) : std::abs(factor);
        if (g >= 0) {
            w = W / ((k - 1) * g + k);
            gap = w * g;
        } else {
            gap = -g;
            w = (W - (k - 1) * gap) / k;
        }
        w = std::max(0.0, w);
    };

    const ChartLabels& lab = ctx.labels.chart;
    const double h = ctx.text.height;
    const int label_colour = lab.bar_colour == -1 ? colour0 : lab.bar_colour;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    const double rad = c.angle * 3.14159265358979 / 180;
    line_flush(ctx);

    for (int i = 0; i < n; ++i) {
        if (!finite(i)) continue;
        double distance = spacing;
        if (c.variable_width) {
            distance = 0;
            if (i > 0 && std::isfinite(u[i - 1])) distance = std::abs(u[i] - u[i - 1]);
            if (i + 1 < n && std::isfinite(u[i + 1])) distance = std::max(distance, std::abs(u[i + 1] - u[i]));
        }
        double W, w, gap;
        widths(distance, W, w, gap);
        Box bar;
        const double start = u[i] - W / 2 + (set - 1) * (w + gap);
        bar.u1 = std::round(start);
        bar.u2 = std::round(start + w);
        const double v1 = std::round(frame_v(ctx, horizontal, lo[i])), v2 = std::round(frame_v(ctx, horizontal, hi[i]));
        if (!std::isfinite(bar.u1) || !std::isfinite(bar.u2) || !std::isfinite(v1) || !std::isfinite(v2)) continue;
        bar.v1 = std::min(v1, v2);
        bar.v2 = std::max(v1, v2);
        const bool downward = v2 < v1;
        double left, top, right, bottom;
        frame.page_box(bar, left, top, right, bottom);
        const double depth = c.depth < 0 ? bar.u2 - bar.u1 : c.depth;
        const double dx = solid3d ? depth * std::cos(rad) : 0, dy = solid3d ? depth * std::sin(rad) : 0;
        const BarShape shape = bar_shape(left, top, right, bottom, dx, dy, solid3d);

        // The label, placed first: inside the bar the fill leaves it free.
        std::string text;
        Box box{};
        int code = lab.bar_position;
        if (lab.bar_value != BARLAB_NONE) {
            text = number_text(ctx, label_value(lab.bar_value, xs[i], lo[i], hi[i]), lab.bar_digits);
            const double tw = text_length(ctx, text.c_str());
            box = label_box(bar, downward, horizontal ? h : tw, horizontal ? tw : h, h, code);
        }
        double bl = 0, bt = 0, br = 0, bb = 0;
        if (!text.empty()) {
            frame.page_box(box, bl, bt, br, bb);
            const double shift = code == 12 ? 0.5 : code == 23 ? 1.0 : 0.0;
            bl += shift * dx, br += shift * dx, bt -= shift * dy, bb -= shift * dy;
        }
        int shield_id = 0;
        if (!text.empty() && inside_code(code)) {
            const double p[4] = {bl + ox, bt + oy, br + ox, bb + oy};
            line_flush(ctx);
            shield_id = add_shield(ctx, SHIELD_RECT, SOURCE_BARS, p, 4);
        }

        // Faces: an empty bar is outlined only.
        const int front = cycle_colours ? cycle_colour(ctx, i) : c.front == -1 ? colour0 : c.front;
        const bool fill = ctx.colour.pattern_code != 0 && right > left && bottom > top;
        fill_face(ctx, shape.fx, shape.fy, front, fill);
        if (solid3d) {
            fill_face(ctx, shape.sx, shape.sy, c.side == -1 ? front : c.side, fill && depth > 0);
            fill_face(ctx, shape.tx, shape.ty, c.top == -1 ? front : c.top, fill && depth > 0);
        }
        if (shield_id) {
            line_flush(ctx);
            delete_shields(ctx, same_id, shield_id);
        }
        set_colour(ctx, front);
        if (ctx.line.outline) outline_face(ctx, shape.fx, shape.fy);
        if (solid3d || c.border != -1) {
            set_colour(ctx, c.border != -1 ? c.border : ctx.colour.foreground);
            outline_face(ctx, shape.fx, shape.fy);
            if (solid3d) {
                outline_face(ctx, shape.sx, shape.sy);
                outline_face(ctx, shape.tx, shape.ty);
            }
        }
        if (!text.empty()) {
            set_colour(ctx, label_colour);
            draw_text(ctx, text.c_str(), bl, bt, false);
        }
        line_flush(ctx);
        if (!ctx.shields.automatic[SOURCE_BARS]) continue;
        int id;
        if (solid3d) {
            const double p[12] = {left + ox,      bottom + oy,      right + ox,      bottom + oy,
                                  right + dx + ox, bottom - dy + oy, right + dx + ox, top - dy + oy,
                                  left + dx + ox,  top - dy + oy,    left + ox,       top + oy};
            id = add_automatic_shield(ctx, SOURCE_BARS, SHIELD_POLYGON, p, 12);
        } else {
            id = add_automatic_box(ctx, SOURCE_BARS, left + ox, top + oy, right + ox, bottom + oy);
        }
        if (id == 0) break;   // the region buffer is full: warned once
    }

    set_colour(ctx, colour0);
    if (cs.bar_group >= c.group_count) cs.bar_group = 0;
    if (cycle_patterns) select_pattern(ctx, cycle_pattern(ctx, counter + 1));
}

void bars(Context& ctx, const float* x, const float* y1, const float* y2, int n) {
    if (out_of_range(ctx, n, 1, 32000)) return;
    draw_bars(ctx, x, y1, y2, n);
}

}  // namespace kal
