// Conversions between user coordinates of the open axis system and plot
// coordinates.
#include <cmath>

#include "core/context.h"
#include "plot2d/axis_system.h"

namespace kal {

namespace {
double to_axis(const AxisScale& s, double v) { return s.log ? std::log10(v) : v; }
double from_axis(const AxisScale& s, double u) { return s.log ? std::pow(10.0, u) : u; }
}  // namespace

double x_plot(const Context& ctx, double x) {
    const AxisScale& s = ctx.axes.x;
    return s.start + (to_axis(s, x) - s.a) * s.factor;
}

double y_plot(const Context& ctx, double y) {
    const AxisScale& s = ctx.axes.y;
    return s.start - (to_axis(s, y) - s.a) * s.factor;
}

double x_user(const Context& ctx, double px) {
    const AxisScale& s = ctx.axes.x;
    return from_axis(s, s.a + (px - s.start) / s.factor);
}

double y_user(const Context& ctx, double py) {
    const AxisScale& s = ctx.axes.y;
    return from_axis(s, s.a + (s.start - py) / s.factor);
}

// A polar system is scaled as a Cartesian square from -xe to xe on both
// axes around the centre, so a point only needs its Cartesian form.
void polar_plot(const Context& ctx, double radius, double angle, double& px, double& py) {
    px = x_plot(ctx, radius * std::cos(angle));
    py = y_plot(ctx, radius * std::sin(angle));
}

}  // namespace kal
