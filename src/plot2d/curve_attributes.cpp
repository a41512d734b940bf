// Attribute cycling of chncrv and the attributes recorded for legends.
//
// The curve-colour cycle is the colour cycle of clrcyc (30 slots); the
// line-style cycle is that of lincyc (from LINE_CYCLE: solid, dash, dot,
// chain-dash, medium dash, chain-dot, long dash, long-spaced dots). Curve
// number i (from 0 in the open axis system) takes step s = i / inccrv, slot
// s mod 30 and style s mod 8.
#include "api/routines_colour_and_line_attributes.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/curves.h"

namespace kal {

SavedPattern save_pattern(Context& ctx) {
    line_flush(ctx);
    return {save_dash(ctx.line), ctx.line.offset};
}

void restore_pattern(Context& ctx, const SavedPattern& p) {
    line_flush(ctx);
    LineState& l = ctx.line;
    restore_dash(l, p.dash);
    l.offset = p.offset;
    l.offset_move_pending = false;
}

CurveLook begin_curve_look(Context& ctx) {
    CurveLook look{ctx.out.current_colour, save_pattern(ctx)};
    const CurveState& c = ctx.curves;
    // inccrv: the attributes move on after every so many curves.
    const int step = c.count / ctx.options.curves_per_change;
    if (c.change == CHANGE_COLO || c.change == CHANGE_BOTH)
        set_colour(ctx, cycle_colour(ctx, step));
    if (c.change == CHANGE_LINE || c.change == CHANGE_BOTH) lintyp(ctx, ctx.options.line_cycle[step % 8]);
    return look;
}

void end_curve_look(Context& ctx, const CurveLook& look) {
    restore_pattern(ctx, look.pattern);
    if (ctx.out.current_colour != look.colour) set_colour(ctx, look.colour);
}

CurveRecord current_record(const Context& ctx) {
    const CurveState& c = ctx.curves;
    CurveRecord r;
    r.colour = ctx.out.current_colour;
    for (int i = 0; i < ctx.line.dash_count; ++i) r.dash[i] = ctx.line.dash[i];
    r.dash_count = ctx.line.dash_count;
    r.thickness = c.thickness;
    r.symbol = c.marker_step != 0 ? c.marker : -1;
    r.line = c.marker_step >= 0;
    r.filled = c.mode == MODE_FBAR;
    return r;
}

}  // namespace kal
