// getmat: a matrix on the grid of the open axis system from scattered
// points. Grid point (i, j) lies at the i-th of nx equal steps from the
// start to the end of X and the j-th of ny along Y (logarithmic axes step
// in exponents). Each point gives its value to the grid points within
// mdfmat's neighbourhood (ix cells along X, iy along Y) with the weight
// 1 / d^w, d its distance in cells; a point on a grid point sets that grid
// point alone. Grid points no data reaches get zval.
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"
#include "plot2d/plot_options.h"

namespace kal {
namespace {

// The grid position (in steps) of a value on an axis, NaN when it cannot
// be placed there.
double grid_position(const AxisScale& s, double v, int count) {
    if (!std::isfinite(v)) return NAN;
    if (s.log) {
        if (!(v > 0)) return NAN;
        v = std::log10(v);
    }
    if (count == 1) return v == s.a ? 0.0 : (v - s.a) / (s.e - s.a);
    return (v - s.a) * (count - 1) / (s.e - s.a);
}

}  // namespace

void getmat(Context& ctx, const float* x, const float* y, const float* z, int n, float* zmat, int nx, int ny,
            float zval) {
    if (n < 1 || nx < 1 || ny < 1) return warn_int(ctx, 2, n < 1 ? n : nx < 1 ? nx : ny);
    const PlotOptions& o = ctx.options;
    const size_t cells = size_t(nx) * size_t(ny);
    std::vector<double> sum, weight;
    std::vector<char> exact;
    try {
        sum.assign(cells, 0.0);
        weight.assign(cells, 0.0);
        exact.assign(cells, 0);
    } catch (const std::bad_alloc&) {
        return warn(ctx, 53);
    }
    const double w = o.mdf_weight;
    for (int k = 0; k < n; ++k) {
        const double u = grid_position(ctx.axes.x, x[k], nx), v = grid_position(ctx.axes.y, y[k], ny);
        if (!std::isfinite(u) || !std::isfinite(v) || !std::isfinite(z[k])) continue;
        const double i0 = std::ceil(u - o.mdf_nx), i1 = std::floor(u + o.mdf_nx);
        const double j0 = std::ceil(v - o.mdf_ny), j1 = std::floor(v + o.mdf_ny);
        for (double fi = std::max(0.0, i0); fi <= std::min(double(nx - 1), i1); ++fi) {
            for (double fj = std::max(0.0, j0); fj <= std::min(double(ny - 1), j1); ++fj) {
                const size_t c = size_t(fi) * size_t(ny) + size_t(fj);
                const double d = std::hypot(fi - u, fj - v);
                if (d < 1e-9) {
                    // The first point on a grid point owns it; later ones add to it.
                    if (!exact[c]) sum[c] = weight[c] = 0;
                    exact[c] = 1;
                    sum[c] += z[k];
                    weight[c] += 1;
                } else if (!exact[c]) {
                    const double g = 1 / std::pow(d, w);
                    sum[c] += g * z[k];
                    weight[c] += g;
                }
            }
        }
    }
    for (size_t c = 0; c < cells; ++c) zmat[c] = weight[c] > 0 ? float(sum[c] / weight[c]) : zval;
}

}  // namespace kal
