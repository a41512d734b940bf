// Internal interface of the axis code: the axis check, automatic scaling,
// tick positions and the drawing of one axis side, shared by graf, the
// separate axes, grid, the crossed lines and polar.
#pragma once
#include <vector>

#include "plot2d/axis_system.h"
#include "plot2d/keyword_axes.h"

namespace kal {

struct Context;

// ---- checks and scaling ----

// Checks limits a and e, first label and step of one axis (exponents on a
// log axis): warnings 10 and 9 fail the check, 12 and 50 are only reported.
bool check_axis(Context& ctx, double a, double e, double first, double step);

// The four numbers of an axis as automatic scaling gives them, with the
// marks the labels read.
struct AutoScale {
    double a = 0, e = 1, first = 0, step = 1;
    double umin = 0, umax = 1;     // user interval of the outside-scaling check
    int digits = 1;
    int month_interval = 0;
    int time_mark = TIME_MARK_NONE;
};
// Scales `axis` from the setscl minimum and maximum; `length` is the axis
// length in plot units. Gives warnings 23 and 24 on a log axis.
AutoScale automatic_scale(Context& ctx, int axis, bool log, int length);

// ---- ticks ----

struct TickMark {
    double value;   // user units (exponent on a log axis)
    bool major;
};

struct TickSpec {
    double a = 0, e = 1, first = 0, step = 1;
    int per_step = 2;           // ticks per label step
    bool log = false;
    bool log_full = false;      // logtic FULL
    // Date axes: label month interval, ticmod mode and the civil day of
    // user value 0.
    bool date = false;
    int month_interval = 0;
    int tick_mode = TICMOD_NONE;
    long base_day = 0;
};

// The tick settings of `axis` for the limits, first label and step given
// (exponents on a log axis): ticks per step, log and date tick modes.
TickSpec axis_ticks(const Context& ctx, int axis, double a, double e, double first, double step, bool log);

// The ticks of one axis, in no particular order; empty when there would be
// more than MAX_TICKS.
constexpr int MAX_TICKS = 100000;
std::vector<TickMark> tick_marks(const TickSpec& spec);

// ---- drawing one axis ----

// One axis as drawn on the page (plot coordinates, origin offset not yet
// added).
struct DrawnAxis {
    int axis = AXIS_X;          // AXIS_X or AXIS_Y (page direction of the axis)
    int label_axis = AXIS_X;    // whose label, tick and colour settings apply
    int side = 1;               // 1 lower X, 2 right Y, 3 upper X, 4 left Y
    TickSpec ticks;
    int length = 2;
    double x0 = 0, y0 = 0;      // start: left end of X, lower end of Y
    bool crossed = false;
    int level = SIDE_NAME;      // setgrf level of the side
    int tick_pos = TICK_LABE;   // ticpos of the label axis
    const char* name = nullptr; // nullptr: the name setting of the label axis
};

// The drawn form of the X (side 1 or 3) or Y (side 2 or 4) axis of the open
// system, with the settings of its axis.
DrawnAxis system_axis(const Context& ctx, int side);

// Direction (+1/-1 in page coordinates) from the axis line towards the
// labels of a side.
int label_direction(int side);

// Plot position along the axis of a value (integer as the tick rule rounds).
double tick_position(const DrawnAxis& d, double value);

// Draws the ticks with the given lengths in the tick direction of the axis
// (grid passes lengths that span the axis rectangle).
void draw_ticks(Context& ctx, const DrawnAxis& d, double major_len, double minor_len);

// Draws one side: axis line, ticks, labels and name as its level allows,
// each part in its axclrs colour.
void draw_side(Context& ctx, const DrawnAxis& d);

// A separate axis: `axis` gives its page direction (AXIS_X horizontal,
// AXIS_Y vertical), `label_axis` whose settings and labels it uses (AXIS_Z
// for colour bars). side_flag 0 puts the labels below a horizontal axis or
// left of a vertical one, any other value above or right of it; (nx, ny)
// is its start (left or lower end) on the page, after the page-origin
// rule. Checks the length (warning 11), position (4, 5) and scaling
// unless the caller did.
void separate_axis(Context& ctx, int axis, int label_axis, bool log, double a, double e, double first,
                   double step, int length, const char* name, int side_flag, int nx, int ny, bool check = true);

// A line in plot coordinates (origin offset added here), flushed.
void plot_line(Context& ctx, double x1, double y1, double x2, double y2);

// Makes an axclrs colour current for a part; returns the colour to restore.
int use_colour(Context& ctx, int colour);
void restore_colour(Context& ctx, int previous);

// The axis rectangle of the open system, in plot coordinates: left, top,
// right, bottom.
void axis_rectangle(const Context& ctx, double& left, double& top, double& right, double& bottom);
// The page's record of the open system's area, which clpbor "AXIS" clips to.
void set_system_clipping(Context& ctx);

}  // namespace kal
