// The lighting routines and the Phong model of the shaded surfaces.
#include "plot3d/lighting.h"

#include <algorithm>
#include <cmath>

#include "api/routines_surfaces_shading_and_lighting.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {
namespace {

constexpr double DEG = M_PI / 180.0;

double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 angle_point(double a1, double a2, double r) {
    a1 *= DEG;
    a2 *= DEG;
    return {r * std::cos(a2) * std::sin(a1), r * std::cos(a2) * std::cos(a1), r * std::sin(a2)};
}

// The absolute position of a light: USER positions are placed on the axes
// of the open 3-D system (as given before one is open).
Vec3 light_position(const Context& ctx, const Light& l) {
    if (l.mode == POINT_USER && graf3d_open(ctx))
        return user_to_abs(ctx, l.position[0], l.position[1], l.position[2]);
    return {l.position[0], l.position[1], l.position[2]};
}

// The light of a litpos/litopt/litop3 id; nullptr after warning 2.
Light* light_of(Context& ctx, int id) {
    if (id < 1 || id > LIGHT_COUNT) {
        warn_int(ctx, 2, id);
        return nullptr;
    }
    return &ctx.surface.lighting.lights[id - 1];
}

bool negative(Context& ctx, double v) {
    if (v >= 0 && std::isfinite(v)) return false;
    warn(ctx, 1);
    return true;
}

void set3(double* d, double r, double g, double b) {
    d[0] = r;
    d[1] = g;
    d[2] = b;
}

}  // namespace

bool lighting_on(const Context& ctx) { return ctx.surface.lighting.on; }

Vec3 lighting_view_point(const Context& ctx) {
    const View3dState& v = ctx.view3d;
    if (graf3d_open(ctx)) return v.view_matrix.eye;
    if (v.view_mode == POINT_ABS) return {v.view[0], v.view[1], v.view[2]};
    if (v.view_mode == POINT_ANGL) return angle_point(v.view[0], v.view[1], v.view[2]);
    return {2 * v.xl, -2.5 * v.yl, 2 * v.zl};
}

void phong(const Context& ctx, const Vec3& p, const Vec3& normal, const double diffuse[3], double out[3]) {
    const LightingState& s = ctx.surface.lighting;
    Vec3 n = normal;
    const double len = std::sqrt(dot(n, n));
    if (len >= 1e-35) n = {n.x / len, n.y / len, n.z / len};
    Vec3 v = minus(lighting_view_point(ctx), p);
    const double vlen = std::sqrt(dot(v, v));
    if (vlen > 0) v = {v.x / vlen, v.y / vlen, v.z / vlen};
    for (int c = 0; c < 3; ++c) out[c] = GLOBAL_AMBIENT * s.ambient[c];
    for (const Light& l : s.lights) {
        if (!l.on) continue;
        Vec3 to = minus(light_position(ctx, l), p);
        const double d = std::sqrt(dot(to, to));
        const double a = 1.0 / (l.constant + l.linear * d + l.quadratic * d * d);
        // A light at the lit point itself has no direction: ambient only.
        const bool directed = d >= 1e-35;
        double nl = 0, rv = 0;
        if (directed) {
            to = {to.x / d, to.y / d, to.z / d};
            nl = dot(n, to);
            const Vec3 r{2 * nl * n.x - to.x, 2 * nl * n.y - to.y, 2 * nl * n.z - to.z};
            rv = dot(r, v);
        }
        for (int c = 0; c < 3; ++c) {
            double term = l.ambient[c] * s.ambient[c];
            if (directed && nl >= 0) term += l.diffuse[c] * diffuse[c] * nl;
            const double spec = l.specular[c] * s.specular[c];
            if (directed && spec > 1e-35 && nl > 1e-7 && rv > 0) term += std::pow(rv, s.exponent) * spec;
            out[c] += term * a;
        }
    }
    for (int c = 0; c < 3; ++c) out[c] = std::isfinite(out[c]) ? std::clamp(out[c], 0.0, 1.0) : 0.0;
}

