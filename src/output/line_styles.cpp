// Line styles: the predefined dash patterns and user patterns.
#include <cmath>

#include "api/routines.h"
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
}

void style_routine(const char* name, int n) {
    Context* c = level_check(1, 3, name);
    if (c) select_style(*c, n);
}

}  // namespace

void lintyp(int n) {
    Context* c = level_check(1, 3, "lintyp");
    if (!c || out_of_range(*c, n, 0, 7)) return;
    select_style(*c, n);
}

void solid() { style_routine("solid", 0); }
void dot() { style_routine("dot", 1); }
void dash() { style_routine("dash", 2); }
void chndsh() { style_routine("chndsh", 3); }
void chndot() { style_routine("chndot", 4); }
void dashm() { style_routine("dashm", 5); }
void dotl() { style_routine("dotl", 6); }
void dashl() { style_routine("dashl", 7); }

void myline(const int* lengths, int n) {
    Context* c = level_check(1, 3, "myline");
    if (!c || out_of_range(*c, n, 1, 10)) return;
    double pattern[10];
    for (int i = 0; i < n; ++i) {
        if (lengths[i] < 1) {
            warn_int(*c, 2, lengths[i]);
            return;
        }
        pattern[i] = lengths[i];
    }
    set_dash_pattern(*c, pattern, n);
}

}  // namespace kal
