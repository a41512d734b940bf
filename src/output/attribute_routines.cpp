// Public routines for colour and line attributes.
#include <cmath>

#include "api/routines_colour_and_line_attributes.h"
#include "core/context.h"
#include "output/colour_table.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/primitives.h"

namespace kal {
namespace {

bool bad_component(Context& ctx, double v) {
    if (v >= -0.001 && v <= 1.001) return false;
    warn_int(ctx, 2, clamp_int(v));
    return true;
}

}  // namespace

void setclr(Context& ctx, int value) {
    if (out_of_range(ctx, value, 0, -1)) return;
    set_colour(ctx, value);
}

void setrgb(Context& ctx, float red, float green, float blue) {
    if (bad_component(ctx, red) || bad_component(ctx, green) || bad_component(ctx, blue)) return;
    set_colour(ctx, direct_colour(component_255(red), component_255(green), component_255(blue)));
}

void pagfll(Context& ctx, int value) {
    if (out_of_range(ctx, value, 0, -1)) return;
    const int previous = ctx.out.current_colour;
    const PageState& p = ctx.page;
    const double ox = p.origin_x, oy = p.origin_y;
    fill_rect(ctx, -ox, -oy, p.width - ox, p.height - oy, value);
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

void linwid(Context& ctx, int n) {
    if (out_of_range(ctx, n, 1, 32000)) return;
    line_flush(ctx);
    const bool native = ctx.out.driver && ctx.out.driver->line_width(ctx, n);
    ctx.line.width = native ? -n : n;
}

void penwid(Context& ctx, float w) {
    if (!(w > 0.0f && w <= 32000.0f)) {
        warn_int(ctx, 2, clamp_int(w));
        return;
    }
    line_flush(ctx);
    const int rounded = static_cast<int>(std::round(w));
    if (ctx.out.driver && ctx.out.driver->pen_width(ctx, w)) {
        ctx.line.width = rounded == 0 ? -1 : -rounded;
    } else {
        ctx.line.width = std::max(1, rounded);
    }
}

void lnjoin(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "SHAR+ROUN+TRUN", mode);
    if (!i) return;
    ctx.line.join = i - 1;
    line_flush(ctx);
    if (ctx.out.driver) ctx.out.driver->line_join(ctx, i - 1);
}

void lncap(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "CUT +ROUN+LONG", mode);
    if (!i) return;
    ctx.line.cap = i - 1;
    line_flush(ctx);
    if (ctx.out.driver) ctx.out.driver->line_cap(ctx, i - 1);
}

void lnmlt(Context& ctx, float x) {
    if (!(x >= 1.0f) || !std::isfinite(x)) {
        warn_int(ctx, 2, clamp_int(x));
        return;
    }
    line_flush(ctx);
    if (ctx.out.driver) ctx.out.driver->miter_limit(ctx, x);
    ctx.line.miter = x;
}

}  // namespace kal
