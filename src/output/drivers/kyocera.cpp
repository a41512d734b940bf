#include "output/drivers/kyocera.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/context.h"
#include "output/primitives.h"

namespace kal {
namespace {

int coordinate(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

// v as "%4d" would write it: right-aligned in at least four characters.
char* field4(char* out, char* limit, int v) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    const long n = end - digits;
    for (long i = n; i < 4 && out < limit; ++i) *out++ = ' ';
    return std::copy(digits, digits + std::min<long>(n, limit - out), out);
}

}  // namespace

const unsigned char KyoceraDriver::PATTERNS[9][8] = {
    {128, 0, 0, 0, 0, 0, 0, 0},         {128, 0, 0, 0, 8, 0, 0, 0},
    {128, 0, 0, 32, 0, 0, 4, 0},        {128, 8, 0, 0, 64, 4, 0, 0},
    {128, 16, 2, 0, 32, 0, 8, 1},       {128, 16, 2, 64, 8, 1, 32, 4},
    {170, 0, 85, 0, 170, 0, 85, 0},     {170, 85, 170, 85, 170, 85, 170, 85},
    {255, 255, 255, 255, 255, 255, 255, 255},
};

void KyoceraDriver::command(Context& ctx, const char* text, int length) {
    ctx.out.record.write(sink(), text, length);
}

void KyoceraDriver::open(Context& ctx) {
    const bool landscape = ctx.page.height < ctx.page.width;
    const char* setup[2] = {
        landscape ? "!R! UNIT C;SPO L;SLM 0;" : "!R! UNIT C;SPO P;SLM 0;",
        landscape ? "SRM 28.7;STM 0;SBM 20;" : "SRM 20;STM 0;SBM 28.7;",
    };
    for (const char* line : setup) {
        command(ctx, line, static_cast<int>(std::strlen(line)));
        ctx.out.record.flush_line(sink());
    }
    command(ctx, "UNIT D;", 7);
}

// "MAP %4d,%4d;" or "DAP %4d,%4d;".
void KyoceraDriver::move_draw(Context& ctx, double x, double y, int pen) {
    char buf[48];
    std::memcpy(buf, pen == 2 ? "DAP " : "MAP ", 4);
    char* end = field4(buf + 4, buf + 16, coordinate(x));
    *end++ = ',';
    end = field4(end, end + 12, coordinate(y));
    *end++ = ';';
    command(ctx, buf, static_cast<int>(end - buf));
}

// The colour picks a pattern: its table index (direct colours: the nearest
// entry) modulo 10, where 0 fills nothing.
bool KyoceraDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const int k = resolve_index(ctx, value) % 10;
    if (k == 0) return true;
    // Only the part on the page: a window opened to the int range would
    // otherwise give a block size beyond any printer (or the int range).
    x1 = std::max(x1, 0.0);
    y1 = std::max(y1, 0.0);
    x2 = std::min(x2, double(ctx.page.width));
    y2 = std::min(y2, double(ctx.page.height));
    if (!(x1 <= x2) || !(y1 <= y2)) return true;
    const DevicePoint a = device_point(ctx, x1, y1), b = device_point(ctx, x2, y2);
    const int X1 = coordinate(a.x), Y1 = coordinate(a.y), X2 = coordinate(b.x), Y2 = coordinate(b.y);
    const unsigned char* p = PATTERNS[k - 1];
    char buf[96];
    int n = std::snprintf(buf, sizeof buf, "MAP %4d,%4d; ", X1, Y1);
    command(ctx, buf, n);
    n = std::snprintf(buf, sizeof buf, "FPAT %3d,%3d,%3d,%3d,%3d,%3d,%3d,%3d; ", p[0], p[1], p[2], p[3], p[4],
                      p[5], p[6], p[7]);
    command(ctx, buf, n);
    n = std::snprintf(buf, sizeof buf, "BLK %4lld,%4lld; ", static_cast<long long>(X2) - X1 + 1,
                      static_cast<long long>(Y2) - Y1 + 1);
    command(ctx, buf, n);
    return true;
}

void KyoceraDriver::new_page(Context& ctx) { command(ctx, "PAGE;", 5); }

int KyoceraDriver::close(Context& ctx) {
    command(ctx, "RES;EXIT;", 9);
    return 1;
}

}  // namespace kal
