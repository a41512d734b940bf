// The grid tracer: contour lines of one level of z(i, j) = z[i * m + j] on
// the grid x[0..n-1] by y[0..m-1], and the crossing rule shared by the
// contours of triangulations.
#pragma once
#include <cmath>
#include <cstddef>

namespace kal {

// Receives the traced lines point after point, in user coordinates.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void begin_line() = 0;
    virtual void point(double x, double y) = 0;
    virtual void end_line() {}
};

// A value lies above the level when it is finite and greater; everything
// else, no numbers and infinities included, counts as below.
inline bool above_level(double z, double level) { return std::isfinite(z) && z > level; }

// Where the level crosses from the above point (xh, yh, zh) to the below
// point (xl, yl, zl): at the finite end when zl is not finite.
inline void crossing(double xh, double yh, double zh, double xl, double yl, double zl, double level,
                     double& x, double& y) {
    double t = 0;
    if (!std::isfinite(zl)) {
        t = 0;
    } else if (std::fabs(zh - zl) >= 1e-35) {
        t = (zh - level) / (zh - zl);
    }
    x = xh + (xl - xh) * t;
    y = yh + (yl - yh) * t;
}

// Traces every line of `level`: open lines from the border first, then the
// closed ones inside. False when the visited marks could not be allocated.
bool trace_grid(const float* x, int n, const float* y, int m, const float* z, double level, TraceSink& sink);

// True when every value of n coordinates is finite.
bool all_finite(const float* v, long long n);

}  // namespace kal
