// The surface part: the hidden-line settings with the horizon kept by
// shlsur, and the lights and material of the shading routines.
#pragma once
#include "core/state_part.h"
#include "plot3d/lighting.h"
#include "plot3d/surface_options.h"
#include "plot3d/surface_shaded.h"

namespace kal {

struct Context;

struct SurfaceState {
    SurfaceOptions options;   // surclr, survis, suropt, mshclr, nohide, surmsh; the kept horizon
    LightingState lighting;   // light, litmod, litpos, litopt, litop3, matopt, matop3
    ShadeSettings shading;    // surmsh, shdmod SURF

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

}  // namespace kal
