// The axes of a 3-D box: X and Y on the bottom edges nearer the view point
// (seen from below the bottom, on those farther away, which lie on the outline),
// Z on the vertical edge leftmost on the page. Ticks are 3-D segments
// pointing away from the box; labels and names are placed on the page
// beyond the projected ticks, at 1.5 times their heights. Labels that would
// run into each other on the page are thinned out (automatic scaling takes a
// coarser step first), and names move out until they are clear of labels.
#include "plot3d/axes3d.h"

#include <algorithm>
#include <array>
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
    AxisScale* sc;
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

// The page rectangle of a text: centre, unit reading direction u, unit
// direction v down the glyphs, half its length and half its height.
struct TextBox {
    double cx = 0, cy = 0, ux = 1, uy = 0, vx = 0, vy = 1, hl = 0, hh = 0;
};

TextBox text_box(double cx, double cy, double length, int height, int degrees) {
    const double r = degrees * M_PI / 180;
    TextBox b;
    b.cx = cx;
    b.cy = cy;
    b.ux = std::cos(r);
    b.uy = -std::sin(r);
    b.vx = std::sin(r);
    b.vy = std::cos(r);
    b.hl = length / 2;
    b.hh = (height - 1) / 2.0;
    return b;
}

// Half the extent of a text box along the page direction (dx, dy).
double reach_along(const TextBox& b, double dx, double dy) {
    return b.hl * std::fabs(b.ux * dx + b.uy * dy) + b.hh * std::fabs(b.vx * dx + b.vy * dy);
}

// Whether two text boxes come closer than `gap` (separating axes of the
// two rectangles).
bool crowded(const TextBox& a, const TextBox& b, double gap) {
    const double dx = b.cx - a.cx, dy = b.cy - a.cy;
    for (const TextBox* s : {&a, &b})
        for (int i = 0; i < 2; ++i) {
            const double nx = i ? s->vx : s->ux, ny = i ? s->vy : s->uy;
            if (std::fabs(dx * nx + dy * ny) >= reach_along(a, nx, ny) + reach_along(b, nx, ny) + gap) return false;
        }
    return true;
}

using Quad = std::array<PlotPoint, 4>;

// Whether a text box and a convex quadrilateral of the page overlap.
bool covers(const Quad& quad, const TextBox& b) {
    const auto apart_on = [&](double nx, double ny) {
        double lo = INFINITY, hi = -INFINITY;
        for (const PlotPoint& p : quad) {
            lo = std::min(lo, p.x * nx + p.y * ny);
            hi = std::max(hi, p.x * nx + p.y * ny);
        }
        const double c = b.cx * nx + b.cy * ny, r = reach_along(b, nx, ny);
        return c + r <= lo || c - r >= hi;
    };
    if (apart_on(b.ux, b.uy) || apart_on(b.vx, b.vy)) return false;
    for (int i = 0; i < 4; ++i) {
        const PlotPoint &p = quad[i], &q = quad[(i + 1) % 4];
        if ((p.x != q.x || p.y != q.y) && apart_on(p.y - q.y, q.x - p.x)) return false;
    }
    return true;
}

// Whether a text box comes closer than `gap` to a face of the box.
bool on_box(const std::vector<Quad>& faces, TextBox b, double gap) {
    b.hl += gap;
    b.hh += gap;
    return std::any_of(faces.begin(), faces.end(), [&](const Quad& f) { return covers(f, b); });
}

// Draws a text into its box.
void draw_in_box(Context& ctx, const LabelText& text, const TextBox& b) {
    draw_label(ctx, text, b.cx - b.hl * b.ux - b.hh * b.vx, b.cy - b.hl * b.uy - b.hh * b.vy);
}

int label_angle(const Context& ctx, const Axis3& x, const PlotPoint& axis_dir) {
    int mode = ctx.view3d.label_mode;
    if (mode == LABL3D_STAN) mode = x.axis == AXIS_Z ? LABL3D_HORI : LABL3D_PARA;
    if (mode == LABL3D_HORI) return 0;
    double a = reading_angle(axis_dir);
    if (mode == LABL3D_OTHE) a = reading_angle({-axis_dir.y, axis_dir.x});
    return int(std::lround(a));
}

