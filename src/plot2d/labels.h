// Axis labels, axis names and the label settings of each axis.
#pragma once
#include "core/state_part.h"
#include "plot2d/axis_system.h"

namespace kal {

struct Context;

// Label types, in the order of the labels keyword list.
enum : int { LABEL_NONE = 0, LABEL_FLOA, LABEL_EXP, LABEL_LOG, LABEL_CLOG, LABEL_ELOG, LABEL_MAP,
             LABEL_DMAP, LABEL_LMAP, LABEL_TIME, LABEL_HOUR, LABEL_SECO, LABEL_MYLA, LABEL_FEXP,
             LABEL_DATE };

struct LabelAxis {
    int type = LABEL_FLOA;
    int digits = 1;       // -1: integer labels; automatic scaling overwrites it
};

struct LabelState {
    LabelAxis axis[AXIS_COUNT];
    bool has_base_date = false;
    long base_day = 0;    // civil day number of the basdat date (calendar.h)

    // Further label, name, title and number settings are members added by
    // the label code.

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// One side of an axis system as the axis code hands it to the labels.
struct AxisSide {
    int axis = AXIS_X;      // AXIS_X, AXIS_Y or AXIS_Z
    int side = 1;           // 1 lower X, 2 right Y, 3 upper X, 4 left Y
    bool outer = false;     // labels on the outer side (upper X, right Y)
    double a = 0, e = 1, first = 0, step = 1;   // as graf used them (exponents on a log axis)
    bool log = false;
    int length = 2;         // plot units
    double x0 = 0, y0 = 0;  // page position where the axis starts (left end of X, lower end of Y)
    int tick_space = 0;     // room the ticks take beyond the axis line on the label side
    bool crossed = false;   // crossed system: the label at 0 is left out
    bool draw_labels = true;
    bool draw_name = true;
};

// Draws the labels of one side; returns their largest extent perpendicular
// to the axis (0 when none are drawn).
int draw_axis_labels(Context& ctx, const AxisSide& side);
// Draws the axis name beyond the labels.
void draw_axis_name(Context& ctx, const AxisSide& side, int label_extent);

}  // namespace kal