Rgb lit_colour(const Context& ctx, const Vec3& p, const Vec3& n, const Rgb& base) {
    if (!lighting_on(ctx)) return base;
    const double d[3] = {base.r / 255.0, base.g / 255.0, base.b / 255.0};
    double c[3];
    phong(ctx, p, n, d, c);
    return {component_255(c[0]), component_255(c[1]), component_255(c[2])};
}

// ---- routines ----

void light(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "OFF +ON  ", mode);
    if (k > 0) ctx.surface.lighting.on = k == 2;
}

void litmod(Context& ctx, int id, const char* mode) {
    Light* l = light_of(ctx, id);
    if (!l) return;
    const int k = keyword(ctx, "OFF +ON  ", mode);
    if (k > 0) l->on = k == 2;
}

void litpos(Context& ctx, int id, float x, float y, float z, const char* mode) {
    Light* l = light_of(ctx, id);
    if (!l) return;
    const int k = keyword(ctx, "ABS +USER+ANGL", mode);
    if (k < 1) return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        warn_text(ctx, 2, "light position not finite");
        return;
    }
    Vec3 p{x, y, z};
    int m = POINT_ABS;
    if (k == 3) {
        p = angle_point(x, y, z);
    } else if (k == 2) {
        if (graf3d_open(ctx)) {
            if (!on_axis(ctx.axes.x, x) || !on_axis(ctx.axes.y, y) || !on_axis(ctx.axes.z, z)) {
                warn_text(ctx, 2, "light position not on the axes");
                return;
            }
            p = user_to_abs(ctx, x, y, z);
        } else {
            m = POINT_USER;  // placed by the next axis system
        }
    }
    l->mode = m;
    set3(l->position, p.x, p.y, p.z);
}

void litopt(Context& ctx, int id, float value, const char* mode) {
    Light* l = light_of(ctx, id);
    if (!l) return;
    const int k = keyword(ctx, "AMBI+DIFF+SPEC+CONS+LINE+QUAD", mode);
    if (k < 1 || negative(ctx, value)) return;
    switch (k) {
        case 1: set3(l->ambient, value, value, value); break;
        case 2: set3(l->diffuse, value, value, value); break;
        case 3: set3(l->specular, value, value, value); break;
        case 4: l->constant = value < 1e-10 ? 1e-10 : value; break;
        case 5: l->linear = value; break;
        default: l->quadratic = value; break;
    }
}

void litop3(Context& ctx, int id, float r, float g, float b, const char* mode) {
    Light* l = light_of(ctx, id);
    if (!l) return;
    const int k = keyword(ctx, "AMBI+DIFF+SPEC", mode);
    if (k < 1 || negative(ctx, r) || negative(ctx, g) || negative(ctx, b)) return;
    set3(k == 1 ? l->ambient : k == 2 ? l->diffuse : l->specular, r, g, b);
}

void matopt(Context& ctx, float value, const char* mode) {
    LightingState& s = ctx.surface.lighting;
    const int k = keyword(ctx, "AMBI+DIFF+SPEC+EXPO", mode);
    if (k < 1 || negative(ctx, value)) return;
    if (k == 4)
        s.exponent = value;
    else
        set3(k == 1 ? s.ambient : k == 2 ? s.diffuse : s.specular, value, value, value);
}

void matop3(Context& ctx, float r, float g, float b, const char* mode) {
    LightingState& s = ctx.surface.lighting;
    const int k = keyword(ctx, "AMBI+DIFF+SPEC", mode);
    if (k < 1 || negative(ctx, r) || negative(ctx, g) || negative(ctx, b)) return;
    set3(k == 1 ? s.ambient : k == 2 ? s.diffuse : s.specular, r, g, b);
}

int getlit(Context& ctx, float x, float y, float z, float nx, float ny, float nz) {
    if (!lighting_on(ctx)) return ctx.out.current_colour;
    double c[3];
    phong(ctx, {x, y, z}, {nx, ny, nz}, ctx.surface.lighting.diffuse, c);
    return direct_colour(component_255(c[0]), component_255(c[1]), component_255(c[2]));
}

}  // namespace kal
