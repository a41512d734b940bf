#include "output/drivers/vekmet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/context.h"
#include "output/primitives.h"

namespace kal {

void VekmetDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    const double us = p.units * p.scale;
    double w = p.width * us * 0.01;
    double h = p.height * us * 0.01;
    if (p.rotation_mode == 1) std::swap(w, h);
    sink().format("%10.1f%10.1f\n", w, h);
    last_pen_ = 0;
}

// Readers split lines into ten-character fields: a value that "%10.7f"
// would write wider (a point far off the page) is clamped to the widest
// that fits, and what is not a number becomes 0.
void VekmetDriver::field(Context& ctx, double value) {
    value = std::isnan(value) ? 0.0 : std::clamp(value, -9.9999999, 99.9999999);
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%10.7f", value);
    ctx.out.record.write(sink(), buf, n);
}

void VekmetDriver::move_draw(Context& ctx, double x, double y, int pen) {
    field(ctx, x);
    field(ctx, y);
    if (pen != last_pen_) {
        field(ctx, pen == 2 ? 2.0 : 3.0);
        last_pen_ = pen;
    }
}

void VekmetDriver::colour(Context& ctx, int value) {
    const int index = resolve_index(ctx, value);
    int c = index == 0 ? 256 : index;
    int q = c / 89;
    int r = c % 89;
    if (r == 0) {
        r = 89;
        --q;
    }
    for (int i = 0; i < q; ++i) field(ctx, 99.0);
    field(ctx, r + 9.0);
}

int VekmetDriver::close(Context& ctx) {
    field(ctx, 9.0);
    last_pen_ = 0;
    return 1;
}

}  // namespace kal
