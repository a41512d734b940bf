#include "output/drivers/hpgl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/context.h"
#include "output/primitives.h"

namespace kal {
namespace {

// A rounded device coordinate as an int (far-off points are held within
// the int range, NaN becomes 0).
int coordinate(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

}  // namespace

void HpglDriver::command(Context& ctx, const char* text, int length) {
    ctx.out.record.write(sink(), text, length);
}

void HpglDriver::open(Context& ctx) {
    command(ctx, " SP1;", 5);
    ctx.out.record.flush_line(sink());
}

void HpglDriver::move_draw(Context& ctx, double x, double y, int pen) {
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%s%d,%d;", pen == 2 ? "PD" : "PU", coordinate(x),
                                coordinate(y));
    command(ctx, buf, n);
}

void HpglDriver::colour(Context& ctx, int value) {
    char buf[24];
    const int n = std::snprintf(buf, sizeof buf, "SP%d;", resolve_index(ctx, value));
    command(ctx, buf, n);
}

int HpglDriver::close(Context& ctx) {
    command(ctx, "PU0,0;", 6);
    return 1;
}

}  // namespace kal
