// Colour axis systems: graf3 with its colour bar, the separate colour-bar
// axes zaxis and zaxlg, and the colour plots crvmat, curve3, curvx3 and
// curvy3.
#include <algorithm>
#include <cmath>
#include <functional>

#include "api/routines_3_d_axis_systems.h"
#include "api/routines_axis_systems.h"
#include "colour3d/colour.h"
#include "core/context.h"
#include "plot2d/plot_options.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/axis_draw.h"
#include "plot2d/curves.h"
#include "plot3d/axes3d.h"

namespace kal {
namespace {

int bar_unit(const Context& ctx) {
    const double u = ctx.page.units > 0 ? ctx.page.units : 1.0;
    return int(std::lround(85 / u));
}

int bar_width(const Context& ctx) { return ctx.view3d.bar_width >= 0 ? ctx.view3d.bar_width : bar_unit(ctx); }

// The colour steps of a bar of `length` units from (x, y) (its lower left
// corner, page coordinates without the origin) upwards (direction 0) or to
// the right (1), `width` wide: step k of `count` covers the units from
// round(k L / count) to one before the next, in colour(k). Each rectangle
// reaches one unit into the next, which covers it: renderers that smooth
// edges leave no light seam between two rectangles that merely touch.
void bar_steps(Context& ctx, double x, double y, int length, int width, int direction, int count,
               const std::function<int(int)>& colour) {
    if (width <= 0 || count <= 0) return;
    const int previous = ctx.out.current_colour;
    for (int k = 0; k < count; ++k) {
        const long b0 = std::lround(double(k) * length / count), next = std::lround(double(k + 1) * length / count);
        if (next - 1 < b0) continue;
        const long b1 = k + 1 < count ? next : next - 1;
        if (direction == 0)
            fill_rect(ctx, x, y - b1, x + width - 1, y - b0, colour(k));
        else
            fill_rect(ctx, x + b0, y - width + 1, x + b1, y, colour(k));
    }
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

int range_colour(const Context& ctx, int k) {
    const ColourState& c = ctx.colour;
    return c.range_first <= c.range_last ? c.range_first + k : c.range_first - k;
}

int range_count(const Context& ctx) { return std::abs(ctx.colour.range_last - ctx.colour.range_first) + 1; }

// A colour bar with its axis; the caller has checked the axis.
void colour_bar(Context& ctx, bool log, double a, double e, double first, double step, int length, const char* name,
                int side_flag, int direction, double x, double y, const std::function<int(int)>& colour) {
    const int width = bar_width(ctx);
    bar_steps(ctx, x, y, length, width, direction, range_count(ctx), colour);
    // The axis along the bar's edge on the side of the labels.
    double ax = x, ay = y;
    if (direction == 0 && side_flag != 0) ax = x + width - 1;
    if (direction == 1 && side_flag != 0) ay = y - width + 1;
    const int ny = clamp_int(std::lround(ctx.page.page_origin == 1 ? ctx.page.height - ay : ay));
    separate_axis(ctx, direction == 0 ? AXIS_Y : AXIS_X, AXIS_Z, log, a, e, first, step, length, name, side_flag,
                  clamp_int(std::lround(ax)), ny, false);
}

void z_axis(Context& ctx, bool log, float a, float e, float first, float step, int length, const char* name,
            int side_flag, int direction, int nx, int ny) {
    if (direction != 0 && direction != 1) {
        warn_int(ctx, 2, direction);
        return;
    }
    if (length < 2) {
        warn_int(ctx, 11, length);
        return;
    }
    if (nx < 0) {
        warn_int(ctx, 4, nx);
        return;
    }
    if (ny < 0) {
        warn_int(ctx, 5, ny);
        return;
    }
    if (!check_axis(ctx, a, e, first, step)) return;
    const double y = ctx.page.page_origin == 1 ? ctx.page.height - double(ny) : double(ny);
    colour_bar(ctx, log, a, e, first, step, length, name, side_flag, direction, nx, y,
               [&](int k) { return range_colour(ctx, k); });
}

// Axis units of a value (log10 on a log axis).
double axis_units(const AxisScale& s, double v) { return s.log ? std::log10(v) : v; }

double px_of(const AxisScale& s, double u) { return s.start + (u - s.a) * s.factor; }
double py_of(const AxisScale& s, double u) { return s.start - (u - s.a) * s.factor; }

// Plot boundaries of the k-th part of `parts` from u0 to u1 (axis units).
long boundary(const AxisScale& s, bool x, double u0, double u1, long k, long parts) {
    const double u = u0 + (u1 - u0) * double(k) / double(parts);
    return std::lround(x ? px_of(s, u) : py_of(s, u));
}

// Coloured points: a filled rectangle of the setres size (RECT) or the
// current symbol (SYMB) in the colour of z.
void colour_points(Context& ctx, const std::function<double(int)>& x, const std::function<double(int)>& y,
                   const float* z, int n) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    if (!need_graf3(ctx)) return;
    const AxisState& a = ctx.axes;
    const int previous = ctx.out.current_colour;
    double w, h;   // setres, autres or the symbol size
    colour_point_size(ctx, w, h);
    const double hw = w / 2.0, hh = h / 2.0;
    bool skipped = false;
    for (int i = 0; i < n; ++i) {
        const double xi = x(i), yi = y(i), zi = z[i];
        if (!on_axis(a.x, xi) || !on_axis(a.y, yi) || !on_axis(a.z, zi)) {
            skipped = true;
            continue;
        }
        const PlotPoint p = frame_to_plot(ctx, xi, yi);
        const int colour = colour_index(ctx, zi);
        if (ctx.view3d.curve_symbols) {
            if (ctx.out.current_colour != colour) set_colour(ctx, colour);
            plot_symbol(ctx, ctx.curves.marker, p.x, p.y);
        } else {
            fill_rect(ctx, std::round(p.x - hw), std::round(p.y - hh), std::round(p.x + hw),
                      std::round(p.y + hh), colour);
        }
    }
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
    if (skipped) warn_text(ctx, 2, "points not on the axes left out");
}

}  // namespace

void graf3(Context& ctx, float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep,
           float za, float ze, float zorg, float zstep) {
    end_plane(ctx);
    AxisState& s = ctx.axes;
    View3dState& v = ctx.view3d;
    const int bar_length = v.bar_length > 0 ? v.bar_length : s.axis[AXIS_Y].length;
    AxisScale z;
    if (!scale_axis(ctx, AXIS_Z, za, ze, zorg, zstep, bar_length, 0, z)) return;
    kal::graf(ctx, xa, xe, xorg, xstep, ya, ye, yorg, ystep);
    if (ctx.frame.level != 2) return;
    s.z = z;
    ctx.frame.level = 3;
    const ScaleLimitsState& l = ctx.limits;
    if (l.z_given && (!z.log || (l.zmin > 0 && l.zmax > 0)))
        set_colour_scale(ctx, axis_units(z, l.zmin), axis_units(z, l.zmax), z.log, true, l.zmin, l.zmax);
    else
        set_colour_scale(ctx, z.a, z.e, z.log, false, 0, 0);
    if (!v.bar || s.no_draw) return;
    const int gap = bar_unit(ctx);
    const double x = s.x.start + s.x.length + gap + v.bar_shift_x;
    const double y = s.y.start - v.bar_shift_y;
    const int count = range_count(ctx);
    // Each step in the colour of the z value at its middle.
    colour_bar(ctx, z.log, z.a, z.e, z.first, z.step, bar_length, nullptr, 1, 0, x, y, [&](int k) {
        const double u = z.a + (z.e - z.a) * (k + 0.5) / count;
        return colour_index(ctx, z.log ? std::pow(10.0, u) : u);
    });
}

void zaxis(Context& ctx, float a, float e, float first, float step, int length, const char* name, int side,
           int direction, int nx, int ny) {
    z_axis(ctx, false, a, e, first, step, length, name, side, direction, nx, ny);
}

void zaxlg(Context& ctx, float a, float e, float first, float step, int length, const char* name, int side,
           int direction, int nx, int ny) {
    z_axis(ctx, true, a, e, first, step, length, name, side, direction, nx, ny);
}

void crvmat(Context& ctx, const float* zmat, int n, int m, int ixpts, int iypts) {
    if (n < 2 || m < 2) {
        warn_int(ctx, 2, n < 2 ? n : m);
        return;
    }
    if (ixpts < 1 || iypts < 1) {
        warn_int(ctx, 2, ixpts < 1 ? ixpts : iypts);
        return;
    }
    if (!need_graf3(ctx)) return;
    const AxisState& a = ctx.axes;
    const ScaleLimitsState& l = ctx.limits;
    double x0 = a.x.a, x1 = a.x.e, y0 = a.y.a, y1 = a.y.e;
    if (l.area_given) {
        if (!on_axis(a.x, l.xmin) || !on_axis(a.x, l.xmax) || !on_axis(a.y, l.ymin) || !on_axis(a.y, l.ymax)) {
            warn_text(ctx, 2, "sursze limits not on the axes");
            return;
        }
        x0 = axis_units(a.x, l.xmin);
        x1 = axis_units(a.x, l.xmax);
        y0 = axis_units(a.y, l.ymin);
        y1 = axis_units(a.y, l.ymax);
    }
    const long cols = long(n - 1) * ixpts, rows = long(m - 1) * iypts;
    if (cols * rows > 100000000L) {
        warn(ctx, 53);
        return;
    }
    line_flush(ctx);
    const int previous = ctx.out.current_colour;
    long bx0 = boundary(a.x, true, x0, x1, 0, cols);
    for (long p = 0; p < cols; ++p) {
        const long bx1 = boundary(a.x, true, x0, x1, p + 1, cols);
        const long i = p / ixpts;
        const double s = (double(p % ixpts) + 0.5) / ixpts;
        long by0 = boundary(a.y, false, y0, y1, 0, rows);
        for (long q = 0; q < rows; ++q) {
            const long by1 = boundary(a.y, false, y0, y1, q + 1, rows);
            const long j = q / iypts;
            const double t = (double(q % iypts) + 0.5) / iypts;
            const double z00 = zmat[i * m + j], z10 = zmat[(i + 1) * m + j];
            const double z01 = zmat[i * m + j + 1], z11 = zmat[(i + 1) * m + j + 1];
            const double v = (1 - s) * (1 - t) * z00 + s * (1 - t) * z10 + (1 - s) * t * z01 + s * t * z11;
            // As the bar's steps: one unit into the next rectangle, which covers it.
            const long xa = std::min(bx0, bx1), xe = std::max(bx0, bx1) - (p + 1 < cols ? 0 : 1);
            const long ya = std::min(by0, by1), ye = std::max(by0, by1) - (q + 1 < rows ? 0 : 1);
            if (std::max(bx0, bx1) - 1 >= xa && std::max(by0, by1) - 1 >= ya && std::isfinite(v) && (!a.z.log || v > 0))
                fill_rect(ctx, double(xa), double(ya), double(xe), double(ye), colour_index(ctx, v));
            by0 = by1;
        }
        bx0 = bx1;
    }
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

void curve3(Context& ctx, const float* x, const float* y, const float* z, int n) {
    colour_points(ctx, [&](int i) { return double(x[i]); }, [&](int i) { return double(y[i]); }, z, n);
}

void curvx3(Context& ctx, const float* x, float y, const float* z, int n) {
    colour_points(ctx, [&](int i) { return double(x[i]); }, [&](int) { return double(y); }, z, n);
}

void curvy3(Context& ctx, float x, const float* y, const float* z, int n) {
    colour_points(ctx, [&](int) { return double(x); }, [&](int i) { return double(y[i]); }, z, n);
}

}  // namespace kal
