// The coordinate stage: the axis frame (per-axis conversions between user
// and plot coordinates) and the mappings of the slot.
#include <cmath>

#include "core/context.h"
#include "plot2d/axis_system.h"
#include "plot2d/coordinate_stage.h"

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

PlotPoint frame_to_plot(const Context& ctx, double x, double y) { return {x_plot(ctx, x), y_plot(ctx, y)}; }

namespace {

// Both axes linear: the frame itself is the linear map.
bool frame_linear(const Context& ctx, LinearMap& m) {
    const AxisScale &sx = ctx.axes.x, &sy = ctx.axes.y;
    if (sx.log || sy.log) return false;
    m = {sx.start, sx.a, sx.factor, sy.start, sy.a, -sy.factor};
    return true;
}

bool no_linear_map(const Context&, LinearMap&) { return false; }

PlotPoint cartesian_to_plot(const Context& ctx, double x, double y, double) { return frame_to_plot(ctx, x, y); }

bool cartesian_to_user(const Context& ctx, double px, double py, double& x, double& y) {
    x = x_user(ctx, px);
    y = y_user(ctx, py);
    return true;
}

// A polar system is scaled as a Cartesian square from -xe to xe on both
// axes around the centre, so a point (radius, angle) only needs its
// Cartesian form. Angles are true angles on the page.
PlotPoint polar_to_plot(const Context& ctx, double radius, double angle, double) {
    return frame_to_plot(ctx, radius * std::cos(angle), radius * std::sin(angle));
}

bool polar_to_user(const Context& ctx, double px, double py, double& radius, double& angle) {
    const double x = x_user(ctx, px), y = y_user(ctx, py);
    radius = std::hypot(x, y);
    angle = std::atan2(y, x);
    return true;
}

}  // namespace

const AxisMapping CARTESIAN_MAPPING = {MAPPING_CARTESIAN, true, cartesian_to_plot, cartesian_to_user,
                                       frame_linear, nullptr, nullptr};
const AxisMapping POLAR_MAPPING = {MAPPING_POLAR, false, polar_to_plot, polar_to_user, no_linear_map, nullptr, nullptr};

const AxisMapping& active_mapping(const Context& ctx) {
    return ctx.axes.mapping ? *ctx.axes.mapping : CARTESIAN_MAPPING;
}

bool polar_system(const Context& ctx) { return active_mapping(ctx).kind == MAPPING_POLAR; }

bool plot_to_user(const Context& ctx, double px, double py, double& x, double& y) {
    const AxisMapping& m = active_mapping(ctx);
    return m.to_user && m.to_user(ctx, px, py, x, y);
}

bool linear_map(const Context& ctx, LinearMap& map) { return active_mapping(ctx).linear(ctx, map); }

}  // namespace kal
