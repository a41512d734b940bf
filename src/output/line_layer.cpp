#include "output/line_layer.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/context.h"
#include "output/clip.h"
#include "output/primitives.h"
#include "output/shields.h"
#include "output/thick_lines.h"
#include "util/array_scan.h"

namespace kal {
namespace {

bool styled(const LineState& l) { return l.dash_count > 0 || l.offset != 0.0; }

void affine(const LineState& l, double& x, double& y) {
    const double tx = l.a * x + l.b * y + l.c;
    const double ty = l.d * x + l.e * y + l.g;
    x = tx;
    y = ty;
}

// Points entering the pending polyline. With a projection they stay as they
// are: the flush projects them, then transforms.
void transform(const LineState& l, double& x, double& y) {
    if (l.transform && !l.projection) affine(l, x, y);
}

// The pending polyline itself (points after the page transform).
void start_polyline(Context& ctx, double x, double y) {
    line_flush(ctx);
    LineState& l = ctx.line;
    transform(l, x, y);
    l.px[0] = x;
    l.py[0] = y;
    l.count = 1;
}

void append_point(Context& ctx, double x, double y) {
    LineState& l = ctx.line;
    transform(l, x, y);
    if (l.count == 0) {  // after a flush the line goes on from its last point
        l.px[0] = l.last_x;
        l.py[0] = l.last_y;
        l.count = 1;
    }
    if (x == l.px[l.count - 1] && y == l.py[l.count - 1]) return;  // no length, no segment
    l.px[l.count] = x;
    l.py[l.count] = y;
    if (++l.count == LineState::CAPACITY) {
        line_flush(ctx);
        l.px[0] = x;
        l.py[0] = y;
        l.count = 1;
    }
}

constexpr double MAX_DASHES_PER_SEGMENT = 1e6;

// Length after which pattern and pen state repeat.
double pattern_period(const LineState& l) {
    double period = 0;
    for (int i = 0; i < l.dash_count; ++i) period += l.dash[i];
    return l.dash_count % 2 ? 2 * period : period;  // odd counts: two rounds
}

// Advances the dash phase by a distance without drawing.
void skip_phase(LineState& l, double distance) {
    const double period = pattern_period(l);
    if (period > 0 && distance > period) distance = std::fmod(distance, period);
    while (distance >= l.dash_left) {
        distance -= l.dash_left;
        l.dash_index = (l.dash_index + 1) % l.dash_count;
        l.dash_pen_down = !l.dash_pen_down;
        l.dash_left = l.dash[l.dash_index];
    }
    l.dash_left -= distance;
}

// The parameter range [t0, t1] of the segment that can be visible: inside
// the clipping window widened by the longest dash. Dashes are only cut there.
void visible_range(const Context& ctx, double px, double py, double qx, double qy, double& t0,
                   double& t1) {
    const LineState& l = ctx.line;
    if (l.projection) {  // no way back from the window: cut everywhere
        t0 = 0;
        t1 = 1;
        return;
    }
    double margin = 1;
    for (int i = 0; i < l.dash_count; ++i) margin = std::max(margin, l.dash[i]);
    const int* w = ctx.out.clip;
    double lo[2] = {std::max<double>(w[0], -ctx.page.width) - margin,
                    std::max<double>(w[1], -ctx.page.height) - margin};
    double hi[2] = {std::min<double>(w[2], 2.0 * ctx.page.width) + margin,
                    std::min<double>(w[3], 2.0 * ctx.page.height) + margin};
    if (l.transform) {
        // The window seen from the untransformed line: its corners mapped
        // back through the inverse transformation.
        const double det = l.a * l.e - l.b * l.d;
        if (!(std::fabs(det) > 1e-12) || !std::isfinite(det)) {
            t0 = t1 = 1;  // everything lands on one line or point: nothing to cut
            return;
        }
        double nlo[2] = {INFINITY, INFINITY}, nhi[2] = {-INFINITY, -INFINITY};
        for (double cx : {lo[0], hi[0]})
            for (double cy : {lo[1], hi[1]}) {
                const double rx = cx - l.c, ry = cy - l.g;
                const double ux = (l.e * rx - l.b * ry) / det, uy = (-l.d * rx + l.a * ry) / det;
                nlo[0] = std::min(nlo[0], ux);
                nhi[0] = std::max(nhi[0], ux);
                nlo[1] = std::min(nlo[1], uy);
                nhi[1] = std::max(nhi[1], uy);
            }
        for (int k = 0; k < 2; ++k) {
            lo[k] = nlo[k];
            hi[k] = nhi[k];
        }
    }
    const double p[2] = {px, py}, d[2] = {qx - px, qy - py};
    t0 = 0;
    t1 = 1;
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (p[k] < lo[k] || p[k] > hi[k]) t0 = t1 = 1;
            continue;
        }
        double a = (lo[k] - p[k]) / d[k], b = (hi[k] - p[k]) / d[k];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    }
    if (t0 > t1) t0 = t1 = 1;
}

