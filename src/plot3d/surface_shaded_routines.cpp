// The shaded surface routines: surshd over a grid, surtri over triangles,
// sphe3d, the parametric surfcp, and the mesh setting surmsh.
#include <cmath>
#include <limits>

#include "api/routines_surfaces_shading_and_lighting.h"
#include "core/context.h"
#include "core/frame.h"
#include "plot3d/surface_shaded.h"

namespace kal {
namespace {

constexpr double MISSING = std::numeric_limits<double>::quiet_NaN();
// The most points a surface routine takes on: beyond it warning 2 (samples)
// or 53 (data: the depth sort holds about 200 bytes a cell).
constexpr long long MAX_POINTS = 10000000LL;
constexpr long long MAX_SAMPLES = 1000000LL;

// The absolute point of a user point, missing when the axes cannot place it.
Vec3 placed(const Context& ctx, double x, double y, double z) {
    const AxisState& a = ctx.axes;
    if (!on_axis(a.x, x) || !on_axis(a.y, y) || !on_axis(a.z, z)) return {MISSING, MISSING, MISSING};
    return user_to_abs(ctx, x, y, z);
}

// Quadrilaterals of an nu by nv grid of points numbered u * nv + v.
void grid_faces(FaceMesh& mesh, int nu, int nv) {
    mesh.face.reserve(size_t(nu - 1) * size_t(nv - 1));
    for (int i = 0; i + 1 < nu; ++i)
        for (int j = 0; j + 1 < nv; ++j) {
            const int a = i * nv + j;
            mesh.face.push_back({a, a + nv, a + nv + 1, a + 1});
        }
}

// Sample count of a parameter range: tmin, tmin + step, ... up to tmax (a
// last sample at tmax when the steps end short of it); 0 after warning 2.
long long samples(Context& ctx, double lo, double hi, double step) {
    if (!(step > 0) || !std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo) || !std::isfinite(step)) {
        warn_text(ctx, 2, "parameter range or step");
        return 0;
    }
    const double k = std::floor((hi - lo) / step + 1e-6);
    if (!(k < double(MAX_SAMPLES))) return MAX_SAMPLES + 1;
    const long long n = (long long)k + 1;
    return lo + double(n - 1) * step < hi - 1e-6 * step ? n + 1 : n;
}

double sample(double lo, double hi, double step, long long k, long long n) {
    return k + 1 == n ? hi : lo + double(k) * step;
}

}  // namespace

void surmsh(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "OFF +ON  +ONLY", mode);
    if (k > 0) ctx.surface.shading.mesh = k - 1;
}

void surshd(Context& ctx, const float* x, int n, const float* y, int m, const float* z) {
    if (n < 2 || m < 2) {
        warn_int(ctx, 2, n < 2 ? n : m);
        return;
    }
    if (!need_graf3d(ctx)) return;
    if ((long long)n * m > MAX_POINTS) {
        warn(ctx, 53);
        return;
    }
    surface_colour_scale(ctx);
    FaceMesh mesh;
    mesh.point.resize(size_t(n) * size_t(m));
    mesh.value.resize(mesh.point.size());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            const size_t k = size_t(i) * size_t(m) + size_t(j);
            mesh.point[k] = placed(ctx, x[i], y[j], z[k]);
            mesh.value[k] = z[k];
        }
    grid_faces(mesh, n, m);
    draw_face_mesh(ctx, mesh);
}

void surtri(Context& ctx, const float* x, const float* y, const float* z, int n, const int* i1, const int* i2,
            const int* i3, int ntri) {
    if (n < 3 || ntri < 1) {
        warn_int(ctx, 2, n < 3 ? n : ntri);
        return;
    }
    if (!need_graf3d(ctx)) return;
    if ((long long)n + ntri > MAX_POINTS) {
        warn(ctx, 53);
        return;
    }
    surface_colour_scale(ctx);
    FaceMesh mesh;
    mesh.point.resize(size_t(n));
    mesh.value.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        mesh.point[size_t(i)] = placed(ctx, x[i], y[i], z[i]);
        mesh.value[size_t(i)] = z[i];
    }
    bool bad_vertex = false;
    mesh.face.reserve(size_t(ntri));
    for (int t = 0; t < ntri; ++t) {
        const int v[3] = {i1[t], i2[t], i3[t]};
        if (v[0] < 1 || v[0] > n || v[1] < 1 || v[1] > n || v[2] < 1 || v[2] > n) {
            bad_vertex = true;
            continue;
        }
        mesh.face.push_back({v[0] - 1, v[1] - 1, v[2] - 1, -1});
    }
    draw_face_mesh(ctx, mesh);
    if (bad_vertex) warn_text(ctx, 2, "triangles with vertex numbers outside 1..n left out");
}

void sphe3d(Context& ctx, float xm, float ym, float zm, float r, int n, int m) {
    if (n < 3 || m < 2 || (long long)n * m > MAX_SAMPLES) {
        warn_int(ctx, 2, n < 3 || (long long)n * m > MAX_SAMPLES ? n : m);
        return;
    }
    if (!(r > 0) || !std::isfinite(r) || !std::isfinite(xm) || !std::isfinite(ym) || !std::isfinite(zm)) {
        warn_text(ctx, 2, "sphere centre or radius");
        return;
    }
    if (!need_graf3d(ctx)) return;
    // Points (longitude i, latitude j), i = 0..n (the last meets the first),
    // j = 0..m from the south pole to the north pole.
    FaceMesh mesh;
    mesh.colour = ctx.out.current_colour;
    mesh.point.resize(size_t(n + 1) * size_t(m + 1));
    for (int i = 0; i <= n; ++i) {
        const double lon = 2 * M_PI * (i == n ? 0 : i) / n;
        for (int j = 0; j <= m; ++j) {
            const double lat = -M_PI / 2 + M_PI * j / m;
            const double c = j == 0 || j == m ? 0.0 : std::cos(lat);
            mesh.point[size_t(i) * size_t(m + 1) + size_t(j)] =
                placed(ctx, xm + r * c * std::cos(lon), ym + r * c * std::sin(lon), zm + r * std::sin(lat));
        }
    }
    grid_faces(mesh, n + 1, m + 1);
    draw_face_mesh(ctx, mesh);
}

void surfcp(Context& ctx, kalvor_parametric_function f, float tmin, float tmax, float tstep, float pmin, float pmax,
            float pstep) {
    if (!f) {
        warn_text(ctx, 2, "no function");
        return;
    }
    const long long nt = samples(ctx, tmin, tmax, tstep);
    if (nt == 0) return;
    const long long np = samples(ctx, pmin, pmax, pstep);
    if (np == 0) return;
    if (nt * np > MAX_SAMPLES || nt < 2 || np < 2) {
        warn_text(ctx, 2, "number of samples");
        return;
    }
    if (!need_graf3d(ctx)) return;
    surface_colour_scale(ctx);
    FaceMesh mesh;
    mesh.point.resize(size_t(nt * np));
    mesh.value.resize(mesh.point.size());
    for (long long i = 0; i < nt; ++i) {
        const float t = float(sample(tmin, tmax, tstep, i, nt));
        for (long long j = 0; j < np; ++j) {
            const float p = float(sample(pmin, pmax, pstep, j, np));
            const double x = f(t, p, 1), y = f(t, p, 2), z = f(t, p, 3);
            const size_t k = size_t(i * np + j);
            mesh.point[k] = placed(ctx, x, y, z);
            mesh.value[k] = z;
        }
    }
    grid_faces(mesh, int(nt), int(np));
    draw_face_mesh(ctx, mesh);
}

}  // namespace kal
