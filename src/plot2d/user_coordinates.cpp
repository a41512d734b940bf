// The shared steps of the user-coordinate figure routines.
#include "plot2d/user_coordinates.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/line_layer.h"

namespace kal {

bool log_values_ok(Context& ctx, std::initializer_list<double> xs, std::initializer_list<double> ys) {
    bool ok = true;
    if (ctx.axes.x.log)
        for (double v : xs) ok = ok && v > 0;
    if (ctx.axes.y.log)
        for (double v : ys) ok = ok && v > 0;
    if (!ok) warn(ctx, 27);
    return ok;
}

bool log_values_ok(Context& ctx, const float* xs, const float* ys, int n) {
    bool ok = true;
    for (int i = 0; i < n && ok; ++i)
        ok = (!ctx.axes.x.log || xs[i] > 0) && (!ctx.axes.y.log || ys[i] > 0);
    if (!ok) warn(ctx, 27);
    return ok;
}

double plot_length(const Context& ctx, double x, double y, double r, bool vertical) {
    // Without per-axis scales (polar) the frame's x factor.
    if (!active_mapping(ctx).per_axis) return r * ctx.axes.x.factor;
    if (vertical) return std::fabs(y_plot(ctx, y + r) - y_plot(ctx, y));
    return std::fabs(x_plot(ctx, x + r) - x_plot(ctx, x));
}

int plot_int(double v) {
    return clamp_int(std::trunc(v + 0.5));
}

AxisWindow::AxisWindow(Context& ctx) : ctx_(ctx) {
    line_flush(ctx);
    int* w = ctx.out.clip;
    std::copy(w, w + 4, saved_);
    const AxisScale &x = ctx.axes.x, &y = ctx.axes.y;
    const int po_x = ctx.page.origin_x, po_y = ctx.page.origin_y;
    const int g = ctx.options.grace;  // grace: a margin around the axis area
    w[0] = std::max(w[0], clamp_int(std::floor(x.start + po_x) - g));
    w[2] = std::min(w[2], clamp_int(std::ceil(x.start + x.length - 1 + po_x) + g));
    w[1] = std::max(w[1], clamp_int(std::floor(y.start - (y.length - 1) + po_y) - g));
    w[3] = std::min(w[3], clamp_int(std::ceil(y.start + po_y) + g));
}

AxisWindow::~AxisWindow() {
    line_flush(ctx_);
    std::copy(saved_, saved_ + 4, ctx_.out.clip);
}

}  // namespace kal
