// Filled polygons: natively where the device can, otherwise drawn as
// pattern lines by the scan-line filler.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"
#include "output/shields.h"

namespace kal {
namespace {

constexpr int MAX_CROSSINGS = 100;
// Dashes one hatch pass may cut (a hundred times those of the densest
// dotted pattern over a whole A4 page); beyond them the pass is solid.
constexpr double MAX_PASS_DASHES = 1e6;

struct Span {
    double y, xa, xb;
};

// The smallest distance in plot units that the open device shows: one
// device unit where device coordinates are whole numbers (or hundredths of
// a point), the seventh decimal of the page on the metafile.
double device_step(const Context& ctx) {
    const double f = ctx.out.factor;
    if (!(f > 0.0)) return 0.0;
    return traits(ctx.page.device).decimal_coordinates ? 1e-7 / f : 1.0 / f;
}

// Line styles the pattern types draw with (the lintyp patterns 4, 5, 6).
// A pattern that repeats within one step of the device is drawn solid: the
// device shows the same line, and a hatch line of a huge page would
// otherwise be cut into billions of dashes.
void pattern_line_style(Context& ctx, int type) {
    static const double DOTTED_CHAIN[] = {1, 15, 15, 15};  // 4
    static const double MEDIUM_DASH[] = {20, 15};          // 5
    static const double LONG_DOT[] = {1, 20};              // 6
    const double u = ctx.page.units;
    const double* lengths = nullptr;
    int n = 0;
    if (type == 5) lengths = LONG_DOT, n = 2;
    if (type == 6) lengths = MEDIUM_DASH, n = 2;
    if (type == 7) lengths = DOTTED_CHAIN, n = 4;
    double scaled[4], period = 0;
    for (int i = 0; i < n; ++i) {
        scaled[i] = std::max(1.0, std::floor(lengths[i] / u + 0.5));
        period += scaled[i];
    }
    if (period < device_step(ctx)) n = 0;
    set_dash_pattern(ctx, scaled, n);
}

// Draws the pass solid when its dash pattern would cut more than
// MAX_PASS_DASHES dashes from the spans, so that the work stays bounded on
// devices that show even the finest pattern (the metafile).
void limit_dashes(Context& ctx, const std::vector<std::vector<double>>& rows) {
    const LineState& l = ctx.line;
    double period = 0, length = 0;
    for (int i = 0; i < l.dash_count; ++i) period += l.dash[i];
    if (!(period > 0)) return;
    for (const auto& r : rows)
        for (size_t k = 0; k + 1 < r.size(); k += 2) length += r[k + 1] - r[k];
    if (length / period > MAX_PASS_DASHES) set_dash_pattern(ctx, nullptr, 0);
}

void rotate(double& x, double& y, double c, double s) {
    const double rx = x * c - y * s, ry = x * s + y * c;
    x = rx;
    y = ry;
}

}  // namespace

bool scan_crossings(Context& ctx, const double* x, const double* y, int n, double ys,
                    std::vector<double>& xs) {
    xs.clear();
    for (int i = 0; i < n; ++i) {
        const int j = i + 1 == n ? 0 : i + 1;
        const bool a = y[i] <= ys, b = y[j] <= ys;
        if (a == b) continue;
        xs.push_back(x[i] + (x[j] - x[i]) * (ys - y[i]) / (y[j] - y[i]));
    }
    if (static_cast<int>(xs.size()) > MAX_CROSSINGS) {
        warn_int(ctx, 26, static_cast<long long>(xs.size()));
        return false;
    }
    if (xs.size() == 2) {  // most scan lines of most polygons
        if (xs[1] < xs[0]) std::swap(xs[0], xs[1]);
        if (xs[0] == xs[1]) xs.clear();
        return true;
    }
    std::sort(xs.begin(), xs.end());
    // Equal neighbours cancel (a vertex touching the scan line).
    size_t kept = 0;
    for (size_t k = 0; k < xs.size(); ++k) {
        if (k + 1 < xs.size() && xs[k] == xs[k + 1]) {
            ++k;
            continue;
        }
        xs[kept++] = xs[k];
    }
    xs.resize(kept);
    return true;
}

bool scan_lines(const double* y, int n, double d, double limit_lo, double limit_hi, double& first,
                long long& lines) {
    lines = 0;
    double ymin = y[0], ymax = y[0];
    for (int i = 1; i < n; ++i) {
        ymin = std::min(ymin, y[i]);
        ymax = std::max(ymax, y[i]);
    }
    // Scan lines only where something can be visible.
    ymin = std::max(ymin, limit_lo);
    ymax = std::min(ymax, limit_hi);
    if (ymin > ymax) return true;
    if (!(d > 0.0) || !std::isfinite(ymin) || !std::isfinite(ymax)) return false;
    // Counted in whole steps so that a spacing below the precision of the
    // coordinates cannot stall the loop.
    first = std::trunc(ymin / d - 0.5);
    const double last = std::floor((ymax + d / 2) / d);
    if (!(last - first < 1e6)) return false;  // a pattern finer than any device shows
    lines = static_cast<long long>(last - first) + 1;
    return true;
}

bool scan_fill(Context& ctx, const double* x, const double* y, int n, double d,
               std::vector<std::vector<double>>& rows, std::vector<double>& row_y,
               double limit_lo, double limit_hi) {
    double first = 0;
    long long lines = 0;
    if (!scan_lines(y, n, d, limit_lo, limit_hi, first, lines)) return false;
    std::vector<double> xs;
    for (long long i = 0; i < lines; ++i) {
        const double ys = (first + i) * d;
        if (!scan_crossings(ctx, x, y, n, ys, xs)) return false;
        if (xs.size() >= 2) {
            rows.push_back(xs);
            row_y.push_back(ys);
        }
    }
    return true;
}

// Draws the spans in passes: span 1 of every row, then span 2, 3, 4 with
// alternating direction, then all further spans.
std::vector<Span> order_spans(const std::vector<std::vector<double>>& rows,
                              const std::vector<double>& row_y) {
    std::vector<Span> out;
    size_t most = 0;
    for (const auto& r : rows) most = std::max(most, r.size() / 2);
    for (size_t pass = 0; pass < std::min<size_t>(most, 4); ++pass) {
        bool forward = true;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].size() / 2 <= pass) continue;
            const double a = rows[i][2 * pass], b = rows[i][2 * pass + 1];
            out.push_back(forward ? Span{row_y[i], a, b} : Span{row_y[i], b, a});
            forward = !forward;
        }
    }
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t k = 4; k < rows[i].size() / 2; ++k)
            out.push_back({row_y[i], rows[i][2 * k], rows[i][2 * k + 1]});
    return out;
}

