// The axes of a 3-D box: X and Y on the bottom edges nearer the view point,
// Z on the vertical edge leftmost on the page. Ticks are 3-D segments
// pointing away from the box; labels and names are placed on the page
// beyond the projected ticks, at 1.5 times their heights.
#include "plot3d/axes3d.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot2d/label_drawing.h"
#include "plot2d/label_values.h"
#include "plot2d/labels.h"
#include "plot3d/segment3d.h"

namespace kal {

bool scale_axis(Context& ctx, int axis, double a, double e, double first, double step, int length,
                double start, AxisScale& out) {
    AxisState& s = ctx.axes;
    const AxisSettings& set = s.axis[axis];
    s.month_interval[axis] = 0;
    s.time_mark[axis] = TIME_MARK_NONE;
    double lo, hi;
    if (set.auto_scale) {
        const AutoScale r = automatic_scale(ctx, axis, set.log, length);
        ctx.labels.axis[axis].digits = r.digits;
        s.month_interval[axis] = r.month_interval;
        s.time_mark[axis] = r.time_mark;
        a = r.a;
        e = r.e;
        first = r.first;
        step = r.step;
        lo = r.umin;
        hi = r.umax;
    } else {
        lo = set.log ? std::pow(10.0, a) : a;
        hi = set.log ? std::pow(10.0, e) : e;
    }
    if (!check_axis(ctx, a, e, first, step)) return false;
    out.a = a;
    out.e = e;
    out.first = first;
    out.step = step;
    out.log = set.log;
    out.length = length;
    out.factor = (length - 1) / (e - a);
    out.start = start;
    out.umin = std::min(lo, hi);
    out.umax = std::max(lo, hi);
    return true;
}

namespace {

struct Axis3 {
    int axis;            // AXIS_X, AXIS_Y, AXIS_Z
    const AxisScale* sc;
    Vec3 p0, p1;         // box points of the values a and e
    Vec3 out;            // unit direction away from the box
};

double sgn(double v) { return v > 0 ? 1.0 : -1.0; }

Vec3 at(const Axis3& x, double u) {
    const double t = (u - x.sc->a) / (x.sc->e - x.sc->a);
    return {x.p0.x + (x.p1.x - x.p0.x) * t, x.p0.y + (x.p1.y - x.p0.y) * t, x.p0.z + (x.p1.z - x.p0.z) * t};
}

Vec3 along(const Vec3& p, const Vec3& d, double f) { return {p.x + d.x * f, p.y + d.y * f, p.z + d.z * f}; }

// Plot units per absolute unit across the line of sight at p.
double page_scale(const ViewMatrix& m, const Vec3& p) {
    const double depth = std::max(to_eye(m, p).z, m.front);
    return m.s / (m.t * depth);
}

// Unit page direction of d at p (x to the right, y down).
PlotPoint page_direction(const ViewMatrix& m, const Vec3& p, const Vec3& d) {
    const PlotPoint a = abs_to_plot(m, p);
    const double f = 1.0 / page_scale(m, p);  // one plot unit
    const PlotPoint b = abs_to_plot(m, along(p, d, f));
    double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    if (!(len > 1e-12)) return {0, 1};
    return {dx / len, dy / len};
}

// Text angle (degrees, counter-clockwise) of a page direction, turned to
// read from left to right.
double reading_angle(const PlotPoint& d) {
    double a = std::atan2(-d.y, d.x) * 180 / M_PI;
    if (a > 90.001) a -= 180;
    if (a <= -89.999) a += 180;
    return a;
}

// Draws a text with its box centred at c (page, no origin) at the angle.
void centred_text(Context& ctx, const LabelText& text, double length, double cx, double cy, int degrees) {
    const double r = degrees * M_PI / 180, h1 = ctx.text.height - 1;
    const double ux = std::cos(r), uy = -std::sin(r), vx = std::sin(r), vy = std::cos(r);
    draw_label(ctx, text, cx - length / 2 * ux - h1 / 2 * vx, cy - length / 2 * uy - h1 / 2 * vy);
}

// Half the extent of a text box along the page direction o.
double half_extent(double length, int height, int degrees, const PlotPoint& o) {
    const double r = degrees * M_PI / 180;
    const double ux = std::cos(r), uy = -std::sin(r), vx = std::sin(r), vy = std::cos(r);
    return length / 2 * std::fabs(ux * o.x + uy * o.y) + (height - 1) / 2.0 * std::fabs(vx * o.x + vy * o.y);
}

int label_angle(const Context& ctx, const Axis3& x, const PlotPoint& axis_dir) {
    int mode = ctx.view3d.label_mode;
    if (mode == LABL3D_STAN) mode = x.axis == AXIS_Z ? LABL3D_HORI : LABL3D_PARA;
    if (mode == LABL3D_HORI) return 0;
    double a = reading_angle(axis_dir);
    if (mode == LABL3D_OTHE) a = reading_angle({-axis_dir.y, axis_dir.x});
    return int(std::lround(a));
}

void draw_axis(Context& ctx, const Axis3& x, const Vec3& corner) {
    const ViewMatrix& m = ctx.view3d.view_matrix;
    const AxisSettings& set = ctx.axes.axis[x.axis];
    const AxisScale& sc = *x.sc;
    if (!(sc.e != sc.a)) return;
    if (set.line) {
        const int previous = use_colour(ctx, set.colour[AXPART_LINE]);
        segment3d(ctx, x.p0, x.p1, CLIP3D_FRONT_ONLY);
        restore_colour(ctx, previous);
    }
    const TickSpec spec = axis_ticks(ctx, x.axis, sc.a, sc.e, sc.first, sc.step, sc.log);
    const int major = ctx.axes.major_len, minor = ctx.axes.minor_len;
    const bool ticks = spec.per_step > 0;
    if (ticks) {
        const int previous = use_colour(ctx, set.colour[AXPART_TICKS]);
        Path3d path(ctx, CLIP3D_FRONT_ONLY);
        for (const TickMark& t : tick_marks(spec)) {
            const Vec3 p = at(x, t.value);
            const double len = (t.major ? major : minor) / page_scale(m, p);
            double from = 0, to = len;
            if (set.tick_pos == TICK_REVE) to = -len;
            if (set.tick_pos == TICK_CENT) from = -len / 2, to = len / 2;
            path.move(along(p, x.out, from));
            path.draw(along(p, x.out, to));
        }
        path.finish();
        restore_colour(ctx, previous);
    }
    const LabelAxis& la = ctx.labels.axis[x.axis];
    const double tick_space = !ticks || set.tick_pos == TICK_REVE ? 0 : set.tick_pos == TICK_CENT ? major / 2 : major;
    const PlotPoint mid_dir = page_direction(m, at(x, (sc.a + sc.e) / 2), x.out);
    const PlotPoint a0 = abs_to_plot(m, x.p0), a1 = abs_to_plot(m, x.p1);
    const double alen = std::hypot(a1.x - a0.x, a1.y - a0.y);
    const PlotPoint axis_dir = alen > 1e-9 ? PlotPoint{(a1.x - a0.x) / alen, (a1.y - a0.y) / alen} : PlotPoint{1, 0};

    TextScope scope(ctx);
    scope.height(std::max(1, int(std::lround(1.5 * ctx.text.height))));
    double reach = 0;  // how far the labels reach beyond the label line
    if (la.type != LABEL_NONE) {
        const int previous = use_colour(ctx, set.colour[AXPART_LABELS]);
        AxisSide side;
        side.axis = x.axis;
        side.a = sc.a;
        side.e = sc.e;
        side.first = sc.first;
        side.step = sc.step;
        side.log = sc.log;
        side.length = sc.length;
        std::vector<LabelSpot> spots = label_spots(ctx, side);
        if (x.axis == AXIS_Z && ctx.view3d.end_labels != EXPZ_NONE) {
            const double tol = 1e-6 * std::fabs(sc.e - sc.a);
            auto has = [&](double v) {
                return std::any_of(spots.begin(), spots.end(), [&](const LabelSpot& s) { return std::fabs(s.at - v) < tol; });
            };
            const double lower = std::min(sc.a, sc.e), upper = std::max(sc.a, sc.e);
            if (!has(lower)) spots.push_back({lower, lower, int(spots.size())});
            if (ctx.view3d.end_labels == EXPZ_BOTH && !has(upper)) spots.push_back({upper, upper, int(spots.size())});
        }
        const int degrees = label_angle(ctx, x, axis_dir);
        scope.angle(degrees);
        const int h = ctx.text.height;
        for (const LabelSpot& spot : spots) {
            const Vec3 p = at(x, spot.at);
            if (x.axis != AXIS_Z && !ctx.view3d.corner_labels) {
                const double d = std::fabs(x.axis == AXIS_X ? p.x - corner.x : p.y - corner.y);
                if (d < 1e-6 * (x.axis == AXIS_X ? ctx.view3d.xl : ctx.view3d.yl)) continue;
            }
            const LabelText text = label_text(ctx, x.axis, spot.value, sc.log, sc.step, spot.k);
            if (text.text.empty()) continue;
            const double length = label_length(ctx, text);
            const PlotPoint o = page_direction(m, p, x.out);
            const PlotPoint q = abs_to_plot(m, p);
            const double half = half_extent(length, h, degrees, o);
            const double dist = tick_space + la.distance + half;
            reach = std::max(reach, 2 * half);
            centred_text(ctx, text, length, q.x + o.x * dist, q.y + o.y * dist, degrees);
        }
        restore_colour(ctx, previous);
    }
    const std::string& name = la.name;
    if (name.empty()) return;
    const int previous = use_colour(ctx, set.colour[AXPART_NAME]);
    scope.height(std::max(1, int(std::lround(1.5 * ctx.labels.name_height))));
    const int degrees = x.axis == AXIS_Z ? 90 : int(std::lround(reading_angle(axis_dir)));
    scope.angle(degrees);
    LabelText text;
    text.text = name;
    const double length = label_length(ctx, text);
    const PlotPoint q = abs_to_plot(m, at(x, (sc.a + sc.e) / 2));
    const double dist = tick_space + la.distance + reach + la.name_distance +
                        half_extent(length, ctx.text.height, degrees, mid_dir);
    centred_text(ctx, text, length, q.x + mid_dir.x * dist, q.y + mid_dir.y * dist, degrees);
    restore_colour(ctx, previous);
}

}  // namespace

void draw_axes3d(Context& ctx) {
    const View3dState& v = ctx.view3d;
    const ViewMatrix& m = v.view_matrix;
    const double hx = v.xl / 2, hy = v.yl / 2, hz = v.zl / 2;
    // The bottom edges nearer the view point.
    const double y0 = sgn(m.eye.y) * hy, x0 = sgn(m.eye.x) * hx;
    const Axis3 ax{AXIS_X, &ctx.axes.x, {-hx, y0, -hz}, {hx, y0, -hz}, {0, sgn(y0), 0}};
    const Axis3 ay{AXIS_Y, &ctx.axes.y, {x0, -hy, -hz}, {x0, hy, -hz}, {sgn(x0), 0, 0}};
    // The vertical edge leftmost on the page.
    double best = INFINITY, ex = -hx, ey = -hy;
    for (double cx : {-hx, hx})
        for (double cy : {-hy, hy}) {
            const double px = abs_to_plot(m, {cx, cy, 0}).x;
            if (px < best - 1e-9) {
                best = px;
                ex = cx;
                ey = cy;
            }
        }
    const double r = std::sqrt(0.5);
    const Axis3 az{AXIS_Z, &ctx.axes.z, {ex, ey, -hz}, {ex, ey, hz}, {sgn(ex) * r, sgn(ey) * r, 0}};
    const Vec3 corner{x0, y0, -hz};
    draw_axis(ctx, ax, corner);
    draw_axis(ctx, ay, corner);
    draw_axis(ctx, az, corner);
    line_flush(ctx);
}

}  // namespace kal