// Draws or skips the way from the current point to q, cutting dashes.
void dashed_segment(Context& ctx, double qx, double qy) {
    LineState& l = ctx.line;
    double px = l.cur_x, py = l.cur_y;
    if (l.offset != 0.0) {
        const double dx = qx - px;
        const double t = std::fabs(dx) < 1e-6 ? (py > qy ? M_PI / 2 : -M_PI / 2)
                                              : std::atan2(py - qy, dx);
        const double ox = -l.offset * std::sin(t), oy = -l.offset * std::cos(t);
        px += ox;
        py += oy;
        qx += ox;
        qy += oy;
        if (l.offset_move_pending) {
            start_polyline(ctx, px, py);
            l.offset_move_pending = false;
        }
    }
    double len = std::hypot(qx - px, qy - py);
    if (l.dash_count == 0 || !(len > 0.0) || !std::isfinite(len)) {
        append_point(ctx, qx, qy);
        return;
    }
    const double ux = (qx - px) / len, uy = (qy - py) / len;
    // Stretches far outside the window only advance the phase: a dash
    // pattern never turns one long segment into millions of pieces.
    double t0, t1;
    visible_range(ctx, px, py, qx, qy, t0, t1);
    const double total = len;
    if (t0 > 0) {
        skip_phase(l, t0 * total);
        px += ux * t0 * total;
        py += uy * t0 * total;
        start_polyline(ctx, px, py);
        len = (1 - t0) * total;
    }
    const double tail = (1 - t1) * total;
    len -= tail;
    if (len > MAX_DASHES_PER_SEGMENT * pattern_period(l)) {
        // Millions of dashes on one visible stretch (a degenerate page
        // transformation): draw it through and keep the phase.
        skip_phase(l, len + tail);
        append_point(ctx, qx, qy);
        return;
    }
    double x = px, y = py;
    while (len >= l.dash_left) {
        x += ux * l.dash_left;
        y += uy * l.dash_left;
        if (l.dash_pen_down) {
            append_point(ctx, x, y);
        } else {
            start_polyline(ctx, x, y);
        }
        len -= l.dash_left;
        l.dash_index = (l.dash_index + 1) % l.dash_count;
        l.dash_pen_down = !l.dash_pen_down;
        l.dash_left = l.dash[l.dash_index];
    }
    x += ux * len;
    y += uy * len;
    if (l.dash_pen_down) {
        append_point(ctx, x, y);
    } else {
        start_polyline(ctx, x, y);
    }
    l.dash_left -= len;
    if (tail > 0) {
        skip_phase(l, tail);
        start_polyline(ctx, qx, qy);
    }
}

}  // namespace

void emit_segment(Context& ctx, double x1, double y1, double x2, double y2) {
    if (!clip_segment(ctx, x1, y1, x2, y2)) return;
    if (shields_exist(ctx.shields)) {
        draw_shielded_segment(ctx, x1, y1, x2, y2);
        return;
    }
    const OutputState& o = ctx.out;
    if (!o.pen_valid || x1 != o.pen_x || y1 != o.pen_y) move_draw(ctx, x1, y1, 3);
    move_draw(ctx, x2, y2, 2);
}

void line_move(Context& ctx, double x, double y) {
    LineState& l = ctx.line;
    if (styled(l)) {
        line_flush(ctx);
        l.cur_x = x;
        l.cur_y = y;
        if (l.offset != 0.0) {
            l.offset_move_pending = true;
            return;
        }
    }
    start_polyline(ctx, x, y);
}

void line_draw(Context& ctx, double x, double y) {
    LineState& l = ctx.line;
    if (styled(l)) {
        dashed_segment(ctx, x, y);
        l.cur_x = x;
        l.cur_y = y;
        return;
    }
    append_point(ctx, x, y);
}

