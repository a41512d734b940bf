// The settings of curve, their defaults and reset keys.
#include <cmath>

#include "api/routines_curves_error_bars_and_splines.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "plot2d/curves.h"

namespace kal {

void polcrv(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "LINE+STEP+BARS+SPLI+PSPL+STEM+STAI+FBAR", mode);
    if (k) ctx.curves.mode = k - 1;
}

void incmrk(Context& ctx, int n) { ctx.curves.marker_step = n; }

void marker(Context& ctx, int nsym) {
    if (!valid_symbol(ctx, nsym)) {
        warn_int(ctx, 2, nsym);
        return;
    }
    ctx.curves.marker = nsym;
}

void thkcrv(Context& ctx, int n) {
    if (out_of_range(ctx, n, 1, 10000)) return;
    ctx.curves.thickness = n;
}

void chncrv(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "NONE+COLO+LINE+BOTH", mode);
    if (k) ctx.curves.change = k - 1;
}

void gapcrv(Context& ctx, float gap) {
    if (!std::isfinite(gap)) {
        warn_text(ctx, 2, "gap not finite");
        return;
    }
    ctx.curves.gap_on = true;
    ctx.curves.gap = gap;
}

void splmod(Context& ctx, int order, int points) {
    if (out_of_range(ctx, order, 2, 10) || out_of_range(ctx, points, 5, 30000)) return;
    ctx.curves.spline_order = order;
    ctx.curves.spline_points = points;
}

void barwth(Context& ctx, float factor) {
    if (!std::isfinite(factor)) {
        warn_text(ctx, 2, "factor not finite");
        return;
    }
    ctx.curves.bar_width = factor;
}

void record_curve(Context& ctx, const CurveRecord& record) {
    CurveState& c = ctx.curves;
    if (c.count < CurveState::MAX_RECORDS) c.records.push_back(record);
    ++c.count;
}

void forget_curves(Context& ctx) {
    ctx.curves.count = 0;
    ctx.curves.records.clear();
    ctx.curves.bar_sets = ctx.curves.bar_group = 0;
}

int cycle_colour(const Context& ctx, int index) { return ctx.colour.cycle[index % 30]; }

namespace {

void reset_polcrv(Context& ctx) { ctx.curves.mode = MODE_LINE; }
void reset_thkcrv(Context& ctx) { ctx.curves.thickness = 1; }
void reset_chncrv(Context& ctx) { ctx.curves.change = CHANGE_NONE; }
void reset_gapcrv(Context& ctx) { ctx.curves.gap_on = false; }
void reset_barwth(Context& ctx) { ctx.curves.bar_width = 0.75; }
void reset_splmod(Context& ctx) {
    ctx.curves.spline_order = 3;
    ctx.curves.spline_points = 200;
}

const ResetKey CURVE_KEYS[] = {
    {"POLC", reset_polcrv}, {"THKC", reset_thkcrv}, {"CHNC", reset_chncrv}, {"GAPC", reset_gapcrv},
    {"BARW", reset_barwth}, {"SPLM", reset_splmod},
};

}  // namespace

void CurveState::reset(Context& ctx) { ctx.curves = CurveState{}; }
const ResetKeys CurveState::reset_keys = CURVE_KEYS;

}  // namespace kal
