// Lights and material of the shaded surfaces: the Phong model in absolute
// 3-D coordinates.
#pragma once
#include "output/colour_table.h"
#include "plot3d/view.h"

namespace kal {

struct Context;

struct LightingState {
};

// Whether lighting is switched on (light "ON").
bool lighting_on(const Context& ctx);

// The colour of a surface point p (absolute 3-D) with normal n under the
// current lights, for a surface of colour base; base itself when lighting
// is off.
Rgb lit_colour(const Context& ctx, const Vec3& p, const Vec3& n, const Rgb& base);

}  // namespace kal
