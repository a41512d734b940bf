// The check of the four numbers of an axis, and axis keywords.
#include <cmath>

#include "core/context.h"
#include "plot2d/axis_draw.h"

namespace kal {

namespace {
constexpr double TOLERANCE = 1.0e-35;
}

bool check_axis(Context& ctx, double a, double e, double first, double step) {
    if (!std::isfinite(a) || !std::isfinite(e) || !std::isfinite(first) || !std::isfinite(step)) {
        warn(ctx, 2);
        return false;
    }
    if (std::fabs(e - a) <= TOLERANCE) {
        warn(ctx, 10);
        return false;
    }
    if (std::fabs(step) <= TOLERANCE) {
        warn(ctx, 9);
        return false;
    }
    const bool ascending = a < e;
    const double lo = ascending ? a : e, hi = ascending ? e : a;
    if (first < lo || first > hi) warn(ctx, 12);
    if (ascending ? step < 0 : step > 0) warn(ctx, 50);
    return true;
}

}  // namespace kal
