// The nine predefined colour tables and the settings setvlt derives from
// them for the open device.
#include "colour3d/colour_tables.h"

#include <algorithm>

#include "colour3d/colour.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/primitives.h"

namespace kal {
namespace {

// num / den rounded to nearest, halves up (num >= 0, den > 0), exactly.
int round_ratio(long num, long den) { return static_cast<int>((2 * num + den) / (2 * den)); }

struct Waypoint {
    int index, r, g, b;
};

// Rainbow: dark violet, blue, cyan, green, yellow, red.
const Waypoint RAINBOW[] = {
    {1, 34, 0, 68},    {5, 51, 0, 102},   {13, 51, 0, 170},  {18, 34, 0, 204},  {22, 34, 0, 238},
    {26, 17, 0, 255},  {30, 0, 0, 255},   {96, 0, 255, 255}, {117, 0, 255, 170}, {138, 0, 255, 0},
    {146, 68, 255, 0}, {192, 255, 255, 0}, {254, 255, 0, 0},
};

// Linear interpolation between two values, num/den of the way (0..1).
int between(int a, int b, long num, long den) { return round_ratio(a * den + (b - a) * num, den); }

void fill_rainbow(uint32_t* t) {
    t[0] = pack_entry(0, 0, 0);
    t[255] = pack_entry(255, 255, 255);
    const int n = sizeof(RAINBOW) / sizeof(RAINBOW[0]);
    for (int k = 0; k + 1 < n; ++k) {
        const Waypoint& p = RAINBOW[k];
        const Waypoint& q = RAINBOW[k + 1];
        const long den = q.index - p.index;
        for (int i = p.index; i <= q.index; ++i) {
            const long num = i - p.index;
            t[i] = pack_entry(between(p.r, q.r, num, den), between(p.g, q.g, num, den),
                              between(p.b, q.b, num, den));
        }
    }
}

// Spectrum: magenta, blue, cyan, green, yellow, red in five equal steps.
void fill_spectrum(uint32_t* t) {
    static const int ANCHOR[6][3] = {{255, 0, 255}, {0, 0, 255},   {0, 255, 255},
                                     {0, 255, 0},   {255, 255, 0}, {255, 0, 0}};
    t[0] = pack_entry(0, 0, 0);
    t[255] = pack_entry(255, 255, 255);
    for (int i = 1; i <= 254; ++i) {
        // h = (i - 1) * 5 / 253 = k + rest / 253
        const long h253 = (i - 1) * 5L;
        const int k = static_cast<int>(std::min(h253 / 253, 4L));
        const long rest = h253 - 253L * k;
        const int* a = ANCHOR[k];
        const int* b = ANCHOR[k + 1];
        t[i] = pack_entry(between(a[0], b[0], rest, 253), between(a[1], b[1], rest, 253),
                          between(a[2], b[2], rest, 253));
    }
    t[52] = pack_entry(0, 0, 255);
    t[102] = pack_entry(0, 255, 255);
    t[153] = pack_entry(0, 255, 0);
    t[204] = pack_entry(255, 255, 0);
}

void fill_grey(uint32_t* t) {
    for (int i = 0; i < 256; ++i) t[i] = pack_entry(i, i, i);
}

void fill_temperature(uint32_t* t) {
    for (int i = 0; i < 256; ++i) {
        const int r = i < 150 ? round_ratio(17L * i, 10) : 255;
        const int g = i < 120 ? 0 : round_ratio((i - 120) * 255L, 135);
        const int b = i < 190 ? 0 : round_ratio((i - 190) * 255L, 65);
        t[i] = pack_entry(r, g, b);
    }
}

void fill_small(uint32_t* t) {
    static const int SMALL[9][3] = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},
                                    {0, 255, 0}, {0, 0, 255},     {255, 255, 0},
                                    {255, 128, 0}, {0, 255, 255}, {255, 0, 255}};
    for (int i = 0; i < 9; ++i) t[i] = pack_entry(SMALL[i][0], SMALL[i][1], SMALL[i][2]);
}

