// The region buffer of the shields and the segment cutter.
#include "output/shields.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "core/context.h"
#include "core/frame.h"
#include "output/frame_band.h"
#include "output/line_layer.h"
#include "output/primitives.h"

namespace kal {
namespace {

constexpr double TWO_PI = 2 * M_PI;

// Words of the region starting at word p.
int entry_size(const ShieldState& s, int p) {
    switch (shield_type(s.words[p])) {
        case SHIELD_RECT: return 6;
        case SHIELD_CIRCLE: return 5;
        case SHIELD_POLYGON: return 3 + 2 * s.words[p + 2];
        default: return 7;
    }
}

// Floating values become words by rounding half away from zero.
int32_t to_word(double v) {
    if (!(v > INT_MIN + 1.0)) return INT_MIN + 1;  // also NaN
    if (!(v < INT_MAX - 1.0)) return INT_MAX - 1;
    return static_cast<int32_t>(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5));
}

// An angle in radians as milliradians in 0..2*pi.
int32_t to_milliradians(double a) {
    if (!std::isfinite(a)) return 0;
    a = std::fmod(a, TWO_PI);
    if (a < 0) a += TWO_PI;
    return to_word(a * 1000);
}

// A point in the frame of a figure turned by `angle` about (cx, cy):
// u along the figure's x side, v along its y side.
struct Frame {
    double cx, cy, c, s;
    Frame(double x, double y, int32_t milliradians)
        : cx(x), cy(y), c(std::cos(milliradians / 1000.0)), s(std::sin(milliradians / 1000.0)) {}
    void local(double x, double y, double& u, double& v) const {
        const double dx = x - cx, dy = y - cy;
        u = dx * c - dy * s;
        v = dx * s + dy * c;
    }
};

bool between(double v, double a, double b) { return a < b ? a < v && v < b : b < v && v < a; }

bool in_pie_angle(double x, double y, const int32_t* w) {
    const double alpha = w[3] / 1000.0, beta = w[4] / 1000.0;
    double sweep = std::fmod(beta - alpha, TWO_PI);
    if (sweep < 0) sweep += TWO_PI;
    if (sweep == 0) return true;  // equal angles: the whole circle
    double t = std::fmod(std::atan2(-y, x) - alpha, TWO_PI);
    if (t < 0) t += TWO_PI;
    return t > 0 && t < sweep;
}

bool in_polygon(double x, double y, const int32_t* w) {
    const int n = w[0];
    const int32_t* p = w + 1;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = p[2 * i], yi = p[2 * i + 1], xj = p[2 * j], yj = p[2 * j + 1];
        if ((yi > y) != (yj > y) && x < xi + (xj - xi) * (y - yi) / (yj - yi)) inside = !inside;
    }
    return inside;
}

// Containment of one region (w: its parameters); the boundary is outside.
bool contains(int type, const int32_t* w, double x, double y) {
    switch (type) {
        case SHIELD_RECT: return between(x, w[0], w[2]) && between(y, w[1], w[3]);
        case SHIELD_ROTATED_RECT: {
            double u, v;
            Frame(w[0], w[1], w[4]).local(x, y, u, v);
            return between(u, 0, w[2] - w[0]) && between(v, 0, w[3] - w[1]);
        }
        case SHIELD_CIRCLE: return std::hypot(x - w[0], y - w[1]) < w[2];
        case SHIELD_ELLIPSE: {
            double u, v;
            Frame(w[0], w[1], w[4]).local(x, y, u, v);
            u /= w[2];
            v /= w[3];
            return u * u + v * v < 1;
        }
        case SHIELD_PIE:
            return std::hypot(x - w[0], y - w[1]) < w[2] && in_pie_angle(x - w[0], y - w[1], w);
        case SHIELD_POLYGON: return in_polygon(x, y, w);
    }
    return false;
}

// Collects the parameters t in (0, 1) at which P + t D crosses a figure's
// boundary. Extra cuts cost nothing but time: every piece is judged by its
// midpoint.
struct Cuts {
    double t[ShieldState::MAX_INTERSECTIONS + 1];
    int n = 0;
    bool full = false;
    void add(double v) {
        if (!(v > 0 && v < 1)) return;
        if (n == ShieldState::MAX_INTERSECTIONS) {
            full = true;
            return;
        }
        t[n++] = v;
    }
};