namespace {

// A polyline on the page: clipped segment by segment, then widened.
void write_polyline(Context& ctx, const double* x, const double* y, int n) {
    for (int i = 1; i < n; ++i) emit_segment(ctx, x[i - 1], y[i - 1], x[i], y[i]);
    if (ctx.line.width > 1 && n > 1 && !draws_widths(ctx.page.device)) draw_thick_outline(ctx, x, y, n);
}

// The page transformation of projected pieces, into `points`.
void transformed_piece(const LineState& l, int n, const double* x, const double* y, std::vector<double>& px,
                       std::vector<double>& py) {
    px.assign(x, x + n);
    py.assign(y, y + n);
    if (l.transform)
        for (int i = 0; i < n; ++i) affine(l, px[size_t(i)], py[size_t(i)]);
}

class FlushedPieces final : public ProjectedPieces {
public:
    explicit FlushedPieces(Context& ctx) : ctx_(ctx) {}
    void piece(int n, const double* x, const double* y) override {
        if (n < 1) return;
        transformed_piece(ctx_.line, n, x, y, px_, py_);
        write_polyline(ctx_, px_.data(), py_.data(), n);
    }

private:
    Context& ctx_;
    std::vector<double> px_, py_;
};

}  // namespace

void line_flush(Context& ctx) {
    LineState& l = ctx.line;
    if (l.flushing || l.count == 0) return;
    l.flushing = true;
    const int n = l.count;
    // A later draw goes on from here (before any projection).
    l.last_x = l.px[n - 1];
    l.last_y = l.py[n - 1];
    if (l.projection) {
        try {
            FlushedPieces pieces(ctx);
            l.projection->project(n, l.px, l.py, false, pieces);
        } catch (const std::bad_alloc&) {
            warn(ctx, 53);
        }
    } else {
        write_polyline(ctx, l.px, l.py, n);
    }
    l.count = 0;
    l.flushing = false;
}

bool plain_lines(const Context& ctx) {
    const LineState& l = ctx.line;
    return !styled(l) && !lines_transformed(l) && !l.circle_clip && l.width <= 1 &&
           !shields_exist(ctx.shields) && ctx.out.driver;
}

PagePlane::PagePlane(Context& ctx) : ctx_(ctx), transform_(ctx.line.transform), projection_(ctx.line.projection) {
    line_flush(ctx);
    ctx.line.transform = false;
    ctx.line.projection = nullptr;
}

PagePlane::~PagePlane() {
    line_flush(ctx_);
    ctx_.line.transform = transform_;
    ctx_.line.projection = projection_;
}

namespace {

// Projected areas: page-transformed, then back relative to the plot origin.
class AreaPieces final : public ProjectedPieces {
public:
    AreaPieces(const Context& ctx, ProjectedPieces& out) : ctx_(ctx), out_(out) {}
    void piece(int n, const double* x, const double* y) override {
        if (n < 1) return;
        transformed_piece(ctx_.line, n, x, y, px_, py_);
        for (int i = 0; i < n; ++i) {
            px_[size_t(i)] -= ctx_.page.origin_x;
            py_[size_t(i)] -= ctx_.page.origin_y;
        }
        out_.piece(n, px_.data(), py_.data());
    }

private:
    const Context& ctx_;
    ProjectedPieces& out_;
    std::vector<double> px_, py_;
};

}  // namespace

void page_area(Context& ctx, int n, const double* x, const double* y, ProjectedPieces& out) {
    const LineState& l = ctx.line;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    std::vector<double> px(size_t(std::max(n, 0))), py(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        px[size_t(i)] = x[i] + ox;
        py[size_t(i)] = y[i] + oy;
    }
    AreaPieces pieces(ctx, out);
    if (l.projection)
        l.projection->project(n, px.data(), py.data(), true, pieces);
    else
        pieces.piece(n, px.data(), py.data());
}

namespace {

// Points of a run inside the window, handed to the device a buffer at a time.
class Run {
public:
    explicit Run(Context& ctx) : ctx_(ctx) {}
    ~Run() { end(); }

    // A run begins at the point the line is at: a move unless the pen is there.
    void begin(double x, double y) {
        const OutputState& o = ctx_.out;
        n_ = 0;
        pen_ = 2;
        if (!o.pen_valid || o.pen_x != x || o.pen_y != y) {
            add(x, y);
            pen_ = 3;
        }
        open_ = true;
    }
    bool open() const { return open_; }
    void add(double x, double y) {
        if (n_ == CAPACITY) write();
        x_[n_] = x;
        y_[n_] = y;
        ++n_;
    }
    void end() {
        if (open_) write();
        open_ = false;
    }

private:
    static constexpr int CAPACITY = 512;
    void write() {
        draw_run(ctx_, n_, x_, y_, pen_);
        n_ = 0;
        pen_ = 2;
    }
    Context& ctx_;
    double x_[CAPACITY], y_[CAPACITY];
    int n_ = 0, pen_ = 2;
    bool open_ = false;
};

}  // namespace

