// circ3p: the circle through three points. bezier: a Bezier curve of up to
// 21 control points, evaluated by de Casteljau's construction.
#include <cmath>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {

void circ3p(Context& ctx, float x1, float y1, float x2, float y2, float x3, float y3,
            float* xm, float* ym, float* r) {
    *xm = *ym = *r = 0.0f;
    const double dx2 = double(x2) - x1, dy2 = double(y2) - y1;
    const double dx3 = double(x3) - x1, dy3 = double(y3) - y1;
    const double d = dy3 * dx2 - dx3 * dy2;
    if (!(std::fabs(d) >= 1.0e-35)) {  // NaN counts as collinear too
        custom_warning(ctx, 101, "Points are collinear");
        return;
    }
    const double a = dx2 * dx2 + dy2 * dy2;
    const double b = dx3 * dx3 + dy3 * dy3;
    const double ox = (a * dy3 - b * dy2) / (2.0 * d);
    const double oy = (dx2 * b - dx3 * a) / (2.0 * d);
    *xm = static_cast<float>(x1 + ox);
    *ym = static_cast<float>(y1 + oy);
    *r = static_cast<float>(std::sqrt(ox * ox + oy * oy));
}

void bezier(Context& ctx, const float* x, const float* y, int n, float* xp, float* yp, int np) {
    constexpr int MAX_CONTROL = 21, MAX_POINTS = 32000;
    if (n < 2 || n > MAX_CONTROL) {
        warn_int(ctx, 2, n);
        return;
    }
    if (np < 2 || np > MAX_POINTS) {
        warn_int(ctx, 2, np);
        return;
    }
    xp[0] = x[0];
    yp[0] = y[0];
    for (int k = 1; k < np - 1; ++k) {
        const double t = double(k) / (np - 1);
        double bx[MAX_CONTROL], by[MAX_CONTROL];
        for (int i = 0; i < n; ++i) {
            bx[i] = x[i];
            by[i] = y[i];
        }
        for (int level = n - 1; level > 0; --level) {
            for (int i = 0; i < level; ++i) {
                bx[i] += t * (bx[i + 1] - bx[i]);
                by[i] += t * (by[i + 1] - by[i]);
            }
        }
        xp[k] = static_cast<float>(bx[0]);
        yp[k] = static_cast<float>(by[0]);
    }
    xp[np - 1] = x[n - 1];
    yp[np - 1] = y[n - 1];
}

}  // namespace kal
