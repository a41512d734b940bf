#include "plot3d/lighting.h"

#include "core/context.h"

namespace kal {

bool lighting_on(const Context&) { return false; }

Rgb lit_colour(const Context&, const Vec3&, const Vec3&, const Rgb& base) { return base; }

}  // namespace kal