void pattern_fill(Context& ctx, int n, const double* x, const double* y) {
    const ColourState& c = ctx.colour;
    std::vector<double> px, py;
    try {
        px.assign(x, x + n);
        py.assign(y, y + n);
        px.reserve(n + 130);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    const DashPhase saved = save_dash(ctx.line);
    pattern_line_style(ctx, c.pattern_type);
    const double d = c.hatch_spacing;
    const int group = c.pattern_type == 2 ? 2 : c.pattern_type == 3 ? 3 : c.pattern_type == 4 ? 8 : 1;
    const int gap = (c.pattern_type == 2 || c.pattern_type == 3) ? c.pattern_density
                    : c.pattern_type == 4                         ? 5 * c.pattern_density + 4
                                                                  : 0;
    double angles[2] = {double(c.pattern_angle), 0};
    int passes = 1;
    if (c.pattern_cross) {
        angles[1] = c.pattern_angle < 90 ? c.pattern_angle + 90.0 : 180.0 - c.pattern_angle;
        passes = 2;
    }
    for (int pass = 0; pass < passes; ++pass) {
        const double a = angles[pass] * M_PI / 180.0;
        const double ca = std::cos(a), sa = std::sin(a);
        std::vector<double> rx(px), ry(py);
        if (a != 0.0)
            for (int i = 0; i < n; ++i) rotate(rx[i], ry[i], ca, sa);
        // The visible area (window within the page) in the rotated frame.
        const PageState& pg = ctx.page;
        const int* w = ctx.out.clip;
        const double vx[2] = {std::max<double>(w[0], 0) - pg.origin_x, std::min<double>(w[2], pg.width) - pg.origin_x};
        const double vy[2] = {std::max<double>(w[1], 0) - pg.origin_y, std::min<double>(w[3], pg.height) - pg.origin_y};
        double lo = INFINITY, hi = -INFINITY;
        for (double cx : vx)
            for (double cy : vy) {
                double tx = cx, ty = cy;
                rotate(tx, ty, ca, sa);
                lo = std::min(lo, ty - d);
                hi = std::max(hi, ty + d);
            }
        std::vector<std::vector<double>> rows;
        std::vector<double> row_y;
        if (!scan_fill(ctx, rx.data(), ry.data(), n, d, rows, row_y, lo, hi)) continue;
        limit_dashes(ctx, rows);
        bool drawing = true;
        int counter = 0;
        double previous_y = NAN;
        for (const Span& s : order_spans(rows, row_y)) {
            if (group > 1) {
                if (s.y != previous_y) ++counter;
                previous_y = s.y;
                if (!drawing) {
                    if (counter >= gap) {
                        counter = 0;
                        drawing = true;
                    }
                    continue;
                }
            }
            double x1 = s.xa, y1 = s.y, x2 = s.xb, y2 = s.y;
            if (a != 0.0) {
                rotate(x1, y1, ca, -sa);
                rotate(x2, y2, ca, -sa);
            }
            line_move(ctx, x1 + ctx.page.origin_x, y1 + ctx.page.origin_y);
            line_draw(ctx, x2 + ctx.page.origin_x, y2 + ctx.page.origin_y);
            if (group > 1 && counter >= group) {
                counter = 0;
                drawing = false;
            }
        }
    }
    line_flush(ctx);
    // The caller's line style is back, with its phase.
    restore_dash(ctx.line, saved);
}

void fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    if (n < 1 || !ctx.out.driver) return;
    const PageState& p = ctx.page;
    // Under shields even solid fills are lines, which the shields cut.
    bool inside = solid_pattern(ctx.colour) && !(shields_exist(ctx.shields) && shields_active(ctx));
    // Small polygons (symbols) stay on the stack.
    constexpr int SMALL = 64;
    double small_x[SMALL], small_y[SMALL];
    std::vector<double> big_x, big_y;
    double *ax = small_x, *ay = small_y;
    if (n > SMALL) {
        try {
            big_x.resize(size_t(n));
            big_y.resize(size_t(n));
        } catch (const std::bad_alloc&) {
            warn(ctx, 53);
            return;
        }
        ax = big_x.data();
        ay = big_y.data();
    }
    for (int i = 0; i < n; ++i) {
        ax[i] = x[i] + p.origin_x;
        ay[i] = y[i] + p.origin_y;
        const int* w = ctx.out.clip;
        inside = inside && ax[i] >= w[0] && ax[i] <= w[2] && ay[i] >= w[1] && ay[i] <= w[3];
    }
    if (inside) {
        line_flush(ctx);
        ctx.out.pen_valid = false;
        if (ctx.out.driver->fill_polygon(ctx, n, ax, ay)) return;
    }
    pattern_fill(ctx, n, x, y);
}

}  // namespace kal

namespace kal {

void solid_fill_lines(Context& ctx, int n, const double* x, const double* y) {
    const int previous = ctx.colour.pattern_number;
    select_pattern(ctx, 16);
    pattern_fill(ctx, n, x, y);
    select_pattern(ctx, previous);
}

}  // namespace kal