// The segment P + t D against the edge A B.
void cut_edge(Cuts& c, double px, double py, double dx, double dy, double ax, double ay, double bx,
              double by) {
    const double ex = bx - ax, ey = by - ay;
    const double den = dx * ey - dy * ex;
    if (den == 0) return;  // parallel: a piece along the edge is judged by its midpoint
    const double wx = ax - px, wy = ay - py;
    const double t = (wx * ey - wy * ex) / den, s = (wx * dy - wy * dx) / den;
    if (s >= 0 && s <= 1) c.add(t);
}

// The segment P + t D against the circle of radius r about the origin.
void cut_circle(Cuts& c, double px, double py, double dx, double dy, double r) {
    const double a = dx * dx + dy * dy, b = 2 * (px * dx + py * dy), k = px * px + py * py - r * r;
    const double disc = b * b - 4 * a * k;
    if (!(a > 0) || !(disc > 0)) return;
    const double root = std::sqrt(disc);
    c.add((-b - root) / (2 * a));
    c.add((-b + root) / (2 * a));
}

void cut_box(Cuts& c, double px, double py, double dx, double dy, double x1, double y1, double x2,
             double y2) {
    cut_edge(c, px, py, dx, dy, x1, y1, x2, y1);
    cut_edge(c, px, py, dx, dy, x2, y1, x2, y2);
    cut_edge(c, px, py, dx, dy, x2, y2, x1, y2);
    cut_edge(c, px, py, dx, dy, x1, y2, x1, y1);
}

void cut_region(Cuts& c, int type, const int32_t* w, double px, double py, double qx, double qy) {
    const double dx = qx - px, dy = qy - py;
    switch (type) {
        case SHIELD_RECT: cut_box(c, px, py, dx, dy, w[0], w[1], w[2], w[3]); break;
        case SHIELD_ROTATED_RECT:
        case SHIELD_ELLIPSE: {
            // In the figure's own frame; t is the same there.
            const Frame f(w[0], w[1], w[4]);
            double pu, pv, qu, qv;
            f.local(px, py, pu, pv);
            f.local(qx, qy, qu, qv);
            if (type == SHIELD_ROTATED_RECT) {
                cut_box(c, pu, pv, qu - pu, qv - pv, 0, 0, w[2] - w[0], w[3] - w[1]);
            } else {
                const double a = w[2], b = w[3];
                cut_circle(c, pu / a, pv / b, (qu - pu) / a, (qv - pv) / b, 1);
            }
            break;
        }
        case SHIELD_CIRCLE: cut_circle(c, px - w[0], py - w[1], dx, dy, w[2]); break;
        case SHIELD_PIE: {
            cut_circle(c, px - w[0], py - w[1], dx, dy, w[2]);
            for (int k = 3; k <= 4; ++k) {
                const double a = w[k] / 1000.0;
                cut_edge(c, px, py, dx, dy, w[0], w[1], w[0] + w[2] * std::cos(a), w[1] - w[2] * std::sin(a));
            }
            break;
        }
        case SHIELD_POLYGON: {
            const int n = w[0];
            const int32_t* v = w + 1;
            for (int i = 0, j = n - 1; i < n; j = i++)
                cut_edge(c, px, py, dx, dy, v[2 * j], v[2 * j + 1], v[2 * i], v[2 * i + 1]);
            break;
        }
    }
}

// Inside an active region among the words [0, end).
bool shielded_before(const ShieldState& s, int end, double x, double y) {
    for (int p = 0; p < end; p += entry_size(s, p)) {
        const int code = s.words[p];
        if (code % 10 == 0 && contains(shield_type(code), s.words + p + 2, x, y)) return true;
    }
    return false;
}

void draw_piece(Context& ctx, double x1, double y1, double x2, double y2) {
    const OutputState& o = ctx.out;
    if (!o.pen_valid || x1 != o.pen_x || y1 != o.pen_y) move_draw(ctx, x1, y1, 3);
    move_draw(ctx, x2, y2, 2);
}


// A closed outline in absolute plot coordinates, drawn without the page
// transformation.
void outline_ring(Context& ctx, int n, const double* x, const double* y) {
    line_move(ctx, x[0], y[0]);
    for (int i = 1; i < n; ++i) line_draw(ctx, x[i], y[i]);
    line_draw(ctx, x[0], y[0]);
}