void fill_vga(uint32_t* t) {
    static const int VGA[16][3] = {
        {0, 0, 0},      {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
        {170, 0, 0},    {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
        {85, 85, 85},   {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
        {255, 85, 85},  {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i) t[i] = pack_entry(VGA[i][0], VGA[i][1], VGA[i][2]);
}

void reverse_table(uint32_t* t) { std::reverse(t, t + 256); }

// The three devices that print on white paper with black as the first colour.
bool post_cgm_wmf(int device) { return traits(device).black_first; }

// Devices on which the reversal step of scrmod REVERS applies.
bool reversal_device(int device) { return traits(device).reversal; }

const int DIRECT_BLACK = direct_colour(0, 0, 0);
const int DIRECT_WHITE = direct_colour(255, 255, 255);

// WHITE and BLACK as the table and device make them visible.
void adjust_white_black(Context& ctx, int which) {
    int& white = ctx.colour.named[NAMED_WHITE];
    int& black = ctx.colour.named[NAMED_BLACK];
    const DeviceTraits& t = traits(ctx.page.device);
    const bool cgm_wmf = t.white_drawn_black;
    const bool post = t.black_first && !cgm_wmf;
    switch (which) {
        case TABLE_SMAL:
            white = black = (post || cgm_wmf) ? DIRECT_BLACK : DIRECT_WHITE;
            break;
        case TABLE_GREY:
            white = cgm_wmf ? DIRECT_BLACK : DIRECT_WHITE;
            black = DIRECT_WHITE;
            break;
        case TABLE_RAIN: case TABLE_SPEC: case TABLE_TEMP:
            if (cgm_wmf) white = DIRECT_BLACK;
            break;
        case TABLE_RRAI: case TABLE_RSPE: case TABLE_RGRE:
            if (post || cgm_wmf) {
                white = black = DIRECT_BLACK;
            } else {
                if (ctx.out.colour_depth <= 8) std::swap(white, black);
                if (which == TABLE_RGRE) black = DIRECT_WHITE;
            }
            break;
        case TABLE_VGA:
            if (post || cgm_wmf) {
                white = DIRECT_BLACK;
                black = DIRECT_WHITE;
            }
            break;
        default:
            break;
    }
}

void set_named_colours(Context& ctx, int which) {
    static const int FULL[9][3] = {{255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                   {255, 255, 0},   {0, 0, 255},   {255, 128, 0},
                                   {0, 255, 255},   {255, 0, 255}, {0, 0, 0}};
    static const int GREYS[9] = {255, 230, 185, 150, 95, 215, 175, 110, 0};
    const bool grey = which == TABLE_GREY || which == TABLE_RGRE;
    for (int k = 0; k < 9; ++k) {
        ctx.colour.named[k] = grey ? direct_colour(GREYS[k], GREYS[k], GREYS[k])
                                   : direct_colour(FULL[k][0], FULL[k][1], FULL[k][2]);
    }
    adjust_white_black(ctx, which);
}

void load_entries(Context& ctx, int which) {
    uint32_t* t = ctx.colour.table;
    fill_predefined(t, which);
    if (post_cgm_wmf(ctx.page.device)) {
        if (which == TABLE_SMAL) std::swap(t[0], t[1]);
        if (which == TABLE_VGA) std::swap(t[0], t[15]);
    }
}

void set_indices(Context& ctx, int which) {
    ColourState& c = ctx.colour;
    const int device = ctx.page.device;
    c.foreground = 255;
    c.background = 0;
    c.under = 0;
    c.over = 255;
    if (which == TABLE_SMAL) {
        c.foreground = 1;
        c.over = 9;
    } else if (which == TABLE_VGA) {
        c.foreground = 15;
        c.over = 15;
    }
    const bool plain = which == TABLE_RAIN || which == TABLE_SPEC || which == TABLE_GREY ||
                       which == TABLE_TEMP;
    const bool reversed = which == TABLE_RRAI || which == TABLE_RSPE || which == TABLE_RGRE;
    if ((plain && traits(device).plain_on_zero) ||
        (reversed && !post_cgm_wmf(device) && ctx.out.colour_depth > 8)) {
        c.foreground = 0;
        c.background = 255;
    }
    default_colour_range(ctx);
}

// scrmod REVERS (or AUTO on the document formats): a white page.
void reverse_screen(Context& ctx, int which, bool table_kept) {
    ColourState& c = ctx.colour;
    if (ctx.page.background != 2 || !reversal_device(ctx.page.device)) return;
    if (!table_kept) std::swap(c.table[0], c.table[foreground_entry(which)]);
    std::swap(c.under, c.over);
    int& white = c.named[NAMED_WHITE];
    int& black = c.named[NAMED_BLACK];
    if (which == TABLE_SMAL || which == TABLE_GREY || which == TABLE_RGRE) {
        white = black = DIRECT_BLACK;
    } else {
        std::swap(white, black);
    }
}

}  // namespace

void fill_predefined(uint32_t table[256], int which) {
    switch (which) {
        case TABLE_SMAL: fill_small(table); break;
        case TABLE_RAIN: fill_rainbow(table); break;
        case TABLE_SPEC: fill_spectrum(table); break;
        case TABLE_GREY: fill_grey(table); break;
        case TABLE_RRAI: fill_rainbow(table); reverse_table(table); break;
        case TABLE_RSPE: fill_spectrum(table); reverse_table(table); break;
        case TABLE_RGRE: fill_grey(table); reverse_table(table); break;
        case TABLE_VGA: fill_vga(table); break;
        case TABLE_TEMP: fill_temperature(table); break;
        default: break;
    }
}

int foreground_entry(int which) {
    return which == TABLE_SMAL ? 1 : which == TABLE_VGA ? 15 : 255;
}

void fill_colour_cycle(Context& ctx) {
    for (int slot = 1; slot <= 30; ++slot) {
        const int k = slot % 8 == 0 ? 8 : slot % 8;   // WHITE .. MAGENTA
        ctx.colour.cycle[slot - 1] = ctx.colour.named[k - 1];
    }
}

void default_colour_range(Context& ctx) {
    const int active = ctx.colour.active;
    const int over = active == TABLE_SMAL ? 9 : active == TABLE_VGA ? 15 : 255;
    ctx.colour.range_first = 1;
    ctx.colour.range_last = over - 1;
}

void reset_current_colour(Context& ctx) { set_colour(ctx, ctx.colour.foreground); }

void select_table(Context& ctx, int which) {
    if (traits(ctx.page.device).table == StartTable::Smal) which = TABLE_SMAL;
    ColourState& c = ctx.colour;
    c.active = which;
    set_named_colours(ctx, which);
    const bool table_kept = c.user_table_pending;
    if (table_kept) {
        c.user_table_pending = false;
    } else {
        load_entries(ctx, which);
    }
    set_indices(ctx, which);
    reverse_screen(ctx, which, table_kept);
    fill_colour_cycle(ctx);
}

void load_table(Context& ctx, int which) {
    select_table(ctx, which);
    push_colour_table(ctx);
    set_colour(ctx, ctx.colour.foreground);
}

void reset_colours(Context& ctx) {
    reset_fill_pattern(ctx);
    select_table(ctx, traits(ctx.page.device).table == StartTable::Rgre ? TABLE_RGRE : TABLE_RAIN);
    set_colour_scale(ctx, 0.0, 1.0, false, false, 0.0, 0.0);
    push_colour_table(ctx);
    set_colour(ctx, ctx.colour.foreground);
}

void ColourState::reset(Context& ctx) { reset_colours(ctx); }

namespace {
const ResetKey COLOUR_KEYS[] = {
    {"CLRC", fill_colour_cycle}, {"COLO", reset_current_colour},
    {"COLR", default_colour_range}, {"SHDP", reset_fill_pattern},
};
}  // namespace
const ResetKeys ColourState::reset_keys = COLOUR_KEYS;

}  // namespace kal
