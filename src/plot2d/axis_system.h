// The two-dimensional axis system: the per-axis settings, the record that
// graf fills, and the conversions of user coordinates to plot coordinates
// that every routine plotting data goes through.
#pragma once
#include "core/state_part.h"

namespace kal {

struct Context;

enum : int { AXIS_X = 0, AXIS_Y, AXIS_Z, AXIS_COUNT };

// How graf scaled one axis. On a logarithmic axis a, e, first and step are
// exponents of 10.
struct AxisScale {
    double a = 0, e = 1, first = 0, step = 1;
    double factor = 1;          // (length - 1) / (e - a)
    double start = 0;           // plot position of the axis start: left end (X), lower end (Y)
    double umin = 0, umax = 1;  // user interval of the outside-scaling check, umin <= umax
    bool log = false;
    int length = 2;             // plot units
};

// Derived marks of automatic scaling that the labels read.
enum : int { TIME_MARK_NONE = 0, TIME_MARK_MINUTES, TIME_MARK_SECONDS };

struct AxisState {
    // Record of the open axis system (valid at levels 2 and 3).
    AxisScale x, y;
    bool polar = false;
    int month_interval[AXIS_COUNT] = {};   // date axes: 0 days, 1 months, 2 quarters, 3 halves, 4 years
    int time_mark[AXIS_COUNT] = {};        // TIME_MARK_*

    // The per-axis and per-system settings (lengths, scaling, ticks, side
    // levels, corner, frame ...) are members added by the axis code.

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Plot position (float, page coordinates, y downwards) of a user value on
// the X or Y axis of the open system; logarithmic axes take log10 of the
// value (callers check positivity first).
double x_plot(const Context& ctx, double x);
double y_plot(const Context& ctx, double y);
// The inverse conversions.
double x_user(const Context& ctx, double px);
double y_user(const Context& ctx, double py);

// The outside-scaling check: 0 inside, 1 when x is outside [xmin, xmax],
// else 2 when y is outside; prints the point when the check is on.
int outside_scaling(Context& ctx, double x, double y);

}  // namespace kal