// Outlines a program-defined rectangle, circle or ellipse with `thickness`
// rings one plot unit apart, outwards for a positive thickness.
void outline_region(Context& ctx, int type, const int32_t* w, int thickness) {
    if (thickness == 0 || type == SHIELD_PIE || type == SHIELD_POLYGON) return;
    const PagePlane plane(ctx);
    // The outline at the distance d outside the region (inside for d < 0).
    const auto outline = [&](double d, std::vector<double>& x, std::vector<double>& y) {
        if (type == SHIELD_RECT || type == SHIELD_ROTATED_RECT) {
            const double w0 = w[2] - w[0], h0 = w[3] - w[1];
            if (std::fabs(w0) + 2 * d < 0 || std::fabs(h0) + 2 * d < 0) return false;
            const double sx = w0 < 0 ? -1 : 1, sy = h0 < 0 ? -1 : 1;
            const double us[4] = {-d * sx, w0 + d * sx, w0 + d * sx, -d * sx};
            const double vs[4] = {-d * sy, -d * sy, h0 + d * sy, h0 + d * sy};
            const double a = type == SHIELD_ROTATED_RECT ? w[4] / 1000.0 : 0.0;
            const double c = std::cos(a), s = std::sin(a);
            x.resize(4);
            y.resize(4);
            for (int i = 0; i < 4; ++i) {  // back from the rectangle's frame
                x[i] = w[0] + us[i] * c + vs[i] * s;
                y[i] = w[1] - us[i] * s + vs[i] * c;
            }
            return true;
        }
        const double a = w[2] + d;
        const double b = type == SHIELD_CIRCLE ? w[2] + d : w[3] + d;
        if (!(a > 0 && b > 0)) return false;
        const double t = type == SHIELD_ELLIPSE ? w[4] / 1000.0 : 0.0;
        const int n = std::clamp(static_cast<int>(std::max(a, b) / 2), 16, 720);
        x.resize(n);
        y.resize(n);
        for (int i = 0; i < n; ++i) {
            const double f = TWO_PI * i / n, u = a * std::cos(f), v = b * std::sin(f);
            x[i] = w[0] + u * std::cos(t) + v * std::sin(t);
            y[i] = w[1] - u * std::sin(t) + v * std::cos(t);
        }
        return true;
    };
    const int n = std::abs(thickness);
    std::vector<double> x, y;
    if (frame_as_band(thickness)) {
        // Rings at 1 .. n outside (0 .. n - 1 inside for a negative thickness).
        const double reach = frame_reach(ctx);
        const double outer = (thickness > 0 ? n : 0) + reach, inner = (thickness > 0 ? 1 : 1 - n) - reach;
        const PageState& p = ctx.page;
        if (band_polygon(outline, outer, inner, x, y)) {
            for (size_t i = 0; i < x.size(); ++i) x[i] -= p.origin_x, y[i] -= p.origin_y;
            fill_band(ctx, x, y);
        }
    } else {
        for (int k = 0; k < n; ++k) {
            const double d = thickness > 0 ? k + 1.0 : -double(k);
            if (outline(d, x, y)) outline_ring(ctx, static_cast<int>(x.size()), x.data(), y.data());
        }
    }
}

void empty(ShieldState& s) {
    s.used = s.count = s.last_id = s.program_count = 0;
}

}  // namespace

bool shields_active(const Context& ctx) {
    const ShieldState& s = ctx.shields;
    for (int p = 0; p < s.used; p += entry_size(s, p))
        if (s.words[p] % 10 == 0) return true;
    return false;
}

bool shielded(const Context& ctx, double x, double y) {
    return shielded_before(ctx.shields, ctx.shields.used, x, y);
}

int add_shield(Context& ctx, int type, int source, const double* params, int nparams, int outline) {
    ShieldState& s = ctx.shields;
    const int size = type == SHIELD_POLYGON ? 3 + nparams : 2 + nparams;
    if (s.used + size > ShieldState::WORDS) {
        warn(ctx, 47);
        return 0;
    }
    line_flush(ctx);
    if (s.count == 0) empty(s);
    int32_t w[ShieldState::WORDS];
    int k = 0;
    if (type == SHIELD_POLYGON) w[k++] = nparams / 2;
    for (int i = 0; i < nparams; ++i) {
        const bool angle = (i == 4 && (type == SHIELD_ROTATED_RECT || type == SHIELD_ELLIPSE)) ||
                           (i >= 3 && type == SHIELD_PIE);
        w[k++] = angle ? to_milliradians(params[i]) : to_word(params[i]);
    }
    if (source == SOURCE_PROGRAM) outline_region(ctx, type, w, outline);
    int32_t* out = s.words + s.used;
    out[0] = type * 100 + source * 10;
    out[1] = ++s.last_id;
    std::copy(w, w + k, out + 2);
    s.used += size;
    ++s.count;
    if (source == SOURCE_PROGRAM) ++s.program_count;
    return s.last_id;
}

int add_automatic_shield(Context& ctx, int source, int type, const double* params, int nparams) {
    if (source < SOURCE_MESSAGES || source > SOURCE_LEGENDS || !ctx.shields.automatic[source]) return 0;
    return add_shield(ctx, type, source, params, nparams);
}

