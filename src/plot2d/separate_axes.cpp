// Separate axes (xaxis, xaxlg, yaxis, yaxlg): one axis with ticks, labels
// and name anywhere on the page, independent of the open system.
#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"
#include "plot2d/label_values.h"

namespace kal {

void separate_axis(Context& ctx, int axis, int label_axis, bool log, double a, double e, double first,
                   double step, int length, const char* name, int side_flag, int nx, int ny, bool check) {
    if (!check) {
        // The caller checked.
    } else if (length < 2) {
        warn_int(ctx, 11, length);
        return;
    } else if (nx < 0) {
        warn_int(ctx, 4, nx);
        return;
    } else if (ny < 0) {
        warn_int(ctx, 5, ny);
        return;
    } else if (!check_axis(ctx, a, e, first, step)) {
        return;
    }
    const AxisSettings& set = ctx.axes.axis[label_axis];
    DrawnAxis d;
    d.axis = axis;
    d.label_axis = label_axis;
    d.side = axis == AXIS_X ? (side_flag == 0 ? 1 : 3) : (side_flag == 0 ? 4 : 2);
    d.length = length;
    d.x0 = nx;
    d.y0 = ctx.page.page_origin == 1 ? ctx.page.height - double(ny) : double(ny);
    d.tick_pos = set.tick_pos;
    d.name = name;
    d.ticks = axis_ticks(ctx, label_axis, a, e, first, step, log);
    draw_side(ctx, d);
}

// The name argument is drawn as the name of the separate axis, in place of
// the name setting of its axis; the separate axis does not keep it.
void xaxis(Context& ctx, float a, float e, float first, float step, int length, const char* name,
           int side_flag, int nx, int ny) {
    separate_axis(ctx, AXIS_X, AXIS_X, false, a, e, first, step, length, name, side_flag, nx, ny);
}

void xaxlg(Context& ctx, float a, float e, float first, float step, int length, const char* name,
           int side_flag, int nx, int ny) {
    separate_axis(ctx, AXIS_X, AXIS_X, true, a, e, first, step, length, name, side_flag, nx, ny);
}

void yaxis(Context& ctx, float a, float e, float first, float step, int length, const char* name,
           int side_flag, int nx, int ny) {
    separate_axis(ctx, AXIS_Y, AXIS_Y, false, a, e, first, step, length, name, side_flag, nx, ny);
}

void yaxlg(Context& ctx, float a, float e, float first, float step, int length, const char* name,
           int side_flag, int nx, int ny) {
    separate_axis(ctx, AXIS_Y, AXIS_Y, true, a, e, first, step, length, name, side_flag, nx, ny);
}

}  // namespace kal