PlotPoint axis_direction(const ViewMatrix& m, const Axis3& x) {
    const PlotPoint a0 = abs_to_plot(m, x.p0), a1 = abs_to_plot(m, x.p1);
    const double alen = std::hypot(a1.x - a0.x, a1.y - a0.y);
    return alen > 1e-9 ? PlotPoint{(a1.x - a0.x) / alen, (a1.y - a0.y) / alen} : PlotPoint{1, 0};
}

// Room the ticks take beyond the axis on the label side.
double tick_space(Context& ctx, const Axis3& x) {
    const AxisScale& sc = *x.sc;
    const int pos = ctx.axes.axis[x.axis].tick_pos;
    const int major = ctx.axes.major_len;
    if (axis_ticks(ctx, x.axis, sc.a, sc.e, sc.first, sc.step, sc.log).per_step <= 0 ||
        pos == TICK_REVE)
        return 0;
    return pos == TICK_CENT ? major / 2.0 : major;
}

struct Placed {
    LabelText text;
    TextBox box;
    int degrees;
    double at;       // place along the axis
    bool forced;     // an end label of expzlb: kept against the others
    bool kept = true;
};

// The labels of one axis as they would be drawn at the current text height
// (set to the label height by the caller): texts and page boxes, beyond the
// projected ticks, in the order along the axis.
std::vector<Placed> place_labels(Context& ctx, const Axis3& x, const Vec3& corner, const std::vector<Quad>& faces) {
    std::vector<Placed> placed;
    const ViewMatrix& m = ctx.view3d.view_matrix;
    const AxisScale& sc = *x.sc;
    const LabelAxis& la = ctx.labels.axis[x.axis];
    if (la.type == LABEL_NONE || !(sc.e != sc.a)) return placed;
    AxisSide side;
    side.axis = x.axis;
    side.a = sc.a;
    side.e = sc.e;
    side.first = sc.first;
    side.step = sc.step;
    side.log = sc.log;
    side.length = sc.length;
    std::vector<LabelSpot> spots = label_spots(ctx, side);
    const size_t regular = spots.size();
    if (x.axis == AXIS_Z && ctx.view3d.end_labels != EXPZ_NONE) {
        const double tol = 1e-6 * std::fabs(sc.e - sc.a);
        auto has = [&](double v) {
            return std::any_of(spots.begin(), spots.end(), [&](const LabelSpot& s) { return std::fabs(s.at - v) < tol; });
        };
        const double lower = std::min(sc.a, sc.e), upper = std::max(sc.a, sc.e);
        if (!has(lower)) spots.push_back({lower, lower, int(spots.size())});
        if (ctx.view3d.end_labels == EXPZ_BOTH && !has(upper)) spots.push_back({upper, upper, int(spots.size())});
    }
    const int degrees = label_angle(ctx, x, axis_direction(m, x));
    const int h = ctx.text.height;
    const double space = tick_space(ctx, x) + la.distance;
    for (size_t i = 0; i < spots.size(); ++i) {
        const LabelSpot& spot = spots[i];
        const Vec3 p = at(x, spot.at);
        if (x.axis != AXIS_Z && !ctx.view3d.corner_labels) {
            const double d = std::fabs(x.axis == AXIS_X ? p.x - corner.x : p.y - corner.y);
            if (d < 1e-6 * (x.axis == AXIS_X ? ctx.view3d.xl : ctx.view3d.yl)) continue;
        }
        Placed l;
        l.text = label_text(ctx, x.axis, spot.value, sc.log, sc.step, spot.k);
        if (l.text.text.empty()) continue;
        const PlotPoint o = page_direction(m, p, x.out);
        const PlotPoint q = abs_to_plot(m, p);
        l.box = text_box(0, 0, label_length(ctx, l.text), h, degrees);
        const auto put = [&](double dist) {
            l.box.cx = q.x + o.x * dist;
            l.box.cy = q.y + o.y * dist;
        };
        const double dist = space + reach_along(l.box, o.x, o.y);
        put(dist);
        // The far labels of an axis seen nearly end-on fall across the
        // box: they move out until they are clear of it (or stay where they
        // were if that takes more than 4 label heights).
        for (int n = 1; n <= 8 && on_box(faces, l.box, h / 4.0); ++n) put(dist + n * h / 2.0);
        if (on_box(faces, l.box, h / 4.0)) put(dist);
        l.degrees = degrees;
        l.at = (spot.at - sc.a) / (sc.e - sc.a);
        l.forced = i >= regular;
        placed.push_back(l);
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.at < b.at; });
    return placed;
}

