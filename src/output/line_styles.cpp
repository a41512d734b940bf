// Line styles: the predefined dash patterns and user patterns.
#include <cmath>

#include "api/routines_colour_and_line_attributes.h"
#include "core/context.h"
#include "output/line_layer.h"

namespace kal {
namespace {

struct Style {
    int n;
    double lengths[4];
};

const Style STYLES[8] = {
    {1, {1}}, {2, {1, 10}}, {2, {10, 10}}, {4, {30, 15, 10, 15}},
    {4, {1, 15, 15, 15}}, {2, {20, 15}}, {2, {1, 20}}, {2, {30, 20}},
};

void select_style(Context& ctx, int n) {
    const Style& s = STYLES[n];
    double scaled[4];
    for (int i = 0; i < s.n; ++i)
        scaled[i] = std::max(1.0, std::floor(s.lengths[i] / ctx.page.units + 0.5));
    set_dash_pattern(ctx, scaled, s.n);
    ctx.line.style = n;
}

void style_routine(Context& ctx, int n) {
    select_style(ctx, n);
}

}  // namespace

void lintyp(Context& ctx, int n) {
    if (out_of_range(ctx, n, 0, 7)) return;
    select_style(ctx, n);
}

void solid(Context& ctx) { style_routine(ctx, 0); }
void dot(Context& ctx) { style_routine(ctx, 1); }
void dash(Context& ctx) { style_routine(ctx, 2); }
void chndsh(Context& ctx) { style_routine(ctx, 3); }
void chndot(Context& ctx) { style_routine(ctx, 4); }
void dashm(Context& ctx) { style_routine(ctx, 5); }
void dotl(Context& ctx) { style_routine(ctx, 6); }
void dashl(Context& ctx) { style_routine(ctx, 7); }

void myline(Context& ctx, const int* lengths, int n) {
    if (out_of_range(ctx, n, 1, 10)) return;
    double pattern[10];
    for (int i = 0; i < n; ++i) {
        if (lengths[i] < 1) {
            warn_int(ctx, 2, lengths[i]);
            return;
        }
        pattern[i] = lengths[i];
    }
    set_dash_pattern(ctx, pattern, n);
    ctx.line.style = -1;
}

}  // namespace kal