int add_automatic_box(Context& ctx, int source, double x1, double y1, double x2, double y2) {
    const double p[4] = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    return add_automatic_shield(ctx, source, SHIELD_RECT, p, 4);
}

int delete_shields(Context& ctx, ShieldFilter select, int arg) {
    line_flush(ctx);
    ShieldState& s = ctx.shields;
    int kept = 0, deleted = 0, count = 0, program = 0;
    for (int p = 0; p < s.used;) {
        const int size = entry_size(s, p);
        const int code = s.words[p];
        if (select(code, s.words[p + 1], arg)) {
            ++deleted;
        } else {
            std::copy(s.words + p, s.words + p + size, s.words + kept);  // moves down only
            kept += size;
            ++count;
            if (shield_source(code) == SOURCE_PROGRAM) ++program;
        }
        p += size;
    }
    s.used = kept;
    s.count = count;
    s.program_count = program;
    return deleted;
}

// Identifiers grow along the buffer (regions are appended, compacting
// keeps their order), so the last n program regions are those from the
// identifier of the (count - n)-th program region on.
void delete_last_program_shields(Context& ctx, int n) {
    const ShieldState& s = ctx.shields;
    const int skip = s.program_count - n;
    int seen = 0, first_id = 0;
    for (int p = 0; p < s.used; p += entry_size(s, p)) {
        if (shield_source(s.words[p]) != SOURCE_PROGRAM) continue;
        if (seen++ == std::max(skip, 0)) {
            first_id = s.words[p + 1];
            break;
        }
    }
    if (first_id == 0) return;
    delete_shields(ctx, [](int code, int id, int first) {
        return shield_source(code) == SOURCE_PROGRAM && id >= first;
    }, first_id);
}

int set_shield_visibility(Context& ctx, bool active, ShieldFilter select, int arg) {
    line_flush(ctx);
    ShieldState& s = ctx.shields;
    int matched = 0;
    for (int p = 0; p < s.used; p += entry_size(s, p)) {
        if (!select(s.words[p], s.words[p + 1], arg)) continue;
        s.words[p] = s.words[p] / 10 * 10 + (active ? 0 : 1);
        ++matched;
    }
    return matched;
}

void draw_shielded_segment(Context& ctx, double x1, double y1, double x2, double y2) {
    const ShieldState& s = ctx.shields;
    if (std::fabs(x2 - x1) < 0.001 && std::fabs(y2 - y1) < 0.001) {
        if (!shielded(ctx, (x1 + x2) / 2, (y1 + y2) / 2)) draw_piece(ctx, x1, y1, x2, y2);
        return;
    }
    Cuts cuts;
    int end = 0;  // regions up to this word were cut against
    for (int p = 0; p < s.used; p += entry_size(s, p)) {
        const int code = s.words[p];
        if (code % 10 != 0) {
            end = p + entry_size(s, p);
            continue;
        }
        const int before = cuts.n;
        cut_region(cuts, shield_type(code), s.words + p + 2, x1, y1, x2, y2);
        if (cuts.full) {
            warn(ctx, 26);
            cuts.n = before;  // this region and those after it are left out
            break;
        }
        end = p + entry_size(s, p);
    }
    std::sort(cuts.t, cuts.t + cuts.n);
    cuts.t[cuts.n] = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0;
    bool drawing = false;
    double start = 0;
    for (int i = 0; i <= cuts.n; ++i) {
        const double t1 = cuts.t[i];
        if (t1 <= t0) continue;
        const double tm = (t0 + t1) / 2;
        const bool visible = !shielded_before(s, end, x1 + tm * dx, y1 + tm * dy);
        if (visible && !drawing) start = t0;
        if (!visible && drawing)
            draw_piece(ctx, x1 + start * dx, y1 + start * dy, x1 + t0 * dx, y1 + t0 * dy);
        drawing = visible;
        t0 = t1;
    }
    if (drawing) draw_piece(ctx, x1 + start * dx, y1 + start * dy, x2, y2);
}

void ShieldState::reset(Context& ctx) {
    ctx.shields = ShieldState{};
}

namespace {
void reset_automatic(Context& ctx) {
    std::fill(std::begin(ctx.shields.automatic), std::end(ctx.shields.automatic), false);
}
const ResetKey SHIELD_KEYS[] = {{"SHIE", reset_automatic}};
}  // namespace
const ResetKeys ShieldState::reset_keys = SHIELD_KEYS;

}  // namespace kal
