// Resolving colour values into red, green and blue, the nearest table entry
// of a colour, and the selection of a fill pattern.
#include "output/colour_table.h"

#include <cmath>
#include <cstdlib>

#include "core/context.h"
#include "core/devices.h"

namespace kal {

int component_255(double x) {
    const double v = std::floor(x * 255.0 + 0.5);
    if (!(v >= 0.0)) return 0;  // also NaN
    return v > 255.0 ? 255 : static_cast<int>(v);
}

Rgb resolve_rgb(const Context& ctx, int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    if (is_direct(value)) return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
    return unpack_entry(ctx.colour.table[v % 256]);
}

int nearest_index(const Context& ctx, int r, int g, int b, bool stop_at_exact) {
    const int count = ctx.colour.active == TABLE_SMAL ? 9 : ctx.colour.active == TABLE_VGA ? 16 : 256;
    int best = 0, best_distance = -1;
    for (int i = 0; i < count; ++i) {
        const Rgb e = unpack_entry(ctx.colour.table[i]);
        const int d = std::abs(e.r - r) + std::abs(e.g - g) + std::abs(e.b - b);
        if (best_distance < 0 || d < best_distance) {
            best = i;
            best_distance = d;
            if (d == 0 && stop_at_exact) break;
        }
    }
    return best;
}

DeviceColour resolve_device_colour(const Context& ctx, int value) {
    DeviceColour c;
    c.rgb = resolve_rgb(ctx, value);
    if (!is_direct(value)) {
        c.index = static_cast<int>(static_cast<uint32_t>(value) % 256);
    } else if (ctx.out.colour_depth <= 8) {
        c.index = nearest_index(ctx, c.rgb.r, c.rgb.g, c.rgb.b, true);
    }
    return c;
}

const char* table_name_lower(const Context& ctx) {
    static const char* const NAMES[] = {"smal", "rain", "spec", "grey", "rrai",
                                        "rspe", "rgre", "vga",  "temp"};
    const int a = ctx.colour.active;
    return (a >= 0 && a < 9) ? NAMES[a] : "rain";
}

namespace {

// Pattern codes of the shdpat numbers 0..17 (16 is solid).
const int PREDEFINED[18] = {0,     45150, 150450, 135150, 45450, 45151, 135210, 45451, 30140,
                            45211, 151,   45310,  70470,  45311, 451,   45210,  100,    550};

}  // namespace

void apply_pattern_code(Context& ctx, int code) {
    ColourState& c = ctx.colour;
    c.pattern_code = code;
    c.pattern_angle = code / 1000;
    c.pattern_type = (code % 1000) / 100;
    c.pattern_density = (code % 100) / 10;
    c.pattern_cross = code % 2;
    double spacing;
    switch (c.pattern_type) {
        case 2:
            spacing = 20;
            c.fill_kind = 2;
            c.fill_parameter = c.pattern_density;
            break;
        case 3:
            spacing = 15;
            c.fill_kind = 3;
            c.fill_parameter = c.pattern_density;
            break;
        case 4:
            spacing = 1;
            c.fill_kind = 8;
            c.fill_parameter = 5 * c.pattern_density + 4;
            break;
        default:
            spacing = (c.pattern_density == 0 && traits(ctx.page.device).wide_hatch)
                          ? 0.39999
                          : 5 * c.pattern_density + 1.9999;
            break;
    }
    const double scale = ctx.page.scale > 0 ? ctx.page.scale : 1.0;
    c.hatch_spacing = spacing / scale;
}

void select_pattern(Context& ctx, int number) {
    if (number < 0) return;
    apply_pattern_code(ctx, number < 18 ? PREDEFINED[number] : number);
    ctx.colour.pattern_number = number;
}

PatternFields save_pattern_fields(const ColourState& c) {
    return {c.pattern_number, c.pattern_code,   c.pattern_angle, c.pattern_type,  c.pattern_density,
            c.pattern_cross,  c.fill_kind,      c.fill_parameter, c.hatch_spacing};
}

void restore_pattern_fields(ColourState& c, const PatternFields& p) {
    c.pattern_number = p.number;
    c.pattern_code = p.code;
    c.pattern_angle = p.angle;
    c.pattern_type = p.type;
    c.pattern_density = p.density;
    c.pattern_cross = p.cross;
    c.fill_kind = p.fill_kind;
    c.fill_parameter = p.fill_parameter;
    c.hatch_spacing = p.hatch_spacing;
}

}  // namespace kal
