#include "output/drivers/hpgl.h"

#include <algorithm>
#include <charconv>
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

// "PU%d,%d;" or "PD%d,%d;" (the blank-free form of "%s%8d,%8d;").
void HpglDriver::move_draw(Context& ctx, double x, double y, int pen) {
    char buf[40] = {'P', pen == 2 ? 'D' : 'U'};
    char* end = std::to_chars(buf + 2, buf + 14, coordinate(x)).ptr;  // at most 11 characters each
    *end++ = ',';
    end = std::to_chars(end, end + 12, coordinate(y)).ptr;
    *end++ = ';';
    command(ctx, buf, static_cast<int>(end - buf));
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
