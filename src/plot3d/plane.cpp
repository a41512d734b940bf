// grfini and grffin: 2-D routines drawing into a plane of the 3-D system
// through the line layer's projection hook.
#include <cmath>
#include <vector>

#include "api/routines_3_d_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"
#include "plot2d/curves.h"
#include "plot3d/axes3d.h"
#include "plot3d/segment3d.h"

namespace kal {
namespace {

// Cuts the segment to [0, w] x [0, h]; false when nothing remains.
bool cut_to_page(double w, double h, double& x1, double& y1, double& x2, double& y2) {
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1, w - x1, y1, h - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const double ax = x1, ay = y1;
    x1 = ax + t0 * dx;
    y1 = ay + t0 * dy;
    x2 = ax + t1 * dx;
    y2 = ay + t1 * dy;
    return true;
}

// Sutherland-Hodgman against the page rectangle.
void cut_polygon(double w, double h, std::vector<double>& x, std::vector<double>& y) {
    for (int edge = 0; edge < 4 && !x.empty(); ++edge) {
        auto inside = [&](double px, double py) {
            return edge == 0 ? px >= 0 : edge == 1 ? px <= w : edge == 2 ? py >= 0 : py <= h;
        };
        std::vector<double> ox, oy;
        const size_t n = x.size();
        for (size_t k = 0; k < n; ++k) {
            const double ax = x[k], ay = y[k], bx = x[(k + 1) % n], by = y[(k + 1) % n];
            const bool ia = inside(ax, ay), ib = inside(bx, by);
            if (ia) ox.push_back(ax), oy.push_back(ay);
            if (ia != ib) {
                const double t = edge < 2 ? ((edge == 0 ? 0 : w) - ax) / (bx - ax) : ((edge == 2 ? 0 : h) - ay) / (by - ay);
                ox.push_back(ax + t * (bx - ax));
                oy.push_back(ay + t * (by - ay));
            }
        }
        x.swap(ox);
        y.swap(oy);
    }
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

void PlaneProjection::project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) {
    if (!ctx || n < 1) return;
    const Context& c = *ctx;
    const double w = std::max(1, c.page.width), h = std::max(1, c.page.height);
    const ViewMatrix& m = c.view3d.view_matrix;
    const double ox = c.page.origin_x, oy = c.page.origin_y;
    const ClipPlanes planes = clip_planes(c, CLIP3D_FRONT_ONLY);
    auto onto = [&](double px, double py) {
        const double u = px / w, v = (h - py) / h;
        return Vec3{p1.x + u * e1.x + v * e2.x, p1.y + u * e1.y + v * e2.y, p1.z + u * e1.z + v * e2.z};
    };
    std::vector<double> rx, ry;
    if (closed) {
        std::vector<double> px(x, x + n), py(y, y + n);
        cut_polygon(w, h, px, py);
        std::vector<Vec3> poly;
        for (size_t i = 0; i < px.size(); ++i) poly.push_back(onto(px[i], py[i]));
        clip_polygon3d(planes, poly);
        for (const Vec3& v : poly) {
            const PlotPoint q = abs_to_plot(m, v);
            rx.push_back(q.x + ox);
            ry.push_back(q.y + oy);
        }
        if (rx.size() >= 3) out.piece(int(rx.size()), rx.data(), ry.data());
        return;
    }
    auto emit = [&] {
        if (rx.size() >= 2) out.piece(int(rx.size()), rx.data(), ry.data());
        rx.clear();
        ry.clear();
    };
    auto add = [&](const Vec3& v) {
        const PlotPoint q = abs_to_plot(m, v);
        rx.push_back(q.x + ox);
        ry.push_back(q.y + oy);
    };
    if (n == 1) return;
    bool joined = false;
    for (int i = 1; i < n; ++i) {
        double x1 = x[i - 1], y1 = y[i - 1], x2 = x[i], y2 = y[i];
        if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
            !cut_to_page(w, h, x1, y1, x2, y2)) {
            emit();
            joined = false;
            continue;
        }
        const bool start_whole = x1 == x[i - 1] && y1 == y[i - 1];
        const bool end_whole = x2 == x[i] && y2 == y[i];
        Vec3 a = onto(x1, y1), b = onto(x2, y2);
        const Vec3 a0 = a, b0 = b;
        if (!finite(a) || !clip_segment3d(planes, a, b)) {
            emit();
            joined = false;
            continue;
        }
        const bool a_kept = a.x == a0.x && a.y == a0.y && a.z == a0.z;
        if (!(joined && start_whole && a_kept)) {
            emit();
            add(a);
        }
        add(b);
        joined = end_whole && b.x == b0.x && b.y == b0.y && b.z == b0.z;
    }
    emit();
}

void grfini(Context& ctx, float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3) {
    if (!need_graf3d(ctx)) return;
    const Vec3 p[3] = {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}};
    const ViewMatrix& m = ctx.view3d.view_matrix;
    // The page's fourth corner P1 + (P3 - P2) is in the plane too.
    const Vec3 p4{x1 + x3 - x2, y1 + y3 - y2, z1 + z3 - z2};
    for (const Vec3& v : {p[0], p[1], p[2], p4}) {
        if (!finite(v) || !(to_eye(m, v).z > m.front)) {
            warn(ctx, 2);
            return;
        }
    }
    View3dState& s = ctx.view3d;
    line_flush(ctx);
    s.saved_x = ctx.axes.x;
    s.saved_y = ctx.axes.y;
    s.saved_z = ctx.axes.z;
    s.saved_mapping = ctx.axes.mapping;
    s.plane_map.ctx = &ctx;
    s.plane_map.p1 = p[0];
    s.plane_map.e1 = {x2 - x1, y2 - y1, z2 - z1};
    s.plane_map.e2 = {x3 - x2, y3 - y2, z3 - z2};
    s.plane = true;
    ctx.line.projection = &s.plane_map;
    ctx.axes.mapping = nullptr;
    ctx.frame.level = 1;
}

void grffin(Context& ctx) {
    View3dState& s = ctx.view3d;
    if (!s.plane) {
        warn(ctx, 34);
        return;
    }
    line_flush(ctx);
    if (ctx.line.projection == &s.plane_map) ctx.line.projection = nullptr;
    s.plane = false;
    ctx.axes.x = s.saved_x;
    ctx.axes.y = s.saved_y;
    ctx.axes.z = s.saved_z;
    ctx.axes.mapping = s.saved_mapping;
    ctx.axes.crossed = false;
    ctx.frame.level = 3;
    forget_curves(ctx);
    set_system_clipping(ctx);
}

// Ends a plane left open when a new axis system starts.
void end_plane(Context& ctx) {
    View3dState& s = ctx.view3d;
    if (!s.plane) return;
    line_flush(ctx);
    if (ctx.line.projection == &s.plane_map) ctx.line.projection = nullptr;
    s.plane = false;
}

}  // namespace kal
