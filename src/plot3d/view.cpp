// The view of 3-D axis systems: its settings with their reset keys, the
// viewing matrix, the perspective and the mapping of the coordinate stage.
#include "plot3d/view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "api/routines_3_d_axis_systems.h"
#include "core/context.h"

namespace kal {
namespace {

constexpr double DEG = M_PI / 180.0;

double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 scaled(const Vec3& a, double f) { return {a.x * f, a.y * f, a.z * f}; }
Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 plus(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

// A point of view3d or vfoc3d in absolute coordinates.
Vec3 given_point(const Context& ctx, int mode, const double* p) {
    if (mode == POINT_USER) return user_to_abs(ctx, p[0], p[1], p[2]);
    if (mode == POINT_ANGL) {
        const double a1 = p[0] * DEG, a2 = p[1] * DEG, r = p[2];
        return {r * std::cos(a2) * std::sin(a1), r * std::cos(a2) * std::cos(a1), r * std::sin(a2)};
    }
    return {p[0], p[1], p[2]};
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool inside_box(const View3dState& s, const Vec3& v) {
    return std::fabs(v.x) <= s.xl / 2 && std::fabs(v.y) <= s.yl / 2 && std::fabs(v.z) <= s.zl / 2;
}

// ---- the mapping of the coordinate stage ----

// 2-D routines inside graf3d draw in the plane of the lower z limit unless
// they give a z (contour lines at their level).
PlotPoint view_to_plot(const Context& ctx, double x, double y, double z) {
    const AxisScale& sz = ctx.axes.z;
    const Vec3 p{axis_to_box(ctx.axes.x, ctx.view3d.xl, x), axis_to_box(ctx.axes.y, ctx.view3d.yl, y),
                 std::isnan(z) ? -ctx.view3d.zl / 2 : axis_to_box(sz, ctx.view3d.zl, z)};
    return abs_to_plot(ctx.view3d.view_matrix, p);
}

bool view_to_user(const Context&, double, double, double&, double&) { return false; }
bool view_not_linear(const Context&, LinearMap&) { return false; }

// ---- settings and reset keys ----

void reset_view_point(Context& ctx) { ctx.view3d.view_mode = POINT_DEFAULT; }
void reset_box(Context& ctx) {
    const View3dState d;
    ctx.view3d.xl = d.xl;
    ctx.view3d.yl = d.yl;
    ctx.view3d.zl = d.zl;
}
void reset_ax3len(Context& ctx) {
    // The axis lengths as axslen's key restores them, the bar following the
    // y axis.
    for (const ResetKey& k : AxisState::reset_keys)
        if (std::strcmp(k.name, "AXSL") == 0) k.restore(ctx);
    ctx.view3d.bar_length = 0;
}
void reset_expzlb(Context& ctx) { ctx.view3d.end_labels = EXPZ_NONE; }
void reset_flab3d(Context& ctx) { ctx.view3d.corner_labels = false; }
void reset_nobar(Context& ctx) { ctx.view3d.bar = true; }
void reset_vkxbar(Context& ctx) { ctx.view3d.bar_shift_x = 0; }
void reset_vkybar(Context& ctx) { ctx.view3d.bar_shift_y = 0; }
void reset_widbar(Context& ctx) { ctx.view3d.bar_width = -1; }

const ResetKey VIEW3D_KEYS[] = {
    {"AX3L", reset_ax3len}, {"AXIS", reset_box},    {"EXPZ", reset_expzlb}, {"FLAB", reset_flab3d},
    {"NOBA", reset_nobar},  {"VIEW", reset_view_point}, {"VKXB", reset_vkxbar}, {"VKYB", reset_vkybar},
    {"WIDB", reset_widbar},
};

bool finite3(Context& ctx, float x, float y, float z) {
    if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) return true;
    warn(ctx, 2);
    return false;
}

}  // namespace

const AxisMapping VIEW3D_MAPPING = {MAPPING_CARTESIAN, true, view_to_plot, view_to_user, view_not_linear, nullptr, nullptr};

const ResetKeys View3dState::reset_keys = VIEW3D_KEYS;

void View3dState::reset(Context& ctx) { ctx.view3d = View3dState{}; }

bool graf3d_open(const Context& ctx) {
    return ctx.frame.level == 3 && ctx.axes.mapping == &VIEW3D_MAPPING;
}

bool graf3_open(const Context& ctx) { return ctx.frame.level == 3 && ctx.axes.mapping != &VIEW3D_MAPPING; }

bool need_graf3d(Context& ctx) {
    if (graf3d_open(ctx)) return true;
    warn(ctx, 35);
    return false;
}

bool need_graf3(Context& ctx) {
    if (graf3_open(ctx)) return true;
    warn(ctx, 35);
    return false;
}

double axis_to_box(const AxisScale& s, double l, double v) {
    const double u = s.log ? std::log10(v) : v;
    return (u - s.a) * l / (s.e - s.a) - l / 2;
}

bool on_axis(const AxisScale& s, double v) { return std::isfinite(v) && (!s.log || v > 0); }

Vec3 user_to_abs(const Context& ctx, double x, double y, double z) {
    const View3dState& v = ctx.view3d;
    return {axis_to_box(ctx.axes.x, v.xl, x), axis_to_box(ctx.axes.y, v.yl, y), axis_to_box(ctx.axes.z, v.zl, z)};
}

void compute_view(Context& ctx) {
    View3dState& s = ctx.view3d;
    ViewMatrix& m = s.view_matrix;
    const Vec3 fallback{2 * s.xl, -2.5 * s.yl, 2 * s.zl};
    Vec3 focus = s.focus_mode == POINT_DEFAULT ? Vec3{} : given_point(ctx, s.focus_mode, s.focus);
    if (!finite(focus)) {  // a user point the axes cannot place
        warn(ctx, 33);
        focus = Vec3{};
    }
    Vec3 eye = fallback;
    if (s.view_mode != POINT_DEFAULT) {
        eye = given_point(ctx, s.view_mode, s.view);
        // A view point inside the box, or on the focus point, gives no view.
        const Vec3 d = minus(eye, focus);
        if (!finite(eye) || inside_box(s, eye) || dot(d, d) == 0.0) {
            warn(ctx, 33);
            eye = fallback;
        }
    }
    // The default view point on a given focus point: look at the centre.
    Vec3 target = focus;
    if (dot(minus(eye, target), minus(eye, target)) == 0.0) target = Vec3{};
    Vec3 d = minus(eye, target);
    const double len = std::sqrt(dot(d, d));
    const Vec3 ahead = scaled(d, -1.0 / len);
    const double rho = std::hypot(d.x, d.y);
    const double ca = std::cos(s.up_angle), sa = std::sin(s.up_angle);
    Vec3 right, up;
    if (rho < 1e-6) {
        // Straight down or up: the x axis turned by the up angle is horizontal.
        right = {ca, sa, 0};
        up = cross(right, ahead);
    } else {
        const Vec3 r0 = scaled(Vec3{-d.y, d.x, 0}, 1.0 / rho);  // ahead x z, normalised
        const Vec3 u0 = cross(r0, ahead);
        right = plus(scaled(r0, ca), scaled(u0, sa));
        up = plus(scaled(r0, -sa), scaled(u0, ca));
    }
    m.eye = eye;
    m.right = right;
    m.up = up;
    m.ahead = ahead;
    m.t = std::tan(s.half_angle);
    m.front = s.front;
    m.back = s.back;
    // Depth row: 0 at the front plane, 1 at the back plane (t at infinity
    // without one), both divided by w = t * depth.
    const double n = s.front, f = s.back;
    const double k = f > 0 ? m.t / (1 - n / f) : m.t;
    const Vec3 rows[3] = {right, up, ahead};
    for (int i = 0; i < 3; ++i) {
        m.m[i][0] = rows[i].x;
        m.m[i][1] = rows[i].y;
        m.m[i][2] = rows[i].z;
        m.m[i][3] = -dot(rows[i], eye);
    }
    for (int j = 0; j < 4; ++j) {
        m.m[3][j] = m.t * m.m[2][j];
        m.m[2][j] *= k;
    }
    m.m[2][3] -= k * n;
    // The page placement: the 2-D axis area.
    const AxisState& a = ctx.axes;
    const double w = a.axis[AXIS_X].length, h = a.axis[AXIS_Y].length;
    m.cx = a.corner_x + w / 2;
    m.cy = a.corner_y - h / 2;
    m.s = std::min(w, h) / 2;
}

Vec3 to_eye(const ViewMatrix& v, const Vec3& p) {
    const Vec3 d = minus(p, v.eye);
    return {dot(v.right, d), dot(v.up, d), dot(v.ahead, d)};
}

PlotPoint eye_to_plot(const ViewMatrix& v, const Vec3& e) {
    const double w = v.t * e.z;
    return {v.cx + v.s * e.x / w, v.cy - v.s * e.y / w};
}

PlotPoint abs_to_plot(const ViewMatrix& v, const Vec3& p) {
    Vec3 e = to_eye(v, p);
    if (!(e.z >= v.front)) e.z = v.front;
    const PlotPoint r = eye_to_plot(v, e);
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) return {v.cx, v.cy};
    return r;
}

// ---- settings ----

void axis3d(Context& ctx, float xl, float yl, float zl) {
    if (!(xl > 0) || !(yl > 0) || !(zl > 0) || !std::isfinite(xl) || !std::isfinite(yl) || !std::isfinite(zl)) {
        warn(ctx, 2);
        return;
    }
    ctx.view3d.xl = xl;
    ctx.view3d.yl = yl;
    ctx.view3d.zl = zl;
}

void view3d(Context& ctx, float x, float y, float z, const char* mode) {
    const int k = keyword(ctx, "ABS +USER+ANGL", mode);
    if (k == 0 || !finite3(ctx, x, y, z)) return;
    View3dState& s = ctx.view3d;
    s.view_mode = k == 1 ? POINT_ABS : k == 2 ? POINT_USER : POINT_ANGL;
    s.view[0] = x;
    s.view[1] = y;
    s.view[2] = z;
}

void vfoc3d(Context& ctx, float x, float y, float z, const char* mode) {
    const int k = keyword(ctx, "ABS +USER", mode);
    if (k == 0 || !finite3(ctx, x, y, z)) return;
    View3dState& s = ctx.view3d;
    s.focus_mode = k == 1 ? POINT_ABS : POINT_USER;
    s.focus[0] = x;
    s.focus[1] = y;
    s.focus[2] = z;
}

void vup3d(Context& ctx, float angle) {
    if (!std::isfinite(angle)) {
        warn(ctx, 2);
        return;
    }
    ctx.view3d.up_angle = std::fmod(double(angle), 360.0) * DEG;
}

void vang3d(Context& ctx, float angle) {
    if (!(angle > 0 && angle < 180)) {
        warn(ctx, 2);
        return;
    }
    ctx.view3d.half_angle = angle * DEG / 2;
}

void vclp3d(Context& ctx, float front, float back) {
    if (!(front > 0) || !std::isfinite(front) || std::isnan(back) || (back > 0 && back <= front) ||
        std::isinf(back)) {
        warn(ctx, 2);
        return;
    }
    ctx.view3d.front = front;
    ctx.view3d.back = back > 0 ? back : -1.0;
}

void clip3d(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "WORL+EYE ", mode);
    if (k) ctx.view3d.clip = k == 1 ? CLIP3D_WORL : CLIP3D_EYE;
}

void labl3d(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "STAN+HORI+PARA+OTHE", mode);
    if (k) ctx.view3d.label_mode = k - 1;
}

void expzlb(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "NONE+FIRS+BOTH", mode);
    if (k) ctx.view3d.end_labels = k - 1;
}

void flab3d(Context& ctx) { ctx.view3d.corner_labels = true; }

void ax3len(Context& ctx, int nx, int ny, int nz) {
    if (out_of_range(ctx, nx, 2, -1) || out_of_range(ctx, ny, 2, -1) || out_of_range(ctx, nz, 2, -1)) return;
    ctx.axes.axis[AXIS_X].length = nx;
    ctx.axes.axis[AXIS_Y].length = ny;
    ctx.view3d.bar_length = nz;
}

void nobar(Context& ctx) { ctx.view3d.bar = false; }

void widbar(Context& ctx, int n) {
    if (!out_of_range(ctx, n, 0, 10000)) ctx.view3d.bar_width = n;
}

void vkxbar(Context& ctx, int n) { ctx.view3d.bar_shift_x = n; }
void vkybar(Context& ctx, int n) { ctx.view3d.bar_shift_y = n; }

}  // namespace kal
