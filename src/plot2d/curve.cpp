// curve: checks the data, converts it to plot coordinates, draws the lines
// of the interpolation mode in thkcrv copies and marks the points.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "api/routines_curves_error_bars_and_splines.h"
#include "colour3d/colour.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/axis_system.h"
#include "plot2d/coordinate_stage.h"
#include "plot2d/curve_modes.h"
#include "plot2d/curves.h"
#include "plot2d/spline.h"
#include "util/array_scan.h"

namespace kal {
namespace {

bool polar_mode_allowed(int mode) {
    return mode == MODE_LINE || mode == MODE_BARS || mode == MODE_STEM || mode == MODE_FBAR;
}

// The smallest and largest values of a curve's data, in one pass.
struct DataRange {
    float xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
    bool nan = false;
    bool finite() const { return !nan && xmin > -INFINITY && xmax < INFINITY && ymin > -INFINITY && ymax < INFINITY; }
};

DataRange data_range(const float* x, const float* y, int n) {
    const FloatBounds b = float_bounds(x, y, n);
    return {b.xmin, b.xmax, b.ymin, b.ymax, b.nan};
}

// Warning 27 when a logarithmic axis gets a non-positive value (the data
// holds finite values only).
bool data_usable(Context& ctx, const float* x, const float* y, int n, const DataRange& r) {
    const bool per_axis = active_mapping(ctx).per_axis;
    const bool xlog = per_axis && ctx.axes.x.log, ylog = per_axis && ctx.axes.y.log;
    if ((!xlog || r.xmin > 0) && (!ylog || r.ymin > 0)) return true;
    for (int i = 0; i < n; ++i) {
        if ((xlog && !(x[i] > 0)) || (ylog && !(y[i] > 0))) {
            warn(ctx, 27);
            return false;
        }
    }
    return true;
}

// The finite points of a curve that holds non-finite ones: where one or
// more points were left out the line breaks (broken[k]: no line from point
// k to k + 1), and index[k] is the point's number in the caller's arrays.
struct FinitePoints {
    std::vector<float> x, y;
    std::vector<int> index;
    std::vector<char> broken;
    int skipped = 0;
};

void finite_points(const float* x, const float* y, int n, FinitePoints& f) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            ++f.skipped;
            if (!f.broken.empty()) f.broken.back() = 1;
            continue;
        }
        f.x.push_back(x[i]);
        f.y.push_back(y[i]);
        f.index.push_back(i);
        f.broken.push_back(0);
    }
}

void convert(const Context& ctx, const float* x, const float* y, int n, CurvePoints& p) {
    const CurveState& c = ctx.curves;
    p.polar = polar_system(ctx);
    p.px.resize(size_t(n));
    p.py.resize(size_t(n));
    p.ux.assign(x, x + n);
    p.uy.assign(y, y + n);
    p.gap.assign(size_t(n), 0);
    LinearMap map;
    const bool linear = linear_map(ctx, map);
    for (int i = 0; i < n; ++i) {
        const PlotPoint q = linear ? map(x[i], y[i]) : user_to_plot(ctx, x[i], y[i]);
        p.px[size_t(i)] = q.x;
        p.py[size_t(i)] = q.y;
        if (c.gap_on && i + 1 < n && double(x[i + 1]) - x[i] > c.gap) p.gap[size_t(i)] = 1;
    }
}

// SPLI and PSPL: the sampled spline, computed in axis units (exponents on
// logarithmic axes), as the points of a LINE path.
bool spline_points(Context& ctx, const CurvePoints& p, CurvePoints& out) {
    const CurveState& c = ctx.curves;
    const size_t n = p.ux.size();
    std::vector<double> ax(n), ay(n), sx, sy;
    for (size_t i = 0; i < n; ++i) {
        ax[i] = ctx.axes.x.log ? std::log10(p.ux[i]) : p.ux[i];
        ay[i] = ctx.axes.y.log ? std::log10(p.uy[i]) : p.uy[i];
    }
    if (!interpolate_spline(ctx, ax.data(), ay.data(), int(n), c.mode == MODE_PSPL,
                            c.spline_order, c.spline_points, sx, sy))
        return false;
    out.px.resize(sx.size());
    out.py.resize(sx.size());
    out.gap.assign(sx.size(), 0);
    for (size_t i = 0; i < sx.size(); ++i) {
        const PlotPoint q = user_to_plot(ctx, ctx.axes.x.log ? std::pow(10.0, sx[i]) : sx[i],
                                         ctx.axes.y.log ? std::pow(10.0, sy[i]) : sy[i]);
        out.px[i] = q.x;
        out.py[i] = q.y;
    }
    return true;
}

// Copy j (1..k) of a thick curve lies j/2 (even j) or -(j - 1)/2 (odd j)
// plot units to the side of the line.
double copy_offset(int j) { return j % 2 == 0 ? j / 2 : -(j - 1) / 2; }

