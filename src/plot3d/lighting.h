// Lights and material of the shaded surfaces: the Phong model in absolute
// 3-D coordinates.
#pragma once
#include "output/colour_table.h"
#include "plot3d/view.h"

namespace kal {

struct Context;

constexpr int LIGHT_COUNT = 8;

// One light: intensities per component (red, green, blue) and the
// attenuation 1 / (constant + linear d + quadratic d^2).
struct Light {
    bool on = false;
    int mode = POINT_ABS;            // litpos: ABS, USER (converted in the axis system), ANGL (converted at once)
    double position[3] = {4, -5, 4};
    double ambient[3] = {0, 0, 0};
    double diffuse[3] = {1, 1, 1};
    double specular[3] = {1, 1, 1};
    double constant = 1, linear = 0, quadratic = 0;
};

struct LightingState {
    bool on = false;                 // light
    Light lights[LIGHT_COUNT];       // light 1 starts on (see the constructor)
    double ambient[3] = {0.2, 0.2, 0.2};    // material reflectivities (matopt, matop3)
    double diffuse[3] = {0.8, 0.8, 0.8};
    double specular[3] = {0, 0, 0};
    double exponent = 0;

    LightingState() { lights[0].on = true; }
};

// The ambient light of every scene, per component.
constexpr double GLOBAL_AMBIENT = 0.2;

// Whether lighting is switched on (light "ON").
bool lighting_on(const Context& ctx);

// The colour of a surface point p (absolute 3-D) with normal n under the
// current lights, for a surface of colour base, which is the material's
// diffuse reflectivity there; base itself when lighting is off. The normal
// is used as given (normalised when it is not tiny).
Rgb lit_colour(const Context& ctx, const Vec3& p, const Vec3& n, const Rgb& base);

// The Phong sum for a material diffuse reflectivity per component (0..1),
// each component clamped to 0..1.
void phong(const Context& ctx, const Vec3& p, const Vec3& n, const double diffuse[3], double out[3]);

// The view point that lighting uses: the open system's, else the one the
// view settings give for the current box.
Vec3 lighting_view_point(const Context& ctx);

}  // namespace kal
