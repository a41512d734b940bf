// The coordinate stage: where user coordinates of the open axis system
// become plot coordinates.
//
// Two levels. The axis frame is the plane of the axis scales: each plot
// coordinate follows from one user coordinate through its axis, linear or
// logarithmic (x_plot, y_plot and their inverses in axis_system.h). The
// mapping slot holds what the open system does with data points before they
// reach the frame: nothing for Cartesian systems, (radius, angle) to the
// Cartesian square round the centre for polar systems; a map projection or
// a 3-D projection (which takes z) plugs in here as one more AxisMapping.
// Routines that plot data ask user_to_plot; figures and positions in user
// coordinates (the rl routines, xposn, xinvrs) work in the frame.
#pragma once

namespace kal {

struct Context;

struct PlotPoint {
    double x, y;
};

// A mapping that is an affine function of each coordinate on its own:
// px = x0 + (x - xa) * xf, py = y0 + (y - ya) * yf. A hot loop asks for it
// once (linear_map) and applies it itself; it computes the same doubles as
// user_to_plot.
struct LinearMap {
    double x0 = 0, xa = 0, xf = 1, y0 = 0, ya = 0, yf = 1;
    PlotPoint operator()(double x, double y) const { return {x0 + (x - xa) * xf, y0 + (y - ya) * yf}; }
};

enum MappingKind : int { MAPPING_CARTESIAN = 0, MAPPING_POLAR, MAPPING_MAP };

// The slot. Functions take the context for the parameters of the open
// system (axis scales, projection state).
struct AxisMapping {
    int kind;
    // Data x and y are values of the X and Y axis (so logarithmic axes
    // demand positive values and per-axis positions make sense).
    bool per_axis;
    PlotPoint (*to_plot)(const Context& ctx, double x, double y, double z);
    // The inverse; false where the plot point has no user point.
    bool (*to_user)(const Context& ctx, double px, double py, double& x, double& y);
    // True, with the map, when the mapping is linear in x and y.
    bool (*linear)(const Context& ctx, LinearMap& map);
    // Lines through data points that the mapping must cut (map seams and
    // horizons): the polyline in user coordinates, drawn through the line
    // layer's projection hook. None: lines join the converted points.
    void (*polyline)(Context& ctx, const float* x, const float* y, int n);
    // An area in user coordinates filled in the current colour and pattern,
    // cut at the seams and with edges that follow the mapping (map cells).
    // None: areas are filled through their converted corners.
    void (*area)(Context& ctx, int n, const double* x, const double* y);
};

extern const AxisMapping CARTESIAN_MAPPING;
extern const AxisMapping POLAR_MAPPING;

// The mapping of the open axis system (Cartesian when none is open).
const AxisMapping& active_mapping(const Context& ctx);
bool polar_system(const Context& ctx);

// The z of a point that 2-D routines draw: a 3-D mapping puts it on the
// plane of its lower z limit.
inline constexpr double NO_Z = __builtin_nan("");

// Data point to plot coordinates (page coordinates without the plot origin
// offset, y downwards). A polar system takes (radius, angle in radians
// counted counter-clockwise from the positive x direction).
inline PlotPoint user_to_plot(const Context& ctx, double x, double y, double z = NO_Z) {
    return active_mapping(ctx).to_plot(ctx, x, y, z);
}
bool plot_to_user(const Context& ctx, double px, double py, double& x, double& y);
// True with the map when the active mapping is linear.
bool linear_map(const Context& ctx, LinearMap& map);

// The axis frame: plot position of a user value on the X or Y axis of the
// open system; logarithmic axes take log10 of the value (callers check
// positivity first). frame_to_plot converts a point (the user coordinates
// of the rl routines).
double x_plot(const Context& ctx, double x);
double y_plot(const Context& ctx, double y);
PlotPoint frame_to_plot(const Context& ctx, double x, double y);
// The inverse conversions.
double x_user(const Context& ctx, double px);
double y_user(const Context& ctx, double py);

}  // namespace kal
