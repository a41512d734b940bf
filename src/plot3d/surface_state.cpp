#include "plot3d/surface_state.h"

#include "core/context.h"

namespace kal {

const ResetKeys SurfaceState::reset_keys = {};

void SurfaceState::reset(Context& ctx) { ctx.surface = SurfaceState{}; }

}  // namespace kal
