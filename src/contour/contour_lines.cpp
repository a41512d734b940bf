// Contour lines on grids: contur, conpts, conmat, concrv; and the checks
// and sinks the contour routines share.
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_contouring.h"
#include "contour/contour_input.h"
#include "core/context.h"
#include "plot2d/axis_system.h"

namespace kal {

bool coordinates_ok(Context& ctx, const float* x, long long n, const float* y, long long m) {
    if (!all_finite(x, n) || !all_finite(y, m)) {
        warn_text(ctx, 2, "value not finite");
        return false;
    }
    if (ctx.frame.level < 2 || !active_mapping(ctx).per_axis) return true;
    bool ok = true;
    if (ctx.axes.x.log)
        for (long long i = 0; i < n && ok; ++i) ok = x[i] > 0;
    if (ctx.axes.y.log)
        for (long long j = 0; j < m && ok; ++j) ok = y[j] > 0;
    if (!ok) warn(ctx, 27);
    return ok;
}

bool levels_ok(Context& ctx, const float* levels, int n) {
    if (all_finite(levels, n)) return true;
    warn_text(ctx, 2, "level not finite");
    return false;
}

bool grid_ok(Context& ctx, const float* x, int n, const float* y, int m, const float* levels, int nlev) {
    if (n < 1 || m < 1) {
        warn_int(ctx, 2, n < 1 ? n : m);
        return false;
    }
    return coordinates_ok(ctx, x, n, y, m) && levels_ok(ctx, levels, nlev);
}

PlotSink::PlotSink(Context& ctx, LineWriter& writer, double level)
    : ctx_(ctx), writer_(writer), level_(level), linear_(linear_map(ctx, map_)) {}

void PlotSink::point(double x, double y) {
    const PlotPoint p = linear_ ? map_(x, y) : user_to_plot(ctx_, x, y, level_);
    if (std::isfinite(p.x) && std::isfinite(p.y)) writer_.add(p.x, p.y);
}

ArraySink::ArraySink(Context& ctx, float* x, float* y, int maxpts, int* npts, int maxray)
    : ctx_(ctx), x_(x), y_(y), maxpts_(maxpts), npts_(npts), maxray_(maxray) {}

void ArraySink::begin_line() {
    if (lines_ == maxray_) {
        if (!warned_lines_) custom_warning(ctx_, 101, "Overflow - Too many contour lines");
        warned_lines_ = true;
        return;
    }
    npts_[lines_++] = 0;
}

void ArraySink::point(double x, double y) {
    if (points_ == maxpts_) {
        if (!warned_points_) custom_warning(ctx_, 101, "Overflow - Too many contour points");
        warned_points_ = true;
        return;
    }
    x_[points_] = static_cast<float>(x);
    y_[points_] = static_cast<float>(y);
    ++points_;
    ++npts_[lines_ - 1];
}

namespace {

// Traces one level of a grid and draws it.
void draw_grid_level(Context& ctx, const float* x, int n, const float* y, int m, const float* z, double level) {
    try {
        LineWriter writer(ctx, level);
        PlotSink sink(ctx, writer, level);
        if (!trace_grid(x, n, y, m, z, level, sink)) {
            warn(ctx, 53);
            return;
        }
        writer.draw();
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

// The grid of a matrix: n points spread evenly from a to e, powers of ten
// of the exponents on a logarithmic axis.
std::vector<float> spread(int n, double a, double e, bool log) {
    std::vector<float> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = a + (e - a) * i / (n - 1);
        v[size_t(i)] = static_cast<float>(log ? std::pow(10.0, t) : t);
    }
    return v;
}

}  // namespace

void contur(Context& ctx, const float* x, int n, const float* y, int m, const float* z, float zlev) {
    if (!grid_ok(ctx, x, n, y, m, &zlev, 1)) return;
    draw_grid_level(ctx, x, n, y, m, z, zlev);
}

void conpts(Context& ctx, const float* x, int n, const float* y, int m, const float* z, float zlev, float* xray,
            float* yray, int maxpts, int* nray, int maxray, int* nlins) {
    *nlins = 0;
    if (maxpts < 1 || maxray < 1) {
        warn_int(ctx, 2, maxpts < 1 ? maxpts : maxray);
        return;
    }
    if (n < 1 || m < 1) {
        warn_int(ctx, 2, n < 1 ? n : m);
        return;
    }
    if (!all_finite(x, n) || !all_finite(y, m)) {
        warn_text(ctx, 2, "value not finite");
        return;
    }
    if (!levels_ok(ctx, &zlev, 1)) return;
    ArraySink sink(ctx, xray, yray, maxpts, nray, maxray);
    if (!trace_grid(x, n, y, m, z, zlev, sink)) {
        warn(ctx, 53);
        return;
    }
    *nlins = sink.lines();
}

void conmat(Context& ctx, const float* z, int n, int m, float zlev) {
    if (n < 2 || m < 2) {
        warn_int(ctx, 2, n < 2 ? n : m);
        return;
    }
    if (!levels_ok(ctx, &zlev, 1)) return;
    const AxisScale &ax = ctx.axes.x, &ay = ctx.axes.y;
    const ScaleLimitsState& s = ctx.limits;
    double xa = ax.a, xe = ax.e, ya = ay.a, ye = ay.e;
    if (s.area_given) {
        const auto axis_value = [](double v, bool log) { return log ? std::log10(v) : v; };
        if ((ax.log && !(s.xmin > 0 && s.xmax > 0)) || (ay.log && !(s.ymin > 0 && s.ymax > 0))) {
            warn(ctx, 27);
            return;
        }
        xa = axis_value(s.xmin, ax.log);
        xe = axis_value(s.xmax, ax.log);
        ya = axis_value(s.ymin, ay.log);
        ye = axis_value(s.ymax, ay.log);
    }
    try {
        const std::vector<float> x = spread(n, xa, xe, ax.log), y = spread(m, ya, ye, ay.log);
        if (!coordinates_ok(ctx, x.data(), n, y.data(), m)) return;
        draw_grid_level(ctx, x.data(), n, y.data(), m, z, zlev);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void concrv(Context& ctx, const float* x, const float* y, int n, float zlev) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    if (!levels_ok(ctx, &zlev, 1) || !coordinates_ok(ctx, x, n, y, n)) return;
    try {
        LineWriter writer(ctx, zlev);
        PlotSink sink(ctx, writer, zlev);
        sink.begin_line();
        for (int i = 0; i < n; ++i) sink.point(x[i], y[i]);
        sink.end_line();
        writer.draw();
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

}  // namespace kal
