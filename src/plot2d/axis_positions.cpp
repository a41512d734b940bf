// Public conversions between user coordinates of the open axis system and
// plot positions.
#include <cmath>

#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_system.h"

namespace kal {
namespace {

// Log axes take positive values only.
bool convertible(Context& ctx, const AxisScale& s, double v) {
    if (!std::isfinite(v) || (s.log && v <= 0)) {
        warn_text(ctx, 2, "value not on the axis");
        return false;
    }
    return true;
}

bool not_polar(Context& ctx, const char* text) {
    if (!ctx.axes.polar) return true;
    custom_warning(ctx, 101, text);
    return false;
}

double mirrored(const Context& ctx, double y) {
    return ctx.page.page_origin == 1 ? ctx.page.height - y : y;
}

}  // namespace

int nxposn(Context& ctx, float x) {
    if (!convertible(ctx, ctx.axes.x, x)) return 0;
    return clamp_int(std::trunc(x_plot(ctx, x) + 0.5));
}

int nyposn(Context& ctx, float y) {
    if (!not_polar(ctx, "NYPOSN does not work for polar axis systems")) return 0;
    if (!convertible(ctx, ctx.axes.y, y)) return 0;
    return clamp_int(mirrored(ctx, std::trunc(y_plot(ctx, y) + 0.5)));
}

float xposn(Context& ctx, float x) {
    if (!convertible(ctx, ctx.axes.x, x)) return 0;
    return float(x_plot(ctx, x));
}

float yposn(Context& ctx, float y) {
    if (!not_polar(ctx, "YPOSN does not work for polar axis systems")) return 0;
    if (!convertible(ctx, ctx.axes.y, y)) return 0;
    return float(mirrored(ctx, y_plot(ctx, y)));
}

float xinvrs(Context& ctx, int nx) { return float(x_user(ctx, nx)); }

float yinvrs(Context& ctx, int ny) { return float(y_user(ctx, mirrored(ctx, ny))); }

}  // namespace kal
