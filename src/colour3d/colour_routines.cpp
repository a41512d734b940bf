// The public colour routines: named colours, the current colour, the colour
// table and its single entries, and the curve colour cycle.
#include <algorithm>

#include "api/routines.h"
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

void color(const char* name) {
    Context* c = level_check(1, 3, "color");
    if (!c) return;
    const int i = keyword(*c, "WHIT+RED +GREE+YELL+BLUE+ORAN+CYAN+MAGE+BLAC+FORE+BACK", name);
    if (!i) return;
    const ColourState& cs = c->colour;
    const int value = i <= 9 ? cs.named[i - 1] : i == 10 ? cs.foreground : cs.background;
    set_colour(*c, value);
}

int getclr() {
    Context* c = level_check(1, 3, "getclr");
    return c ? c->out.current_colour : 0;
}

void getrgb(float* r, float* g, float* b) {
    Context* c = level_check(1, 3, "getrgb");
    if (!c) return;
    store_rgb(resolve_rgb(*c, c->out.current_colour), r, g, b);
}

int intrgb(float r, float g, float b) {
    if (!level_check(0, 3, "intrgb")) return -1;
    const double lo = -0.001, hi = 1.001;
    if (!within(r, lo, hi) || !within(g, lo, hi) || !within(b, lo, hi)) return -1;
    return direct_colour(component_255(r), component_255(g), component_255(b));
}

void clrcyc(int index, int colour) {
    Context* c = level_check(1, 3, "clrcyc");
    if (!c) return;
    if (out_of_range(*c, index, 1, 30) || out_of_range(*c, colour, 0, -1)) return;
    c->colour.cycle[index - 1] = colour;
}

void clrmod(const char* mode) {
    Context* c = level_check(0, 0, "clrmod");
    if (!c) return;
    const int i = keyword(*c, "NONE+FULL+CONT", mode);
    if (i) c->colour.screen_mode = i - 1;
}

void setvlt(const char* table) {
    Context* c = level_check(1, 3, "setvlt");
    if (!c) return;
    const int i = keyword(*c, TABLE_KEYS, table);
    if (i) load_table(*c, i - 1);
}

const char* getvlt() {
    static const char* const NAMES[] = {"SMALL", "RAIN", "SPEC",  "GREY", "RRAIN",
                                        "RSPEC", "RGREY", "VGA", "TEMP"};
    Context* c = level_check(1, 3, "getvlt");
    if (!c) return "";
    const int a = c->colour.active;
    return (a >= 0 && a < 9) ? NAMES[a] : "";
}

void setind(int index, float r, float g, float b) {
    Context* c = level_check(1, 3, "setind");
    if (!c) return;
    if (out_of_range(*c, index, 0, 255) || bad_triple(*c, r, g, b, 1e-35)) return;
    c->colour.table[index] = pack_entry(component_255(r), component_255(g), component_255(b));
    table_changed(*c);
}

void getind(int index, float* r, float* g, float* b) {
    Context* c = level_check(1, 3, "getind");
    if (!c) return;
    if (!is_direct(index) && out_of_range(*c, index, 0, 255)) return;
    store_rgb(resolve_rgb(*c, index), r, g, b);
}

void myvlt(const float* r, const float* g, const float* b, int n) {
    Context* c = level_check(0, 3, "myvlt");
    if (!c) return;
    if (out_of_range(*c, n, 1, 256)) return;
    for (int i = 0; i < n; ++i)
        if (bad_triple(*c, r[i], g[i], b[i], 0.0)) return;
    // Half away from zero; the components are never negative here.
    for (int i = 0; i < n; ++i)
        c->colour.table[i] = pack_entry(component_255(r[i]), component_255(g[i]), component_255(b[i]));
    if (c->frame.level == 0) {
        c->colour.user_table_pending = true;
    } else {
        table_changed(*c);
    }
}

void revscr() {
    Context* c = level_check(1, 3, "revscr");
    if (!c) return;
    ColourState& cs = c->colour;
    std::swap(cs.table[0], cs.table[foreground_entry(cs.active)]);
    const bool resend = traits(c->page.device).resolves_colours;
    if (resend) {
        set_colour(*c, c->out.current_colour);
    } else {
        push_colour_table(*c);
    }
}

int indrgb(float r, float g, float b) {
    Context* c = level_check(1, 3, "indrgb");
    if (!c) return -1;
    if (bad_triple(*c, r, g, b, 0.001)) return -1;
    return nearest_index(*c, component_255(r), component_255(g), component_255(b), false);
}

}  // namespace kal
