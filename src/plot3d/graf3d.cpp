// graf3d: the 3-D axis system (scaling, view, axes), its box and grids, and
// the conversions between user, absolute 3-D and plot coordinates.
#include <cmath>

#include "api/routines_3_d_axis_systems.h"
#include "colour3d/colour.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot2d/curves.h"
#include "plot3d/axes3d.h"
#include "plot3d/horizon.h"
#include "plot3d/segment3d.h"

namespace kal {
namespace {

double mirrored(const Context& ctx, double y) { return ctx.page.page_origin == 1 ? ctx.page.height - y : y; }

// A user point that the axes can place; warning 2 otherwise.
bool placeable(Context& ctx, double x, double y, double z) {
    const AxisState& a = ctx.axes;
    if (on_axis(a.x, x) && on_axis(a.y, y) && on_axis(a.z, z)) return true;
    warn_text(ctx, 2, "value not on the axis");
    return false;
}

bool finite_point(Context& ctx, double x, double y, double z) {
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) return true;
    warn(ctx, 2);
    return false;
}

PlotPoint plot_of(const Context& ctx, const Vec3& p) {
    const PlotPoint q = abs_to_plot(ctx.view3d.view_matrix, p);
    return {q.x, mirrored(ctx, q.y)};
}

// The grid lines of one box plane: lines of constant `a` (n per label step
// of its axis) from `lo` to `hi` of the second direction, at the plane
// coordinate fixed in `base`.
void plane_lines(Context& ctx, Path3d& path, int axis, int n, const Vec3& base, const Vec3& across, double span) {
    const AxisScale& sc = axis == AXIS_X ? ctx.axes.x : axis == AXIS_Y ? ctx.axes.y : ctx.axes.z;
    if (n <= 0 || !(sc.e != sc.a)) return;
    TickSpec spec = axis_ticks(ctx, axis, sc.a, sc.e, sc.first, sc.step, sc.log);
    spec.per_step = n;
    const View3dState& v = ctx.view3d;
    const double l = axis == AXIS_X ? v.xl : axis == AXIS_Y ? v.yl : v.zl;
    for (const TickMark& t : tick_marks(spec)) {
        const double c = (t.value - sc.a) * l / (sc.e - sc.a) - l / 2;
        Vec3 p = base;
        (axis == AXIS_X ? p.x : axis == AXIS_Y ? p.y : p.z) = c;
        path.move(p);
        path.draw({p.x + across.x * span, p.y + across.y * span, p.z + across.z * span});
    }
}

}  // namespace

void graf3d(Context& ctx, float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep,
            float za, float ze, float zorg, float zstep) {
    end_plane(ctx);
    drop_kept_horizon(ctx);  // a surface's horizon hides only in its own system
    AxisState& s = ctx.axes;
    AxisScale x, y, z;
    const int lx = s.axis[AXIS_X].length, ly = s.axis[AXIS_Y].length;
    const bool ok = scale_axis(ctx, AXIS_X, xa, xe, xorg, xstep, lx, s.corner_x, x) &&
                    scale_axis(ctx, AXIS_Y, ya, ye, yorg, ystep, ly, s.corner_y, y) &&
                    scale_axis(ctx, AXIS_Z, za, ze, zorg, zstep, s.axis[AXIS_Z].length, 0, z);
    if (!ok) return;
    s.x = x;
    s.y = y;
    s.z = z;
    s.crossed = false;
    s.mapping = &VIEW3D_MAPPING;
    ctx.view3d.plane = false;
    ctx.view3d.pen_set = false;
    ctx.frame.level = 3;
    set_system_clipping(ctx);
    compute_view(ctx);
    if (!s.no_draw) draw_axes3d(ctx);
}

void box3d(Context& ctx) {
    if (!need_graf3d(ctx)) return;
    const View3dState& v = ctx.view3d;
    const double hx = v.xl / 2, hy = v.yl / 2, hz = v.zl / 2;
    Path3d path(ctx, CLIP3D_FRONT_ONLY);
    for (double z : {-hz, hz}) {
        path.move({-hx, -hy, z});
        path.draw({hx, -hy, z});
        path.draw({hx, hy, z});
        path.draw({-hx, hy, z});
        path.draw({-hx, -hy, z});
    }
    for (double x : {-hx, hx})
        for (double y : {-hy, hy}) {
            path.move({x, y, -hz});
            path.draw({x, y, hz});
        }
    path.finish();
}

