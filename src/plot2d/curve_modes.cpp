// The interpolation modes. The points are already in plot coordinates;
// since each axis maps its values linearly (exponents on logarithmic axes),
// the step halves and bar widths are taken there too: on a logarithmic
// axis a step changes at the geometric mean of its neighbours.
#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "plot2d/axis_system.h"
#include "plot2d/curve_modes.h"
#include "plot2d/curves.h"

namespace kal {
namespace {

void line_mode(const CurvePoints& p, CurvePath& path) {
    const size_t n = p.px.size();
    path.move(p.px[0], p.py[0]);
    for (size_t i = 1; i < n; ++i) path.add(p.px[i], p.py[i], p.gap[i - 1] ? 3 : 2);
}

// Every point the centre of a horizontal step.
void step_mode(const CurvePoints& p, CurvePath& path) {
    const size_t n = p.px.size();
    auto half = [&](size_t i) { return (p.px[i + 1] - p.px[i]) / 2; };
    path.move(p.px[0] - half(0), p.py[0]);
    path.draw(p.px[0], p.py[0]);
    for (size_t i = 0; i + 1 < n; ++i) {
        const double xm = p.px[i] + half(i);
        if (p.gap[i]) {
            path.draw(xm, p.py[i]);
            path.move(p.px[i + 1] - half(i), p.py[i + 1]);
            path.draw(p.px[i + 1], p.py[i + 1]);
            continue;
        }
        path.draw(xm, p.py[i]);
        path.draw(xm, p.py[i + 1]);
        path.draw(p.px[i + 1], p.py[i + 1]);
    }
    path.draw(p.px[n - 1] + half(n - 2), p.py[n - 1]);
}

void stair_mode(const CurvePoints& p, CurvePath& path) {
    const size_t n = p.px.size();
    path.move(p.px[0], p.py[0]);
    for (size_t i = 1; i < n; ++i) {
        if (p.gap[i - 1]) {
            path.move(p.px[i], p.py[i]);
            continue;
        }
        path.draw(p.px[i], p.py[i - 1]);
        path.draw(p.px[i], p.py[i]);
    }
}

// The foot of stems and bars: user y = 0 (the lower edge on a logarithmic
// axis), the centre in a polar system.
void foot(const Context& ctx, const CurvePoints& p, double x, double& fx, double& fy) {
    if (p.polar) {
        fx = ctx.axes.polar_cx;
        fy = ctx.axes.polar_cy;
        return;
    }
    fx = x;
    fy = ctx.axes.y.log ? ctx.axes.y.start : y_plot(ctx, 0);
}

void stem_mode(const Context& ctx, const CurvePoints& p, CurvePath& path) {
    for (size_t i = 0; i < p.px.size(); ++i) {
        double fx, fy;
        foot(ctx, p, p.px[i], fx, fy);
        path.move(fx, fy);
        path.draw(p.px[i], p.py[i]);
    }
}

void add_polygon(CurvePath& path, bool fill, const std::vector<double>& xs, const std::vector<double>& ys) {
    path.move(xs[0], ys[0]);
    for (size_t k = 1; k < xs.size(); ++k) path.draw(xs[k], ys[k]);
    path.draw(xs[0], ys[0]);
    if (fill) {
        path.fill_x.push_back(xs);
        path.fill_y.push_back(ys);
    }
}

// Polar bars: sectors from the centre, as wide in angle as a Cartesian bar
// is in x (the angle step times the width factor, or |w| plot units at the
// bar's radius).
void polar_bars(const Context& ctx, const CurvePoints& p, bool fill, CurvePath& path) {
    const double w = ctx.curves.bar_width;
    const size_t n = p.px.size();
    for (size_t i = 0; i < n; ++i) {
        const double r = p.ux[i], a = p.uy[i];
        double h;
        if (w > 0)
            h = n > 1 ? std::fabs(p.uy[1] - p.uy[0]) * w / 2 : 0;
        else
            h = r != 0 ? std::fabs(w) / 2 / (std::fabs(r) * ctx.axes.polar_factor) : 0;
        // Limited before the conversion: a huge width is a whole circle.
        const int steps = int(std::max(1.0, std::min(360.0, std::ceil(2 * h / (M_PI / 90)))));
        std::vector<double> xs{ctx.axes.polar_cx}, ys{ctx.axes.polar_cy};
        for (int k = 0; k <= steps; ++k) {
            double x, y;
            polar_plot(ctx, r, a - h + 2 * h * k / steps, x, y);
            xs.push_back(x);
            ys.push_back(y);
        }
        add_polygon(path, fill, xs, ys);
    }
}

void bar_mode(const Context& ctx, const CurvePoints& p, bool fill, CurvePath& path) {
    if (p.polar) {
        polar_bars(ctx, p, fill, path);
        return;
    }
    const double w = ctx.curves.bar_width;
    const size_t n = p.px.size();
    const double h = w > 0 ? (n > 1 ? std::fabs(p.px[1] - p.px[0]) * w / 2 : 0) : std::fabs(w) / 2;
    const double bottom = ctx.axes.y.start;
    for (size_t i = 0; i < n; ++i) {
        const double x1 = p.px[i] - h, x2 = p.px[i] + h;
        add_polygon(path, fill, {x1, x2, x2, x1}, {bottom, bottom, p.py[i], p.py[i]});
    }
}

}  // namespace

void build_curve_path(const Context& ctx, int mode, const CurvePoints& p, CurvePath& path) {
    switch (mode) {
    case MODE_STEP: step_mode(p, path); break;
    case MODE_STAI: stair_mode(p, path); break;
    case MODE_STEM: stem_mode(ctx, p, path); break;
    case MODE_BARS: bar_mode(ctx, p, false, path); break;
    case MODE_FBAR: bar_mode(ctx, p, true, path); break;
    default: line_mode(p, path); break;
    }
}

}  // namespace kal
