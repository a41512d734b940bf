// The public colour routines: named colours, the current colour, the colour
// table and its single entries, and the curve colour cycle.
#include <algorithm>

#include "api/routines_colour_tables_and_colour_selection.h"
#include "colour3d/colour.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/primitives.h"

namespace kal {
namespace {

const char* const TABLE_KEYS = "SMAL+RAIN+SPEC+GREY+RRAI+RSPE+RGRE+VGA +TEMP";

// A component 0..1 within `tolerance`; warning 2 otherwise (also for NaN).
bool bad_component(Context& ctx, float x, double tolerance) {
    return out_of_range(ctx, x, -tolerance, 1.0 + tolerance);
}

bool bad_triple(Context& ctx, float r, float g, float b, double tolerance) {
    return bad_component(ctx, r, tolerance) || bad_component(ctx, g, tolerance) ||
           bad_component(ctx, b, tolerance);
}

bool within(double x, double lo, double hi) { return x >= lo && x <= hi; }

void store_rgb(const Rgb& c, float* r, float* g, float* b) {
    *r = static_cast<float>(c.r / 255.0);
    *g = static_cast<float>(c.g / 255.0);
    *b = static_cast<float>(c.b / 255.0);
}

// Table changes go to screens and image buffers at once.
void table_changed(Context& ctx) {
    if (ctx.frame.level >= 1) push_colour_table(ctx);
}

}  // namespace

void color(Context& ctx, const char* name) {
    const int i = keyword(ctx, "WHIT+RED +GREE+YELL+BLUE+ORAN+CYAN+MAGE+BLAC+FORE+BACK", name);
    if (!i) return;
    const ColourState& cs = ctx.colour;
    const int value = i <= 9 ? cs.named[i - 1] : i == 10 ? cs.foreground : cs.background;
    set_colour(ctx, value);
}

int getclr(Context& ctx) {
    return ctx.out.current_colour;
}

void getrgb(Context& ctx, float* r, float* g, float* b) {
    store_rgb(resolve_rgb(ctx, ctx.out.current_colour), r, g, b);
}

int intrgb(Context&, float r, float g, float b) {
    const double lo = -0.001, hi = 1.001;
    if (!within(r, lo, hi) || !within(g, lo, hi) || !within(b, lo, hi)) return -1;
    return direct_colour(component_255(r), component_255(g), component_255(b));
}

void clrcyc(Context& ctx, int index, int colour) {
    if (out_of_range(ctx, index, 1, 30) || out_of_range(ctx, colour, 0, -1)) return;
    ctx.colour.cycle[index - 1] = colour;
}

void clrmod(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "NONE+FULL+CONT", mode);
    if (i) ctx.colour.screen_mode = i - 1;
}

void setvlt(Context& ctx, const char* table) {
    const int i = keyword(ctx, TABLE_KEYS, table);
    if (i) load_table(ctx, i - 1);
}

const char* getvlt(Context& ctx) {
    static const char* const NAMES[] = {"SMALL", "RAIN", "SPEC",  "GREY", "RRAIN",
                                        "RSPEC", "RGREY", "VGA", "TEMP"};
    const int a = ctx.colour.active;
    return (a >= 0 && a < 9) ? NAMES[a] : "";
}

void setind(Context& ctx, int index, float r, float g, float b) {
    if (out_of_range(ctx, index, 0, 255) || bad_triple(ctx, r, g, b, 1e-35)) return;
    ctx.colour.table[index] = pack_entry(component_255(r), component_255(g), component_255(b));
    table_changed(ctx);
}

void getind(Context& ctx, int index, float* r, float* g, float* b) {
    if (!is_direct(index) && out_of_range(ctx, index, 0, 255)) return;
    store_rgb(resolve_rgb(ctx, index), r, g, b);
}

void myvlt(Context& ctx, const float* r, const float* g, const float* b, int n) {
    if (out_of_range(ctx, n, 1, 256)) return;
    for (int i = 0; i < n; ++i)
        if (bad_triple(ctx, r[i], g[i], b[i], 0.0)) return;
    // Half away from zero; the components are never negative here.
    for (int i = 0; i < n; ++i)
        ctx.colour.table[i] = pack_entry(component_255(r[i]), component_255(g[i]), component_255(b[i]));
    if (ctx.frame.level == 0) {
        ctx.colour.user_table_pending = true;
    } else {
        table_changed(ctx);
    }
}

void revscr(Context& ctx) {
    ColourState& cs = ctx.colour;
    std::swap(cs.table[0], cs.table[foreground_entry(cs.active)]);
    const bool resend = traits(ctx.page.device).resolves_colours;
    if (resend) {
        set_colour(ctx, ctx.out.current_colour);
    } else {
        push_colour_table(ctx);
    }
}

int indrgb(Context& ctx, float r, float g, float b) {
    if (bad_triple(ctx, r, g, b, 0.001)) return -1;
    return nearest_index(ctx, component_255(r), component_255(g), component_255(b), false);
}

}  // namespace kal
