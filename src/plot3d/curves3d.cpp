// Curves, lines and arrows through 3-D user points.
#include <cmath>
#include <cstdlib>
#include <new>

#include "api/routines_3_d_axis_systems.h"
#include "core/context.h"
#include "plot2d/curves.h"
#include "plot2d/figures.h"
#include "plot3d/segment3d.h"

namespace kal {
namespace {

bool placeable(const Context& ctx, double x, double y, double z) {
    const AxisState& a = ctx.axes;
    return on_axis(a.x, x) && on_axis(a.y, y) && on_axis(a.z, z);
}

// The plot point of an absolute point that the clipping of the setting
// keeps; false for a clipped one.
bool visible_point(Context& ctx, const ClipPlanes& planes, const Vec3& p, PlotPoint& q) {
    Vec3 a = p, b = p;
    if (!clip_segment3d(planes, a, b)) return false;
    q = abs_to_plot(ctx.view3d.view_matrix, p);
    return true;
}

}  // namespace

void curv3d(Context& ctx, const float* x, const float* y, const float* z, int n) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    if (!need_graf3d(ctx)) return;
    const CurveState& c = ctx.curves;
    const CurveLook look = begin_curve_look(ctx);
    record_curve(ctx, current_record(ctx));
    bool skipped = false;
    if (c.marker_step >= 0) {
        Path3d path(ctx, CLIP3D_SETTING);
        bool broken = true;
        for (int i = 0; i < n; ++i) {
            if (!placeable(ctx, x[i], y[i], z[i])) {
                skipped = broken = true;
                continue;
            }
            const Vec3 p = user_to_abs(ctx, x[i], y[i], z[i]);
            if (broken)
                path.move(p);
            else
                path.draw(p);
            broken = false;
        }
        path.finish();
    }
    if (c.marker_step != 0) {
        const ClipPlanes planes = clip_planes(ctx, CLIP3D_SETTING);
        const int step = std::abs(c.marker_step);
        for (int i = 0; i < n; i += step) {
            PlotPoint q;
            if (!placeable(ctx, x[i], y[i], z[i])) {
                skipped = true;
                continue;
            }
            if (visible_point(ctx, planes, user_to_abs(ctx, x[i], y[i], z[i]), q)) plot_symbol(ctx, c.marker, q.x, q.y);
        }
    }
    end_curve_look(ctx, look);
    if (skipped) warn_text(ctx, 2, "points not on the axes left out");
}

void strt3d(Context& ctx, float x, float y, float z) {
    if (!need_graf3d(ctx)) return;
    if (!placeable(ctx, x, y, z)) {
        warn_text(ctx, 2, "value not on the axis");
        return;
    }
    View3dState& v = ctx.view3d;
    v.pen = user_to_abs(ctx, x, y, z);
    v.pen_set = true;
}

void conn3d(Context& ctx, float x, float y, float z) {
    if (!need_graf3d(ctx)) return;
    if (!placeable(ctx, x, y, z)) {
        warn_text(ctx, 2, "value not on the axis");
        return;
    }
    View3dState& v = ctx.view3d;
    const Vec3 p = user_to_abs(ctx, x, y, z);
    if (v.pen_set) segment3d(ctx, v.pen, p, CLIP3D_SETTING);
    v.pen = p;
    v.pen_set = true;
}

void vectr3(Context& ctx, float x1, float y1, float z1, float x2, float y2, float z2, int ivec) {
    if (!need_graf3d(ctx)) return;
    if (!placeable(ctx, x1, y1, z1) || !placeable(ctx, x2, y2, z2)) {
        warn_text(ctx, 2, "value not on the axis");
        return;
    }
    Vec3 a = user_to_abs(ctx, x1, y1, z1), b = user_to_abs(ctx, x2, y2, z2);
    if (!clip_segment3d(clip_planes(ctx, CLIP3D_SETTING), a, b)) return;
    const ViewMatrix& m = ctx.view3d.view_matrix;
    const PlotPoint p = abs_to_plot(m, a), q = abs_to_plot(m, b);
    draw_arrow(ctx, p.x, p.y, q.x, q.y, ivec);
}

}  // namespace kal