void fill_bars(Context& ctx, const CurvePath& path) {
    const int previous = ctx.colour.pattern_number;
    select_pattern(ctx, 16);
    for (size_t i = 0; i < path.fill_x.size(); ++i) {
        std::vector<double> xs = path.fill_x[i], ys = path.fill_y[i];
        fill_polygon(ctx, int(xs.size()), xs.data(), ys.data());
    }
    select_pattern(ctx, previous);
}

}  // namespace

void draw_curve_lines(Context& ctx, const CurvePath& path, int thickness) {
    if (!path.fill_x.empty()) fill_bars(ctx, path);
    const SavedPattern start = save_pattern(ctx);
    for (int j = 1; j <= thickness; ++j) {
        restore_pattern(ctx, start);
        ctx.line.offset = copy_offset(j) / ctx.page.units;
        draw_path(ctx, path);
    }
    ctx.line.offset = 0;
    ctx.line.offset_move_pending = false;
}

namespace {

// Symbols at the points 1, 1 + m, 1 + 2m, ... of the caller's arrays;
// `index` gives the numbers of the points when non-finite ones were left out.
void draw_symbols(Context& ctx, const CurvePoints& p, const std::vector<int>& index) {
    const CurveState& c = ctx.curves;
    const long long step = std::llabs(static_cast<long long>(c.marker_step));
    if (index.empty()) {
        for (size_t i = 0; i < p.px.size(); i += size_t(step)) plot_symbol(ctx, c.marker, p.px[i], p.py[i]);
        return;
    }
    for (size_t i = 0; i < p.px.size(); ++i)
        if (index[i] % step == 0) plot_symbol(ctx, c.marker, p.px[i], p.py[i]);
}

// The path of a curve whose points break where non-finite values were:
// each run of points is drawn as a curve of its own (a spline through each
// run of at least 3 points, the others straight); a run of one point has
// no line. Stems and bars just leave the points out.
bool broken_path(Context& ctx, const CurvePoints& points, CurvePath& path) {
    const CurveState& c = ctx.curves;
    if (c.mode == MODE_STEM || c.mode == MODE_BARS || c.mode == MODE_FBAR) {
        build_curve_path(ctx, c.mode, points, path);  // one shape per point: nothing to break
        return true;
    }
    const bool spline = c.mode == MODE_SPLI || c.mode == MODE_PSPL;
    const size_t n = points.px.size();
    for (size_t first = 0; first < n;) {
        size_t last = first;
        while (last + 1 < n && !(points.gap[last] & 2)) ++last;
        CurvePoints run;
        run.polar = points.polar;
        auto part = [&](const auto& v) { return std::vector(v.begin() + long(first), v.begin() + long(last) + 1); };
        run.px = part(points.px);
        run.py = part(points.py);
        run.ux = part(points.ux);
        run.uy = part(points.uy);
        run.gap = part(points.gap);
        run.gap.back() = 0;
        const size_t m = last - first + 1;
        if (spline && m >= 3) {
            CurvePoints sampled;
            if (!spline_points(ctx, run, sampled)) return false;
            build_curve_path(ctx, MODE_LINE, sampled, path);
        } else if (m >= 2) {
            build_curve_path(ctx, spline ? MODE_LINE : c.mode, run, path);
        }
        first = last + 1;
    }
    return true;
}

// A curve that is one polyline through its points: straight lines, no
// gaps, one copy, no markers, per-axis scales. When the line layer hands
// its lines to the device as they are, draw_plain_line draws it in pieces
// that join as one line would.
bool plain_line(const Context& ctx) {
    const CurveState& c = ctx.curves;
    return c.mode == MODE_LINE && !c.gap_on && c.thickness == 1 && c.marker_step == 0 &&
           active_mapping(ctx).per_axis;
}

// The points converted by `to_plot` a piece at a time, each piece going on
// from the last point of the one before (a loop without branches, which
// the compiler turns into vector instructions for the linear map).
template <class ToPlot>
void draw_plain_pieces(Context& ctx, const float* x, const float* y, int n, ToPlot to_plot) {
    constexpr int PIECE = 1024;
    double px[PIECE + 1], py[PIECE + 1];
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    int m = 0;  // points already in the piece
    for (int start = 0; start < n;) {
        const int count = std::min(PIECE + 1 - m, n - start);
        for (int k = 0; k < count; ++k) {
            const PlotPoint q = to_plot(x[start + k], y[start + k]);
            px[m + k] = q.x + ox;
            py[m + k] = q.y + oy;
        }
        m += count;
        start += count;
        line_polyline(ctx, m, px, py);
        px[0] = px[m - 1];
        py[0] = py[m - 1];
        m = 1;
    }
}

// The stage's linear map is asked once and applied inline.
void draw_plain_line(Context& ctx, const float* x, const float* y, int n) {
    ctx.line.offset = 0;
    ctx.line.offset_move_pending = false;
    LinearMap map;
    if (linear_map(ctx, map))
        draw_plain_pieces(ctx, x, y, n, map);
    else
        draw_plain_pieces(ctx, x, y, n, [&ctx](double u, double v) { return user_to_plot(ctx, u, v); });
}

}  // namespace

