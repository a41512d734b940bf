// Public routines for colour and line attributes.
#include <cmath>

#include "api/routines.h"
#include "colour3d/colour.h"
#include "core/context.h"
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

void setclr(int value) {
    Context* c = level_check(1, 3, "setclr");
    if (!c || out_of_range(*c, value, 0, -1)) return;
    set_colour(*c, value);
}

void setrgb(float red, float green, float blue) {
    Context* c = level_check(1, 3, "setrgb");
    if (!c || bad_component(*c, red) || bad_component(*c, green) || bad_component(*c, blue)) return;
    set_colour(*c, direct_colour(component_255(red), component_255(green), component_255(blue)));
}

void pagfll(int value) {
    Context* c = level_check(1, 3, "pagfll");
    if (!c || out_of_range(*c, value, 0, -1)) return;
    const int previous = c->out.current_colour;
    const PageState& p = c->page;
    const double ox = p.origin_x, oy = p.origin_y;
    fill_rect(*c, -ox, -oy, p.width - ox, p.height - oy, value);
    if (c->out.current_colour != previous) set_colour(*c, previous);
}

void linwid(int n) {
    Context* c = level_check(1, 3, "linwid");
    if (!c || out_of_range(*c, n, 1, 32000)) return;
    line_flush(*c);
    const bool native = c->out.driver && c->out.driver->line_width(*c, n);
    c->line.width = native ? -n : n;
}

void penwid(float w) {
    Context* c = level_check(1, 3, "penwid");
    if (!c) return;
    if (!(w > 0.0f && w <= 32000.0f)) {
        warn_int(*c, 2, clamp_int(w));
        return;
    }
    line_flush(*c);
    const int rounded = static_cast<int>(std::round(w));
    if (c->out.driver && c->out.driver->pen_width(*c, w)) {
        c->line.width = rounded == 0 ? -1 : -rounded;
    } else {
        c->line.width = std::max(1, rounded);
    }
}

void lnjoin(const char* mode) {
    Context* c = level_check(1, 3, "lnjoin");
    if (!c) return;
    const int i = keyword(*c, "SHAR+ROUN+TRUN", mode);
    if (!i) return;
    c->line.join = i - 1;
    line_flush(*c);
    if (c->out.driver) c->out.driver->line_join(*c, i - 1);
}

void lncap(const char* mode) {
    Context* c = level_check(1, 3, "lncap");
    if (!c) return;
    const int i = keyword(*c, "CUT +ROUN+LONG", mode);
    if (!i) return;
    c->line.cap = i - 1;
    line_flush(*c);
    if (c->out.driver) c->out.driver->line_cap(*c, i - 1);
}

void lnmlt(float x) {
    Context* c = level_check(1, 3, "lnmlt");
    if (!c) return;
    if (!(x >= 1.0f) || !std::isfinite(x)) {
        warn_int(*c, 2, clamp_int(x));
        return;
    }
    line_flush(*c);
    if (c->out.driver) c->out.driver->miter_limit(*c, x);
    c->line.miter = x;
}

}  // namespace kal
