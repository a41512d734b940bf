// Axis labels, axis names and the label settings of each axis.
#pragma once
#include <string>

#include "core/state_part.h"
#include "plot2d/axis_system.h"

namespace kal {

struct Context;

// Label types, in the order of the labels keyword list.
enum : int { LABEL_NONE = 0, LABEL_FLOA, LABEL_EXP, LABEL_LOG, LABEL_CLOG, LABEL_ELOG, LABEL_MAP,
             LABEL_DMAP, LABEL_LMAP, LABEL_TIME, LABEL_HOUR, LABEL_SECO, LABEL_MYLA, LABEL_FEXP,
             LABEL_DATE };

// Where a label sits: on its tick, between two ticks, or on its tick but
// moved back inside the axis.
enum : int { LABPOS_TICK = 0, LABPOS_CENT, LABPOS_SHIF };
enum : int { LABJUS_AUTO = 0, LABJUS_LEFT, LABJUS_RIGH, LABJUS_OUTW, LABJUS_INWA };
enum : int { NAMJUS_CENT = 0, NAMJUS_LEFT, NAMJUS_RIGH };

// Forms of the three parts of a date label (labmod).
enum : int { DATE_NONE = 0, DATE_SHORT, DATE_LONG, DATE_NAME, DATE_FULL, DATE_TINY };
// Label steps of date axes: the months between two labels (0 days).
enum : int { DATE_STEP_AXIS = -1, DATE_STEP_DAYS = 0 };

struct DateForm {
    int day = DATE_SHORT;
    int month = DATE_NAME;
    int year = DATE_FULL;       // DATE_FULL, DATE_SHORT or DATE_NONE
    bool german = false;
    char order[4] = "DMY";
    char separator = '-';
    bool upper = false;
    int step = DATE_STEP_AXIS;  // months between labels; AXIS: as scaling set it
};

constexpr int MAX_MYLAB = 20;

struct LabelAxis {
    int type = LABEL_FLOA;
    int digits = 1;       // -1: integer labels; automatic scaling overwrites it
    int distance = 24;    // labdis, plot units
    int position = LABPOS_TICK;
    bool vertical = false;  // labtyp VERT
    int justify = LABJUS_AUTO;
    int name_distance = 30;
    int name_justify = NAMJUS_CENT;
    std::string name;
    std::string mylab[MAX_MYLAB];
    DateForm date;
};

// numfmt forms.
enum : int { NUMFMT_FLOA = 0, NUMFMT_EXP, NUMFMT_FEXP, NUMFMT_LOG };

// numode: how digits are written.
struct NumberMode {
    char decimal = '.';
    char group = 0;       // thousands separator, 0 none
    char sign = 0;        // before positive numbers: 0, ' ' or '+'
    bool equal = false;   // digits of equal width
};

// The labels of bars and pie segments (labels, labdig, labclr, labpos with
// BAR, PIE, DAT or PER).
enum : int { BARLAB_NONE = 0, BARLAB_SECO, BARLAB_FIRS, BARLAB_MAXI, BARLAB_MINI, BARLAB_DELT, BARLAB_POSI };
enum : int { PIELAB_NONE = 0, PIELAB_PERC, PIELAB_DATA, PIELAB_BOTH };
enum : int { PIEPOS_INTE = 0, PIEPOS_EXTE, PIEPOS_ALIG };
struct ChartLabels {
    int bar_value = BARLAB_NONE;
    int bar_digits = 1;
    int bar_colour = -1;       // -1: the current colour
    int bar_position = 0;      // position code: 0 AUTO, else tens vertical, units horizontal
    int pie_value = PIELAB_PERC;
    int data_digits = 1, percent_digits = 1;
    int pie_colour = -1;
    int pie_position = PIEPOS_INTE;
};

constexpr int TITLE_LINES = 4;

struct TitleState {
    std::string line[TITLE_LINES];
    bool underline[TITLE_LINES] = {};
    int justify = NAMJUS_CENT;
    bool below = false;
    int height = 0;       // 0: the current height
    int shift = 0;        // vkytit
};

struct LabelState {
    LabelAxis axis[AXIS_COUNT];
    bool has_base_date = false;
    long base_day = 0;    // civil day number of the basdat date (calendar.h)

    int name_height = 36;     // hname
    bool time_colons = false; // timopt
    bool reverse_names = false; // rvynam
    int number_form = NUMFMT_FLOA;
    NumberMode mode;
    TitleState title;
    ChartLabels chart;

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
    const char* name = nullptr;  // drawn instead of the axis name setting (separate axes)
};

// Whether the side runs across the page (its labels and name follow the
// page direction, whichever axis they label: a colour bar's Z axis may lie
// either way).
inline bool horizontal(const AxisSide& s) { return s.side == 1 || s.side == 3; }

// Draws the labels of one side; returns their largest extent perpendicular
// to the axis (0 when none are drawn).
int draw_axis_labels(Context& ctx, const AxisSide& side);
// Draws the axis name beyond the labels.
void draw_axis_name(Context& ctx, const AxisSide& side, int label_extent);

}  // namespace kal