// Leaves out every label of the axis that comes closer than `gap` to the
// label kept before it on the axis or to one of `taken` (the end labels of
// expzlb and the labels of the axes placed before); adds the kept ones to
// `taken`.
void thin_out(std::vector<Placed>& labels, std::vector<TextBox>& taken, double gap) {
    const Placed* last = nullptr;
    for (Placed& l : labels) {
        if (l.forced) continue;
        l.kept = (!last || !crowded(last->box, l.box, gap)) &&
                 std::none_of(taken.begin(), taken.end(), [&](const TextBox& t) { return crowded(t, l.box, gap); });
        if (l.kept) last = &l;
    }
    for (const Placed& l : labels)
        if (l.kept && !l.forced) taken.push_back(l.box);
}

bool any_crowded(const std::vector<Placed>& labels, double gap) {
    for (size_t i = 1; i < labels.size(); ++i)
        if (crowded(labels[i - 1].box, labels[i].box, gap)) return true;
    return false;
}

// The next coarser step of 1, 2 or 5 times a power of ten.
double coarser(double step) {
    const double unit = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double mant = step / unit;
    return (mant < 1.5 ? 2 : mant < 3.5 ? 5 : 10) * unit;
}

// Automatic scaling chose the step for the axis length; seen in 3-D the
// axis may be much shorter on the page. Coarser steps (2, 5, 10 times a
// power of ten) are taken until neighbouring labels keep a label height
// apart; the first label and the digits follow the new step as automatic
// scaling sets them.
void widen_automatic_step(Context& ctx, const Axis3& x, const Vec3& corner, const std::vector<Quad>& faces,
                          int height) {
    const int type = ctx.labels.axis[x.axis].type;
    if (!ctx.axes.axis[x.axis].auto_scale || type == LABEL_TIME || type == LABEL_HOUR || type == LABEL_SECO ||
        type == LABEL_DATE || type == LABEL_MYLA)
        return;
    AxisScale& sc = *x.sc;
    const bool exponent = type == LABEL_EXP || type == LABEL_FEXP;
    for (int i = 0; i < 12 && sc.step > 0 && sc.e > sc.a; ++i) {
        if (!any_crowded(place_labels(ctx, x, corner, faces), height)) return;
        const double step = coarser(sc.step);
        if (step > sc.e - sc.a) return;  // a single label: keep the last step that has two
        sc.step = step;
        const double ratio = sc.a / step, k = std::trunc(ratio);
        sc.first = std::fabs(ratio - k) > 1e-15 ? (sc.a >= 0 ? k + 1 : k) * step : sc.a;
        if (!sc.log && !exponent) {
            const int p = int(std::floor(std::log10(step) + 1e-9));
            ctx.labels.axis[x.axis].digits = p < 0 ? -p : -1;
        }
    }
}

