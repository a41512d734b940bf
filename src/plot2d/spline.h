// Interpolating B-splines for curve (SPLI, PSPL) and the spline routine.
#pragma once
#include <vector>

namespace kal {

struct Context;

// The spline of degree `order` (lowered to n - 1 for fewer points) through
// the n points, sampled at `count` parameter values evenly spaced from the
// first point to the last. Not parametric: y as a function of x, whose
// values must increase strictly (else warning 32). Parametric: x and y as
// functions of the accumulated chord length (repeated points count once).
// Fewer than 3 distinct points: warning 31. Returns false after a warning.
//
// Construction: knots at the parameters' running averages of `degree`
// neighbours (both ends repeated degree + 1 times), coefficients from the
// collocation system at the parameters, so the spline passes through every
// point.
bool interpolate_spline(Context& ctx, const double* x, const double* y, int n, bool parametric,
                        int order, int count, std::vector<double>& sx, std::vector<double>& sy);

}  // namespace kal
