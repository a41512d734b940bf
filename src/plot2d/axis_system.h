// The two-dimensional axis system: the per-axis settings, the record that
// graf fills, and the conversions of user coordinates to plot coordinates
// that every routine plotting data goes through.
#pragma once
#include "core/state_part.h"
#include "plot2d/coordinate_stage.h"

namespace kal {

struct Context;
struct AxisMapping;

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

// setgrf levels of one side, in the order of its keyword list.
enum : int { SIDE_NONE = 0, SIDE_LINE, SIDE_TICK, SIDE_LABE, SIDE_NAME };
// Tick directions (ticpos) and date tick modes (ticmod).
enum : int { TICK_LABE = 0, TICK_REVE, TICK_CENT };
enum : int { TICMOD_NONE = 0, TICMOD_DAYS, TICMOD_MONT, TICMOD_QUAR, TICMOD_HALF, TICMOD_YEAR,
             TICMOD_DMON };
// The parts of an axis that axclrs colours.
enum : int { AXPART_LINE = 0, AXPART_TICKS, AXPART_LABELS, AXPART_NAME, AXPART_COUNT };

// The settings of one axis (X, Y, Z).
struct AxisSettings {
    int length = 2;                  // axslen, plot units (set from the page by reset)
    bool log = false;                // scale
    int ticks = 2;                   // ticks per label step
    int tick_pos = TICK_LABE;        // ticpos
    int tick_mode = TICMOD_NONE;     // ticmod
    bool line = true;                // noline clears it
    bool auto_scale = false;         // setscl
    double auto_min = 0, auto_max = 1;
    int colour[AXPART_COUNT] = {-1, -1, -1, -1};   // axclrs, -1: the current colour
};

struct AxisState {
    // Record of the open axis system (valid at levels 2 and 3).
    AxisScale x, y;
    AxisScale z;                           // 3-D and colour axis systems
    const AxisMapping* mapping = nullptr;  // the coordinate stage's slot; none: Cartesian
    int month_interval[AXIS_COUNT] = {};   // date axes: 0 days, 1 months, 2 quarters, 3 halves, 4 years
    int time_mark[AXIS_COUNT] = {};        // TIME_MARK_*
    bool crossed = false;                  // the open system is a crossed one
    double origin_px = 0, origin_py = 0;   // its origin point (user 0, 0) in plot coordinates

    // Settings, kept from one system to the next.
    AxisSettings axis[AXIS_COUNT];
    int side_level[4] = {SIDE_NAME, SIDE_NAME, SIDE_TICK, SIDE_TICK};  // lower X, left Y, upper X, right Y
    int corner_x = 0, corner_y = 0;        // lower left corner (axspos), plot units
    bool origin_given = false;             // axsorg
    int origin_x = 0, origin_y = 0;
    bool cross_type = false;               // axstyp CROS
    int major_len = 24, minor_len = 16;    // ticlen
    bool only_two = false;                 // ax2grf
    bool no_draw = false;                  // nograf
    int frame = 1;                         // frame thickness
    int frame_colour = -1;                 // frmclr, -1: the current colour
    int background = -1;                   // axsbgd, -1: none
    bool log_full = false;                 // logtic FULL

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// The thickness of `frame` as a count of lines (negative: drawn inwards),
// limited to 1000 lines either way: frames of axis systems, shield regions
// and legends all go through it.
int frame_thickness(const Context& ctx);

// The outside-scaling check: 0 inside, 1 when x is outside [xmin, xmax],
// else 2 when y is outside; prints the point when the check is on.
int outside_scaling(Context& ctx, double x, double y);

}  // namespace kal
