// Fixed limits shared by shaded contours, colour plots and surfaces: the
// colour-scale limits of zscale and the part of the axis ranges that a
// matrix covers (sursze).
#pragma once
#include "core/state_part.h"

namespace kal {

struct ScaleLimitsState {
    bool z_given = false;   // zscale was called
    double zmin = 0, zmax = 1;
    bool area_given = false;   // sursze was called
    double xmin = 0, xmax = 1, ymin = 0, ymax = 1;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

}  // namespace kal
