// Scans of whole coordinate arrays, in vector registers where the machine
// has them (a million-point curve passes through each of these once).
#pragma once

namespace kal {

// The smallest and largest values of x and y, and whether any is NaN (the
// bounds mean nothing then).
struct FloatBounds {
    float xmin, xmax, ymin, ymax;
    bool nan;
};
FloatBounds float_bounds(const float* x, const float* y, int n);

// True when every point lies in [xmin, xmax] x [ymin, ymax] (NaN lies
// nowhere) and no point repeats the one before it.
bool distinct_within(const double* x, const double* y, int n, double xmin, double xmax, double ymin,
                     double ymax);

}  // namespace kal
