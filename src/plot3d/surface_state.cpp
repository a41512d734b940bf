#include "plot3d/surface_state.h"

#include "core/context.h"

namespace kal {
namespace {

void reset_nohide(Context& ctx) { ctx.surface.options.hide = true; }
void reset_shlsur(Context& ctx) {
    drop_kept_horizon(ctx);
    ctx.surface.options.keep = false;
}
void reset_surclr(Context& ctx) {
    SurfaceOptions& o = ctx.surface.options;
    o.top_colour = o.bottom_colour = -1;
    o.side_colours = false;
}
void reset_survis(Context& ctx) { ctx.surface.options.visible = SURVIS_BOTH; }

const ResetKey SURFACE_KEYS[] = {
    {"NOHI", reset_nohide}, {"SHLS", reset_shlsur}, {"SURC", reset_surclr}, {"SURV", reset_survis}};

}  // namespace

const ResetKeys SurfaceState::reset_keys = SURFACE_KEYS;

void SurfaceState::reset(Context& ctx) {
    drop_kept_horizon(ctx);
    ctx.surface = SurfaceState{};
}

}  // namespace kal