void draw_axis(Context& ctx, const Axis3& x, const std::vector<Placed>& labels, std::vector<TextBox>& taken,
               const std::vector<Quad>& faces, TextScope& scope, int name_height) {
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
    if (spec.per_step > 0) {
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
    const PlotPoint mid_dir = page_direction(m, at(x, (sc.a + sc.e) / 2), x.out);
    double reach = 0;  // how far the labels reach beyond the label line
    if (!labels.empty()) {
        const int previous = use_colour(ctx, set.colour[AXPART_LABELS]);
        for (const Placed& l : labels) {
            if (!l.kept) continue;
            scope.angle(l.degrees);
            draw_in_box(ctx, l.text, l.box);
            reach = std::max(reach, 2 * reach_along(l.box, mid_dir.x, mid_dir.y));
        }
        restore_colour(ctx, previous);
    }
    const std::string& name = la.name;
    if (name.empty()) return;
    const int previous = use_colour(ctx, set.colour[AXPART_NAME]);
    scope.height(name_height);
    const int degrees = x.axis == AXIS_Z ? 90 : int(std::lround(reading_angle(axis_direction(m, x))));
    scope.angle(degrees);
    LabelText text;
    text.text = name;
    const PlotPoint q = abs_to_plot(m, at(x, (sc.a + sc.e) / 2));
    TextBox box = text_box(0, 0, label_length(ctx, text), name_height, degrees);
    double dist = tick_space(ctx, x) + la.distance + reach + la.name_distance + reach_along(box, mid_dir.x, mid_dir.y);
    // Beyond the labels of every axis, the names drawn before and the box:
    // on an axis seen nearly end-on the labels line up in the direction of
    // the name.
    const double gap = std::max(1.0, la.name_distance / 2.0);
    for (int i = 0; i < 400; ++i) {
        box.cx = q.x + mid_dir.x * dist;
        box.cy = q.y + mid_dir.y * dist;
        if (std::none_of(taken.begin(), taken.end(), [&](const TextBox& b) { return crowded(b, box, gap); }) &&
            (i >= 16 || !on_box(faces, box, gap)))  // the box: at most 4 name heights out, as labels
            break;
        dist += std::max(1, name_height / 4);
    }
    draw_in_box(ctx, text, box);
    taken.push_back(box);
    restore_colour(ctx, previous);
}

}  // namespace

void draw_axes3d(Context& ctx) {
    const View3dState& v = ctx.view3d;
    const ViewMatrix& m = v.view_matrix;
    const double hx = v.xl / 2, hy = v.yl / 2, hz = v.zl / 2;
    // The bottom edges nearer the view point. Seen from below the bottom
    // these lie inside the outline of the box, between the bottom and the
    // near walls; the bottom edges farther away lie on the outline there
    // and carry the axes instead, so that the labels fall beside the box.
    const double below = m.eye.z < -hz ? -1.0 : 1.0;
    const double y0 = below * sgn(m.eye.y) * hy, x0 = below * sgn(m.eye.x) * hx;
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
    const Axis3* axes[] = {&ax, &ay, &az};
    // The faces of the box on the page, which labels keep clear of.
    std::vector<Quad> faces;
    for (int axis = 0; axis < 3; ++axis)
        for (double side : {-1.0, 1.0}) {
            Quad f;
            for (int i = 0; i < 4; ++i) {
                const double a = (i == 1 || i == 2) ? 1 : -1, b = i >= 2 ? 1 : -1;  // around the face
                const double c[3] = {axis == 0 ? side : a, axis == 0 ? a : axis == 1 ? side : b, axis == 2 ? side : b};
                f[i] = abs_to_plot(m, {c[0] * hx, c[1] * hy, c[2] * hz});
            }
            faces.push_back(f);
        }

    TextScope scope(ctx);
    const int h = std::max(1, int(std::lround(1.5 * ctx.text.height)));
    const int name_height = std::max(1, int(std::lround(1.5 * ctx.labels.name_height)));
    scope.height(h);
    scope.angle(0);
    // Labels closer than half their height run together: such a label is
    // left out (its tick stays); automatic scaling takes a coarser step
    // instead. A label that meets one of an axis placed before it at a
    // shared corner is left out as well; the end labels of expzlb stay.
    // Axes that keep a larger share of their labels on their own go first,
    // so that an axis seen end-on gives way to the others.
    std::vector<Placed> labels[3];
    std::vector<TextBox> taken;
    double share[3];
    for (int i = 0; i < 3; ++i) {
        widen_automatic_step(ctx, *axes[i], corner, faces, h);
        labels[i] = place_labels(ctx, *axes[i], corner, faces);
        for (const Placed& l : labels[i])
            if (l.forced) taken.push_back(l.box);
        std::vector<TextBox> none;
        thin_out(labels[i], none, h / 2.0);
        share[i] = labels[i].empty() ? 1.0 : double(none.size()) / double(labels[i].size());
    }
    int order[] = {0, 1, 2};
    std::stable_sort(order, order + 3, [&](int a, int b) { return share[a] > share[b] + 1e-9; });
    for (int i : order) thin_out(labels[i], taken, h / 2.0);
    for (int i = 0; i < 3; ++i) {
        scope.height(h);
        draw_axis(ctx, *axes[i], labels[i], taken, faces, scope, name_height);
    }
    line_flush(ctx);
}

}  // namespace kal
