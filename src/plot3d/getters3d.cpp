// The getters of the axis lengths with the colour bar, the bar settings and
// the rectangles of colour points.
#include <cmath>

#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"
#include "plot2d/plot_options.h"

namespace kal {

void getlen(Context& ctx, int* nx, int* ny, int* nz) {
    *nx = ctx.axes.axis[AXIS_X].length;
    *ny = ctx.axes.axis[AXIS_Y].length;
    // Without ax3len the colour bar is as long as the Y axis.
    *nz = ctx.view3d.bar_length > 0 ? ctx.view3d.bar_length : *ny;
}

void getvk(Context& ctx, int* ntit, int* nxbar, int* nybar) {
    *ntit = ctx.labels.title.shift;
    *nxbar = ctx.view3d.bar_shift_x;
    *nybar = ctx.view3d.bar_shift_y;
}

int getwid(Context& ctx) {
    if (ctx.view3d.bar_width >= 0) return ctx.view3d.bar_width;
    const double u = ctx.page.units > 0 ? ctx.page.units : 1.0;
    return int(std::lround(85 / u));
}

void getres(Context& ctx, int* npb, int* nph) {
    double w, h;
    colour_point_size(ctx, w, h);
    *npb = int(std::lround(w));
    *nph = int(std::lround(h));
}

}  // namespace kal
