// Curves: the settings of curve (interpolation mode, markers, thickness
// copies, attribute cycling, gaps, splines, bar width), the count of curves
// drawn in the open axis system and the attributes recorded for legends.
#pragma once
#include <vector>

#include "core/state_part.h"
#include "output/line_layer.h"

namespace kal {

struct Context;

// Interpolation modes, in the order of the polcrv keywords.
enum CurveMode : int { MODE_LINE = 0, MODE_STEP, MODE_BARS, MODE_SPLI, MODE_PSPL, MODE_STEM,
                       MODE_STAI, MODE_FBAR };
// chncrv: what changes from one curve to the next.
enum CurveChange : int { CHANGE_NONE = 0, CHANGE_COLO, CHANGE_LINE, CHANGE_BOTH };

// What a curve looked like, for its legend sample.
struct CurveRecord {
    int colour = 0;           // colour value the curve was drawn in
    double dash[10] = {};     // its dash pattern (count 0: solid)
    int dash_count = 0;
    int thickness = 1;        // thkcrv copies
    int symbol = -1;          // marker drawn with it, -1: none
    bool line = true;         // lines drawn (incmrk >= 0)
    bool filled = false;      // FBAR: the sample is a filled box
    int pattern = 16;         // the fill pattern of a filled sample (16: solid)
};

struct CurveState {
    static constexpr int MAX_RECORDS = 30;   // a legend shows at most 30 lines

    int mode = MODE_LINE;        // polcrv
    int marker_step = 0;         // incmrk
    int marker = 0;              // symbol number
    int thickness = 1;           // thkcrv
    int change = CHANGE_NONE;    // chncrv
    bool gap_on = false;         // gapcrv
    double gap = 0;
    int spline_order = 3;        // splmod
    int spline_points = 200;
    double bar_width = 0.75;     // barwth: > 0 fraction of the spacing, <= 0 plot units

    // Curves drawn in the open axis system and the first MAX_RECORDS of them.
    int count = 0;
    std::vector<CurveRecord> records;
    // Bar sets drawn in the open axis system, and in the current group.
    int bar_sets = 0, bar_group = 0;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Registers one more curve (count and, while there is room, its record).
void record_curve(Context& ctx, const CurveRecord& record);
// A new axis system starts counting curves from zero.
void forget_curves(Context& ctx);

// The line-style cycle of chncrv LINE and BOTH as kalini sets it (lincyc
// changes it): lintyp numbers, in order.
constexpr int LINE_CYCLE[8] = {0, 2, 1, 3, 5, 4, 7, 6};
// The colour of curve number `index` (0-based) in the curve-colour cycle
// (the 30 slots of clrcyc).
int cycle_colour(const Context& ctx, int index);

// The dash pattern with its phase and the thickness offset of the line
// layer, kept across a change (line_flush first) and put back.
struct SavedPattern {
    DashPhase dash;
    double offset = 0;
};
SavedPattern save_pattern(Context& ctx);
void restore_pattern(Context& ctx, const SavedPattern& p);

// Sets up colour and pattern for the next curve (chncrv) and returns what
// to restore afterwards.
struct CurveLook {
    int colour;
    SavedPattern pattern;
};
CurveLook begin_curve_look(Context& ctx);
void end_curve_look(Context& ctx, const CurveLook& look);
// The record of the curve drawn now in the current attributes.
CurveRecord current_record(const Context& ctx);

// Symbol nsym of the current symbol size centred at the page point (x, y),
// relative to the plot origin.
void plot_symbol(Context& ctx, int nsym, double x, double y);
// The current symbol size (hsymbl), plot units.
double symbol_size(const Context& ctx);
// True when nsym names a symbol that plot_symbol can draw.
bool valid_symbol(const Context& ctx, int nsym);

}  // namespace kal
