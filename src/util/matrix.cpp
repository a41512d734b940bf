// trfmat: resamples a matrix of nx by ny values onto nx2 by ny2 points
// spanning the same rectangle, by bilinear interpolation. Both matrices are
// stored row after row with the first index the slower one.
#include <algorithm>

#include "api/routines_utilities.h"
#include "core/context.h"

namespace kal {
namespace {

// Position of point i of n on a grid of m points, as index and fraction.
void locate(int i, int n, int m, int& k, double& t) {
    if (n == 1 || m == 1) {
        k = 0;
        t = 0.0;
        return;
    }
    const double pos = static_cast<double>(i) * (m - 1) / (n - 1);
    k = std::min(static_cast<int>(pos), m - 2);
    t = pos - k;
}

}  // namespace

void trfmat(Context& ctx, const float* zmat, int nx, int ny, float* zmat2, int nx2, int ny2) {
    if (nx < 1 || ny < 1 || nx2 < 1 || ny2 < 1) {
        warn_int(ctx, 2, std::min(std::min(nx, ny), std::min(nx2, ny2)));
        return;
    }
    auto z = [&](int i, int j) { return static_cast<double>(zmat[static_cast<long>(i) * ny + j]); };
    for (int i = 0; i < nx2; ++i) {
        int ki;
        double ti;
        locate(i, nx2, nx, ki, ti);
        const int ki1 = std::min(ki + 1, nx - 1);
        for (int j = 0; j < ny2; ++j) {
            int kj;
            double tj;
            locate(j, ny2, ny, kj, tj);
            const int kj1 = std::min(kj + 1, ny - 1);
            const double v = (1 - ti) * ((1 - tj) * z(ki, kj) + tj * z(ki, kj1)) +
                             ti * ((1 - tj) * z(ki1, kj) + tj * z(ki1, kj1));
            zmat2[static_cast<long>(i) * ny2 + j] = static_cast<float>(v);
        }
    }
}

}  // namespace kal