void line_polyline(Context& ctx, int n, const double* x, const double* y) {
    if (n < 1) return;
    if (!plain_lines(ctx)) {
        line_move(ctx, x[0], y[0]);
        for (int i = 1; i < n; ++i) line_draw(ctx, x[i], y[i]);
        line_flush(ctx);
        return;
    }
    line_flush(ctx);
    // The window of clip_segment: inside it a segment stays as it is.
    const int* w = ctx.out.clip;
    const double xmin = w[0] - CLIP_TOLERANCE, xmax = w[2] + CLIP_TOLERANCE;
    const double ymin = w[1] - CLIP_TOLERANCE, ymax = w[3] + CLIP_TOLERANCE;
    auto inside = [&](double px, double py) {
        return px >= xmin && px <= xmax && py >= ymin && py <= ymax;
    };
    LineState& l = ctx.line;
    if (n >= 2 && distinct_within(x, y, n, xmin, xmax, ymin, ymax)) {
        // One run as the points stand: no copy point by point.
        const OutputState& o = ctx.out;
        if (o.pen_valid && o.pen_x == x[0] && o.pen_y == y[0])
            draw_run(ctx, n - 1, x + 1, y + 1, 2);
        else
            draw_run(ctx, n, x, y, 3);
        l.last_x = x[n - 1];
        l.last_y = y[n - 1];
        return;
    }
    Run run(ctx);
    double qx = x[0], qy = y[0];
    bool q_inside = inside(qx, qy);
    for (int i = 1; i < n; ++i) {
        const double px = x[i], py = y[i];
        if (px == qx && py == qy) continue;  // no length, no segment
        const bool p_inside = inside(px, py);
        if (q_inside && p_inside) {
            if (!run.open()) run.begin(qx, qy);
            run.add(px, py);
        } else {
            run.end();
            emit_segment(ctx, qx, qy, px, py);
        }
        qx = px;
        qy = py;
        q_inside = p_inside;
    }
    run.end();
    l.last_x = qx;
    l.last_y = qy;
}

void set_dash_pattern(Context& ctx, const double* lengths, int n) {
    line_flush(ctx);
    LineState& l = ctx.line;
    l.dash_count = 0;
    if (n > 1) {
        for (int i = 0; i < n && i < LineState::MAX_DASH; ++i) l.dash[i] = lengths[i];
        l.dash_count = n < LineState::MAX_DASH ? n : LineState::MAX_DASH;
    }
    l.dash_index = 0;
    l.dash_pen_down = true;
    l.dash_left = l.dash_count ? l.dash[0] : 0.0;
}

void reset_lines(Context& ctx) {
    LineState& l = ctx.line;
    l.count = 0;
    l.flushing = false;
    l.dash_count = 0;
    l.dash_index = 0;
    l.dash_pen_down = true;
    l.dash_left = 0;
    l.offset = 0;
    l.offset_move_pending = false;
    l.transform = false;
    l.projection = nullptr;
    l.width = 1;
    l.style = 0;
    l.join = 0;
    l.cap = 0;
    l.miter = 10.0;
    l.circle_clip = false;
    l.last_x = l.last_y = 0;
}

// kalini and reset "ALL": the pending line is written, then the line
// attributes and the clipping window start afresh.
void LineState::reset(Context& ctx) {
    line_flush(ctx);
    reset_lines(ctx);
    reset_clipping(ctx);
}

namespace {
const ResetKey LINE_KEYS[] = {
    {"CLPB", reset_clipping}, {"CLPM", reset_clipping}, {"CLPW", reset_clipping},
    {"NOCL", reset_clipping},
};
}  // namespace
const ResetKeys LineState::reset_keys = LINE_KEYS;

DashPhase save_dash(const LineState& l) {
    DashPhase p;
    std::copy(l.dash, l.dash + LineState::MAX_DASH, p.dash);
    p.count = l.dash_count;
    p.index = l.dash_index;
    p.pen_down = l.dash_pen_down;
    p.left = l.dash_left;
    return p;
}

void restore_dash(LineState& l, const DashPhase& p) {
    std::copy(p.dash, p.dash + LineState::MAX_DASH, l.dash);
    l.dash_count = p.count;
    l.dash_index = p.index;
    l.dash_pen_down = p.pen_down;
    l.dash_left = p.left;
}

}  // namespace kal
