// The setters of axis systems: lengths, position, scaling, ticks, sides,
// frame, background and colours.
#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"

namespace kal {
namespace {

// Applies f to the settings of every axis the keyword names.
template <class F>
void for_axes(Context& ctx, const char* keyword, F f) {
    const int bits = axis_bits(ctx, keyword);
    for (int i = 0; i < AXIS_COUNT; ++i)
        if (bits & (1 << i)) f(ctx.axes.axis[i]);
}

bool inside_page(Context& ctx, int nx, int ny) {
    if (nx < 0 || nx > ctx.page.width) {
        warn_int(ctx, 2, nx);
        return false;
    }
    if (ny < 0 || ny > ctx.page.height) {
        warn_int(ctx, 2, ny);
        return false;
    }
    return true;
}

// Vertical page positions from the user count from the bottom with page
// origin BOTT.
int page_y(const Context& ctx, int ny) { return ctx.page.page_origin == 1 ? ctx.page.height - ny : ny; }

}  // namespace

void axslen(Context& ctx, int nx, int ny) {
    if (out_of_range(ctx, nx, 2, -1) || out_of_range(ctx, ny, 2, -1)) return;
    ctx.axes.axis[AXIS_X].length = nx;
    ctx.axes.axis[AXIS_Y].length = ny;
}

void axspos(Context& ctx, int nx, int ny) {
    if (!inside_page(ctx, nx, ny)) return;
    ctx.axes.corner_x = nx;
    ctx.axes.corner_y = page_y(ctx, ny);
}

void axsorg(Context& ctx, int nx, int ny) {
    if (!inside_page(ctx, nx, ny)) return;
    ctx.axes.origin_given = true;
    ctx.axes.origin_x = nx;
    ctx.axes.origin_y = page_y(ctx, ny);
}

void scale(Context& ctx, const char* mode, const char* axes) {
    const int i = keyword(ctx, "LIN +LOG ", mode);
    if (!i) return;
    for_axes(ctx, axes, [&](AxisSettings& a) { a.log = i == 2; });
}

void axstyp(Context& ctx, const char* type) {
    const int i = keyword(ctx, "RECT+CROS", type);
    if (i) ctx.axes.cross_type = i == 2;
}

void setgrf(Context& ctx, const char* lower_x, const char* left_y, const char* upper_x,
            const char* right_y) {
    static const char* const LIST = "NONE+LINE+TICK+LABE+NAME";
    const char* const keys[4] = {lower_x, left_y, upper_x, right_y};
    int levels[4];
    for (int i = 0; i < 4; ++i) {
        levels[i] = keyword(ctx, LIST, keys[i]) - 1;
        if (levels[i] < 0) return;
    }
    for (int i = 0; i < 4; ++i) ctx.axes.side_level[i] = levels[i];
}

void ax2grf(Context& ctx) { ctx.axes.only_two = true; }

void nograf(Context& ctx) { ctx.axes.no_draw = true; }

void ticks(Context& ctx, int n, const char* axes) {
    if (out_of_range(ctx, n, 0, 1000)) return;
    for_axes(ctx, axes, [&](AxisSettings& a) { a.ticks = n; });
}

void ticlen(Context& ctx, int major, int minor) {
    if (out_of_range(ctx, major, 1, 10000) || out_of_range(ctx, minor, 1, 10000)) return;
    ctx.axes.major_len = major;
    ctx.axes.minor_len = minor;
}

void ticpos(Context& ctx, const char* mode, const char* axes) {
    const int i = keyword(ctx, "LABE+REVE+CENT", mode);
    if (!i) return;
    for_axes(ctx, axes, [&](AxisSettings& a) { a.tick_pos = i - 1; });
}

void ticmod(Context& ctx, const char* mode, const char* axes) {
    const int i = keyword(ctx, "NONE+DAYS+MONT+QUAR+HALF+YEAR+DMON", mode);
    if (!i) return;
    for_axes(ctx, axes, [&](AxisSettings& a) { a.tick_mode = i - 1; });
}

void logtic(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "AUTO+FULL", mode);
    if (i) ctx.axes.log_full = i == 2;
}

void noline(Context& ctx, const char* axes) {
    for_axes(ctx, axes, [](AxisSettings& a) { a.line = false; });
}

void frame(Context& ctx, int thickness) { ctx.axes.frame = thickness; }

void frmclr(Context& ctx, int colour) {
    if (out_of_range(ctx, colour, -1, -2)) return;
    ctx.axes.frame_colour = colour;
}

void axsbgd(Context& ctx, int colour) {
    if (out_of_range(ctx, colour, -1, -2)) return;
    ctx.axes.background = colour;
}

// axclrs colours the axis line, the ticks, the labels, the name, or all of
// them; -1 draws the part in the current colour.
void axclrs(Context& ctx, int colour, const char* part, const char* axes) {
    if (out_of_range(ctx, colour, -1, -2)) return;
    const int i = keyword(ctx, "LINE+TICK+LABE+NAME+ALL ", part);
    if (!i) return;
    for_axes(ctx, axes, [&](AxisSettings& a) {
        for (int p = 0; p < AXPART_COUNT; ++p)
            if (i == 5 || i - 1 == p) a.colour[p] = colour;
    });
}

}  // namespace kal