void draw_path(Context& ctx, const CurvePath& path) {
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    std::vector<double> px, py;
    auto write = [&] {
        if (!px.empty()) line_polyline(ctx, int(px.size()), px.data(), py.data());
        px.clear();
        py.clear();
    };
    for (size_t i = 0; i < path.x.size(); ++i) {
        if (path.pen[i] == 3) write();
        px.push_back(path.x[i] + ox);
        py.push_back(path.y[i] + oy);
    }
    write();
}

void curve(Context& ctx, const float* x, const float* y, int n) {
    CurveState& c = ctx.curves;
    if (n < 1 || (n == 1 && c.marker_step >= 0)) {
        warn_int(ctx, 2, n);
        return;
    }
    if (polar_system(ctx) && !polar_mode_allowed(c.mode)) {
        custom_warning(ctx, 101, "Bad interpolation method for polar scaling");
        return;
    }
    DataRange range = data_range(x, y, n);
    FinitePoints kept;
    if (!range.finite()) {
        // Non-finite points (NaN for missing values) are left out as gaps.
        finite_points(x, y, n, kept);
        std::snprintf(ctx.frame.message, sizeof ctx.frame.message, "Points not finite, left as gaps");
        warn_int(ctx, 101, kept.skipped);
        if (kept.x.empty()) return;
        x = kept.x.data();
        y = kept.y.data();
        n = int(kept.x.size());
        range = data_range(x, y, n);
    }
    const bool broken = kept.skipped > 0;
    // neglog: values at or below zero sit at eps on a logarithmic axis.
    std::vector<float> raised_x, raised_y;
    const bool per_axis = active_mapping(ctx).per_axis;
    const float eps = float(ctx.options.neg_log);
    const auto raise = [&](const float*& v, bool log, float vmin, std::vector<float>& copy) {
        if (!(eps > 0) || !per_axis || !log || vmin > 0) return;
        copy.assign(v, v + n);
        for (float& e : copy) e = e > 0 ? e : eps;
        v = copy.data();
    };
    raise(x, ctx.axes.x.log, range.xmin, raised_x);
    raise(y, ctx.axes.y.log, range.ymin, raised_y);
    if (!raised_x.empty() || !raised_y.empty()) range = data_range(x, y, n);
    if (!data_usable(ctx, x, y, n, range)) return;
    const AxisScale &ax = ctx.axes.x, &ay = ctx.axes.y;
    const bool all_inside = range.xmin >= ax.umin && range.xmax <= ax.umax && range.ymin >= ay.umin &&
                            range.ymax <= ay.umax;
    if (ctx.frame.checking_on && !all_inside) {
        for (int i = 0; i < n; ++i)
            if (!(x[i] >= ax.umin && x[i] <= ax.umax && y[i] >= ay.umin && y[i] <= ay.umax))
                outside_scaling(ctx, x[i], y[i]);
    }
    try {
        const bool plain = plain_line(ctx) && !broken;
        CurvePoints points, sampled;
        CurvePath path;
        if (!plain) convert(ctx, x, y, n, points);
        if (broken)
            for (int i = 0; i + 1 < n; ++i) points.gap[size_t(i)] |= char(kept.broken[size_t(i)] << 1);
        if (broken && c.marker_step >= 0) {
            if (!broken_path(ctx, points, path)) return;
        } else if (!plain && c.marker_step >= 0) {
            if (c.mode == MODE_SPLI || c.mode == MODE_PSPL) {
                if (!spline_points(ctx, points, sampled)) return;
                build_curve_path(ctx, MODE_LINE, sampled, path);
            } else {
                build_curve_path(ctx, c.mode, points, path);
            }
        }
        const CurveLook look = begin_curve_look(ctx);
        record_curve(ctx, current_record(ctx));
        const AxisMapping& mapping = active_mapping(ctx);
        if (mapping.polyline && c.mode == MODE_LINE && !c.gap_on && c.marker_step >= 0) {
            // A map: the line follows the projection's cuts, in thkcrv copies.
            const SavedPattern start = save_pattern(ctx);
            for (int j = 1; j <= c.thickness; ++j) {
                restore_pattern(ctx, start);
                ctx.line.offset = copy_offset(j) / ctx.page.units;
                // Each run between missing values is a line of its own.
                for (int start = 0, i = 0; i < n; ++i)
                    if (i + 1 == n || (broken && kept.broken[size_t(i)])) {
                        mapping.polyline(ctx, x + start, y + start, i + 1 - start);
                        start = i + 1;
                    }
            }
            ctx.line.offset = 0;
            ctx.line.offset_move_pending = false;
            if (c.marker_step != 0) {
                if (plain) convert(ctx, x, y, n, points);
                draw_symbols(ctx, points, kept.index);
            }
        } else if (plain && plain_lines(ctx)) {
            draw_plain_line(ctx, x, y, n);
        } else {
            if (plain) {  // the line style of the curve (chncrv) is not plain
                convert(ctx, x, y, n, points);
                build_curve_path(ctx, MODE_LINE, points, path);
            }
            if (c.marker_step >= 0) draw_curve_lines(ctx, path, c.thickness);
            if (c.marker_step != 0) draw_symbols(ctx, points, kept.index);
        }
        end_curve_look(ctx, look);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

}  // namespace kal
