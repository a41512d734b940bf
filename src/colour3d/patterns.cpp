// Fill patterns: shdpat, mypat and getpat. The pattern filler of the output
// layer draws polygons from the decoded parts and the hatch spacing.
#include "api/routines.h"
#include "colour3d/colour.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"
#include "core/devices.h"

namespace kal {
namespace {

// Pattern codes of the shdpat numbers 0..17 (16 is solid).
const int PREDEFINED[18] = {0,     45150, 150450, 135150, 45450, 45151, 135210, 45451, 30140,
                            45211, 151,   45310,  70470,  45311, 451,   45210,  100,    550};

// Stores a pattern code: angle*1000 + type*100 + density*10 + cross.
void apply_code(Context& ctx, int code) {
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

}  // namespace

void select_pattern(Context& ctx, int number) {
    if (number < 0) return;
    apply_code(ctx, number < 18 ? PREDEFINED[number] : number);
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

void reset_fill_pattern(Context& ctx) {
    ctx.colour.fill_kind = 0;
    ctx.colour.fill_parameter = 0;
    select_pattern(ctx, 0);
}

void shdpat(Context& ctx, int number) {
    if (out_of_range(ctx, number, 0, -1)) return;
    select_pattern(ctx, number);
}

void mypat(Context& ctx, int angle, int type, int density, int cross) {
    if (out_of_range(ctx, angle, 0, 179) || out_of_range(ctx, type, 0, 7) ||
        out_of_range(ctx, density, 0, 9) || out_of_range(ctx, cross, 0, 1))
        return;
    const int code = angle * 1000 + type * 100 + density * 10 + cross;
    apply_code(ctx, code);
    ctx.colour.pattern_number = code;
}

int getpat(Context& ctx) {
    return ctx.colour.pattern_number;
}

}  // namespace kal
