// Fill patterns: shdpat, mypat and getpat. The selection and decoding of a
// pattern sit with the colour table (output/colour_table.cpp), where the
// pattern filler reads them.
#include "api/routines_colour_tables_and_colour_selection.h"
#include "colour3d/colour.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"

namespace kal {

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
    apply_pattern_code(ctx, code);
    ctx.colour.pattern_number = code;
}

int getpat(Context& ctx) {
    return ctx.colour.pattern_number;
}

}  // namespace kal