void grid3d(Context& ctx, int nx, int ny, const char* option) {
    const int k = keyword(ctx, "ALL +BACK+BOTT", option);
    if (k == 0 || out_of_range(ctx, nx, 0, -1) || out_of_range(ctx, ny, 0, -1) || !need_graf3d(ctx)) return;
    const View3dState& v = ctx.view3d;
    const ViewMatrix& m = v.view_matrix;
    const double hx = v.xl / 2, hy = v.yl / 2, hz = v.zl / 2;
    // The walls farther from the view point.
    const double wy = m.eye.y > 0 ? -hy : hy, wx = m.eye.x > 0 ? -hx : hx;
    Path3d path(ctx, CLIP3D_FRONT_ONLY);
    if (k != 2) {  // bottom: x lines nx, y lines ny per label step
        plane_lines(ctx, path, AXIS_X, nx, {0, -hy, -hz}, {0, 1, 0}, v.yl);
        plane_lines(ctx, path, AXIS_Y, ny, {-hx, 0, -hz}, {1, 0, 0}, v.xl);
    }
    if (k != 3) {  // walls: the horizontal axis nx, z ny
        plane_lines(ctx, path, AXIS_X, nx, {0, wy, -hz}, {0, 0, 1}, v.zl);
        plane_lines(ctx, path, AXIS_Z, ny, {-hx, wy, 0}, {1, 0, 0}, v.xl);
        plane_lines(ctx, path, AXIS_Y, nx, {wx, 0, -hz}, {0, 0, 1}, v.zl);
        plane_lines(ctx, path, AXIS_Z, ny, {wx, -hy, 0}, {0, 1, 0}, v.yl);
    }
    path.finish();
}

int nzposn(Context& ctx, float z) {
    if (!std::isfinite(z) || (ctx.axes.z.log && z <= 0)) {
        warn_text(ctx, 2, "value not on the axis");
        return 0;
    }
    return colour_index(ctx, z);
}

void pos3pt(Context& ctx, float x, float y, float z, float* xp, float* yp, float* zp) {
    *xp = *yp = *zp = 0;
    if (!need_graf3d(ctx) || !placeable(ctx, x, y, z)) return;
    const Vec3 p = user_to_abs(ctx, x, y, z);
    *xp = float(p.x);
    *yp = float(p.y);
    *zp = float(p.z);
}

float x3dpos(Context& ctx, float x, float y, float z) {
    float r[3];
    pos3pt(ctx, x, y, z, r, r + 1, r + 2);
    return r[0];
}
float y3dpos(Context& ctx, float x, float y, float z) {
    float r[3];
    pos3pt(ctx, x, y, z, r, r + 1, r + 2);
    return r[1];
}
float z3dpos(Context& ctx, float x, float y, float z) {
    float r[3];
    pos3pt(ctx, x, y, z, r, r + 1, r + 2);
    return r[2];
}

void abs3pt(Context& ctx, float x, float y, float z, float* xp, float* yp) {
    *xp = *yp = 0;
    if (!need_graf3d(ctx) || !finite_point(ctx, x, y, z)) return;
    const PlotPoint q = plot_of(ctx, {x, y, z});
    *xp = float(q.x);
    *yp = float(q.y);
}

float x3dabs(Context& ctx, float x, float y, float z) {
    float r[2];
    abs3pt(ctx, x, y, z, r, r + 1);
    return r[0];
}
float y3dabs(Context& ctx, float x, float y, float z) {
    float r[2];
    abs3pt(ctx, x, y, z, r, r + 1);
    return r[1];
}

void rel3pt(Context& ctx, float x, float y, float z, float* xp, float* yp) {
    *xp = *yp = 0;
    if (!need_graf3d(ctx) || !placeable(ctx, x, y, z)) return;
    const PlotPoint q = plot_of(ctx, user_to_abs(ctx, x, y, z));
    *xp = float(q.x);
    *yp = float(q.y);
}

float x3drel(Context& ctx, float x, float y, float z) {
    float r[2];
    rel3pt(ctx, x, y, z, r, r + 1);
    return r[0];
}
float y3drel(Context& ctx, float x, float y, float z) {
    float r[2];
    rel3pt(ctx, x, y, z, r, r + 1);
    return r[1];
}

namespace {
// x2dpos and y2dpos: the x-y plane of the open system (graf3: its axes;
// graf3d: the plane of the lower z limit).
bool plane_point(Context& ctx, float x, float y, PlotPoint& q) {
    const AxisState& a = ctx.axes;
    if (!on_axis(a.x, x) || !on_axis(a.y, y)) {
        warn_text(ctx, 2, "value not on the axis");
        return false;
    }
    q = graf3d_open(ctx) ? user_to_plot(ctx, x, y) : frame_to_plot(ctx, x, y);
    q.y = mirrored(ctx, q.y);
    return true;
}
}  // namespace

float x2dpos(Context& ctx, float x, float y) {
    PlotPoint q;
    return plane_point(ctx, x, y, q) ? float(q.x) : 0.0f;
}

float y2dpos(Context& ctx, float x, float y) {
    PlotPoint q;
    return plane_point(ctx, x, y, q) ? float(q.y) : 0.0f;
}

}  // namespace kal
