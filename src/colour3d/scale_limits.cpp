// zscale and sursze.
#include <cmath>

#include "api/routines_colour_scale_limits.h"
#include "colour3d/scale_limits.h"
#include "core/context.h"

namespace kal {

void zscale(Context& ctx, float zmin, float zmax) {
    if (!std::isfinite(zmin) || !std::isfinite(zmax) || zmin == zmax) {
        warn(ctx, 2);
        return;
    }
    ctx.limits.z_given = true;
    ctx.limits.zmin = zmin;
    ctx.limits.zmax = zmax;
}

void sursze(Context& ctx, float xmin, float xmax, float ymin, float ymax) {
    if (!std::isfinite(xmin) || !std::isfinite(xmax) || !std::isfinite(ymin) || !std::isfinite(ymax) ||
        xmin == xmax || ymin == ymax) {
        warn(ctx, 10);
        return;
    }
    ctx.limits.area_given = true;
    ctx.limits.xmin = xmin;
    ctx.limits.xmax = xmax;
    ctx.limits.ymin = ymin;
    ctx.limits.ymax = ymax;
}

namespace {
void reset_z(Context& ctx) {
    const ScaleLimitsState fresh;
    ctx.limits.z_given = false;
    ctx.limits.zmin = fresh.zmin;
    ctx.limits.zmax = fresh.zmax;
}
void reset_area(Context& ctx) {
    const ScaleLimitsState fresh;
    ctx.limits.area_given = false;
    ctx.limits.xmin = fresh.xmin;
    ctx.limits.xmax = fresh.xmax;
    ctx.limits.ymin = fresh.ymin;
    ctx.limits.ymax = fresh.ymax;
}
const ResetKey LIMIT_KEYS[] = {{"ZSCA", reset_z}, {"SURS", reset_area}};
}  // namespace

const ResetKeys ScaleLimitsState::reset_keys = LIMIT_KEYS;

void ScaleLimitsState::reset(Context& ctx) {
    reset_z(ctx);
    reset_area(ctx);
}

}  // namespace kal
