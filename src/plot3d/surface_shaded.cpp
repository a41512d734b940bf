// The drawing of shaded surfaces: FLAT polygons by depth order, SMOOTH
// triangles through the depth buffer, both in value colours or one colour
// and lit by the lights of the surface part.
#include "plot3d/surface_shaded.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "colour3d/colour.h"
#include "contour/shading.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot3d/horizon.h"
#include "plot3d/lighting.h"
#include "plot3d/segment3d.h"
#include "plot3d/zbuffer.h"

namespace kal {
namespace {

double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 plus(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vec3 unit(const Vec3& v) {
    const double l = std::sqrt(dot(v, v));
    return l >= 1e-35 ? Vec3{v.x / l, v.y / l, v.z / l} : v;
}

bool inside(const ClipPlanes& planes, const Vec3& p) {
    for (int i = 0; i < planes.count; ++i) {
        const ClipPlanes::Plane& q = planes.plane[i];
        if (dot(q.n, p) + q.c < 0) return false;
    }
    return true;
}

int corners(const std::array<int, 4>& f) { return f[3] < 0 ? 3 : 4; }

// The unit normal of a face, turned towards the view point: the cross
// product of the diagonals of a quadrilateral, of two edges of a triangle.
// Both sides of a surface are lit alike whichever way its data run.
Vec3 face_normal(const FaceMesh& mesh, const std::array<int, 4>& f, const Vec3& eye) {
    const Vec3* p[4];
    const int n = corners(f);
    for (int k = 0; k < n; ++k) p[k] = &mesh.point[size_t(f[size_t(k)])];
    const Vec3 c = n == 4 ? cross(minus(*p[2], *p[0]), minus(*p[3], *p[1]))
                          : cross(minus(*p[1], *p[0]), minus(*p[2], *p[0]));
    Vec3 centre{};
    for (int k = 0; k < n; ++k) centre = plus(centre, *p[k]);
    centre = {centre.x / n, centre.y / n, centre.z / n};
    const Vec3 nn = unit(c);
    return dot(nn, minus(eye, centre)) < 0 ? Vec3{-nn.x, -nn.y, -nn.z} : nn;
}

bool usable(const FaceMesh& mesh, const std::array<int, 4>& f) {
    const int n = corners(f);
    for (int k = 0; k < n; ++k) {
        const int i = f[size_t(k)];
        if (i < 0 || size_t(i) >= mesh.point.size() || !finite(mesh.point[size_t(i)])) return false;
        if (!mesh.value.empty() && !std::isfinite(mesh.value[size_t(i)])) return false;
    }
    return true;
}

int point_colour(const Context& ctx, const FaceMesh& mesh, int i) {
    return mesh.value.empty() ? mesh.colour : colour_index(ctx, mesh.value[size_t(i)]);
}

void draw_smooth(Context& ctx, const FaceMesh& mesh) {
    ZBufferUse zbuffer(ctx);
    if (!zbuffer.ok()) return;
    const ViewMatrix& v = ctx.view3d.view_matrix;
    const bool lit = lighting_on(ctx);
    const size_t np = mesh.point.size();
    std::vector<char> used(mesh.face.size());
    // Faces reaching before the front plane have no place on the page.
    const ClipPlanes front = clip_planes(ctx, CLIP3D_FRONT_ONLY);
    // Corner normals: the normalised sum of the normals of the faces there.
    std::vector<Vec3> normal(lit ? np : 0);
    for (size_t k = 0; k < mesh.face.size(); ++k) {
        const auto& f = mesh.face[k];
        used[k] = usable(mesh, f);
        for (int c = 0; c < corners(f) && used[k]; ++c) used[k] = inside(front, mesh.point[size_t(f[size_t(c)])]);
        if (!used[k] || !lit) continue;
        const Vec3 n = face_normal(mesh, f, v.eye);
        for (int c = 0; c < corners(f); ++c) normal[size_t(f[size_t(c)])] = plus(normal[size_t(f[size_t(c)])], n);
    }
    std::vector<ZVertex> z(np);
    for (size_t i = 0; i < np; ++i) {
        const Vec3& p = mesh.point[i];
        if (!finite(p)) continue;
        const PlotPoint q = abs_to_plot(v, p);
        z[i].x = q.x;
        z[i].y = q.y;
        z[i].depth = depth_of(v, p);
        if (!mesh.value.empty() && !std::isfinite(mesh.value[i])) continue;
        const int colour = point_colour(ctx, mesh, int(i));
        z[i].index = colour;
        z[i].colour = resolve_rgb(ctx, colour);
        if (lit) z[i].colour = lit_colour(ctx, p, unit(normal[i]), z[i].colour);
    }
    // Triangles by index where the colours are table entries.
    const bool by_index = !lit && (!mesh.value.empty() || !is_direct(mesh.colour));
    for (size_t k = 0; k < mesh.face.size(); ++k) {
        if (!used[k]) continue;
        const auto& f = mesh.face[k];
        const ZVertex t1[3] = {z[size_t(f[0])], z[size_t(f[1])], z[size_t(f[2])]};
        zbuffer_triangle(ctx, t1, by_index);
        if (corners(f) == 4) {
            const ZVertex t2[3] = {z[size_t(f[0])], z[size_t(f[2])], z[size_t(f[3])]};
            zbuffer_triangle(ctx, t2, by_index);
        }
    }
    const int mesh_mode = ctx.surface.shading.mesh;
    if (mesh_mode == MESH_OFF) return;
    // Mesh lines: strips one pixel wide, a little nearer than the faces.
    const int line_colour = shaded_mesh_colour(ctx);
    const Rgb rgb = resolve_rgb(ctx, line_colour);
    const double half = frame_step(ctx) / 2;
    constexpr double BIAS = 1e-5;
    for (size_t k = 0; k < mesh.face.size(); ++k) {
        if (!used[k]) continue;
        const auto& f = mesh.face[k];
        const int n = corners(f);
        for (int c = 0; c < n; ++c) {
            const ZVertex& a = z[size_t(f[size_t(c)])];
            const ZVertex& b = z[size_t(f[size_t((c + 1) % n)])];
            const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
            if (!(len > 0)) continue;
            const double ox = -dy / len * half, oy = dx / len * half;
            ZVertex q[4];
            const ZVertex* ends[4] = {&a, &b, &b, &a};
            const double side[4] = {1, 1, -1, -1};
            for (int e = 0; e < 4; ++e) {
                q[e].x = ends[e]->x + side[e] * ox;
                q[e].y = ends[e]->y + side[e] * oy;
                q[e].depth = ends[e]->depth - BIAS;
                q[e].colour = rgb;
                q[e].index = line_colour;
            }
            const ZVertex s1[3] = {q[0], q[1], q[2]}, s2[3] = {q[0], q[2], q[3]};
            zbuffer_triangle(ctx, s1, !is_direct(line_colour));
            zbuffer_triangle(ctx, s2, !is_direct(line_colour));
        }
    }
}

}  // namespace

void sort_by_depth(std::vector<DepthPolygon>& list) {
    std::stable_sort(list.begin(), list.end(), [](const DepthPolygon& a, const DepthPolygon& b) { return a.key > b.key; });
}

int shaded_mesh_colour(const Context& ctx) {
    const int c = ctx.surface.options.mesh_colour;
    return c >= 0 ? c : ctx.out.current_colour;
}

void draw_depth_sorted(Context& ctx, const std::vector<DepthPolygon>& list, int mesh, int mesh_colour) {
    ShadeScope scope(ctx);
    const int background = ctx.colour.background;
    for (const DepthPolygon& p : list) {
        fill_piece(ctx, p.n, p.x, p.y, mesh == MESH_ONLY ? background : p.colour);
        if (mesh == MESH_OFF) continue;
        if (ctx.out.current_colour != mesh_colour) set_colour(ctx, mesh_colour);
        Path3d path(ctx, CLIP3D_SETTING);
        path.move(p.corner[0]);
        for (int k = 1; k < p.n; ++k) path.draw(p.corner[k]);
        path.draw(p.corner[0]);
        path.finish();
    }
}

void surface_colour_scale(Context& ctx) {
    const AxisScale& z = ctx.axes.z;
    const ScaleLimitsState& l = ctx.limits;
    if (l.z_given && (!z.log || (l.zmin > 0 && l.zmax > 0)))
        set_colour_scale(ctx, z.log ? std::log10(l.zmin) : l.zmin, z.log ? std::log10(l.zmax) : l.zmax, z.log, true,
                         l.zmin, l.zmax);
    else
        set_colour_scale(ctx, z.a, z.e, z.log, false, 0, 0);
}

std::vector<DepthPolygon> flat_polygons(Context& ctx, const FaceMesh& mesh) {
    const ViewMatrix& v = ctx.view3d.view_matrix;
    const ClipPlanes planes = clip_planes(ctx, CLIP3D_SETTING);
    const bool lit = lighting_on(ctx);
    std::vector<DepthPolygon> list;
    list.reserve(mesh.face.size());
    for (const auto& f : mesh.face) {
        if (!usable(mesh, f)) continue;
        DepthPolygon p;
        p.n = corners(f);
        bool kept = true;
        double sum = 0;
        for (int k = 0; k < p.n && kept; ++k) {
            const Vec3& c = mesh.point[size_t(f[size_t(k)])];
            kept = inside(planes, c);
            p.corner[k] = c;
            const PlotPoint q = abs_to_plot(v, c);
            p.x[k] = q.x;
            p.y[k] = q.y;
            sum += depth_of(v, c);
        }
        if (!kept) continue;
        p.key = sum / p.n;
        if (lit) {
            // The face normal lit at each corner in the corner's colour, averaged.
            const Vec3 n = face_normal(mesh, f, v.eye);
            int r = 0, g = 0, b = 0;
            for (int k = 0; k < p.n; ++k) {
                const Rgb c = lit_colour(ctx, p.corner[k], n, resolve_rgb(ctx, point_colour(ctx, mesh, f[size_t(k)])));
                r += c.r;
                g += c.g;
                b += c.b;
            }
            p.colour = direct_colour((r + p.n / 2) / p.n, (g + p.n / 2) / p.n, (b + p.n / 2) / p.n);
        } else if (mesh.value.empty()) {
            p.colour = mesh.colour;
        } else {
            double mean = 0;
            for (int k = 0; k < p.n; ++k) mean += mesh.value[size_t(f[size_t(k)])];
            p.colour = colour_index(ctx, mean / p.n);
        }
        list.push_back(p);
    }
    return list;
}

void draw_face_mesh(Context& ctx, const FaceMesh& mesh) {
    drop_kept_horizon(ctx);  // a kept horizon ends at the next surface of any kind
    line_flush(ctx);
    if (ctx.surface.shading.shading == SURFACE_SMOOTH) {
        const int previous = ctx.out.current_colour;
        draw_smooth(ctx, mesh);
        if (ctx.out.current_colour != previous) set_colour(ctx, previous);
        return;
    }
    std::vector<DepthPolygon> list;
    try {
        list = flat_polygons(ctx, mesh);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);  // no room for the depth sort
        return;
    }
    sort_by_depth(list);
    draw_depth_sorted(ctx, list, ctx.surface.shading.mesh, shaded_mesh_colour(ctx));
}

}  // namespace kal
