#include "util/array_scan.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kal {

FloatBounds float_bounds(const float* x, const float* y, int n) {
    FloatBounds b{INFINITY, -INFINITY, INFINITY, -INFINITY, false};
    int i = 0;
#if defined(__SSE2__)
    if (n >= 4) {
        __m128 xlo = _mm_set1_ps(INFINITY), xhi = _mm_set1_ps(-INFINITY);
        __m128 ylo = xlo, yhi = xhi, nan = _mm_setzero_ps();
        for (; i + 4 <= n; i += 4) {
            const __m128 vx = _mm_loadu_ps(x + i), vy = _mm_loadu_ps(y + i);
            xlo = _mm_min_ps(xlo, vx);
            xhi = _mm_max_ps(xhi, vx);
            ylo = _mm_min_ps(ylo, vy);
            yhi = _mm_max_ps(yhi, vy);
            nan = _mm_or_ps(nan, _mm_cmpunord_ps(vx, vy));
        }
        alignas(16) float v[5][4];
        _mm_store_ps(v[0], xlo);
        _mm_store_ps(v[1], xhi);
        _mm_store_ps(v[2], ylo);
        _mm_store_ps(v[3], yhi);
        _mm_store_ps(v[4], nan);
        for (int k = 0; k < 4; ++k) {
            b.xmin = std::fmin(b.xmin, v[0][k]);
            b.xmax = std::fmax(b.xmax, v[1][k]);
            b.ymin = std::fmin(b.ymin, v[2][k]);
            b.ymax = std::fmax(b.ymax, v[3][k]);
            b.nan |= v[4][k] != 0.0f;  // all bits set where a lane was NaN
        }
    }
#endif
    for (; i < n; ++i) {
        b.nan |= (x[i] != x[i]) | (y[i] != y[i]);
        b.xmin = std::fmin(b.xmin, x[i]);
        b.xmax = std::fmax(b.xmax, x[i]);
        b.ymin = std::fmin(b.ymin, y[i]);
        b.ymax = std::fmax(b.ymax, y[i]);
    }
    return b;
}

bool distinct_within(const double* x, const double* y, int n, double xmin, double xmax, double ymin,
                     double ymax) {
    int i = 0;
#if defined(__SSE2__)
    if (n >= 3) {
        const __m128d lox = _mm_set1_pd(xmin), hix = _mm_set1_pd(xmax);
        const __m128d loy = _mm_set1_pd(ymin), hiy = _mm_set1_pd(ymax);
        __m128d inside = _mm_castsi128_pd(_mm_set1_epi32(-1)), repeated = _mm_setzero_pd();
        // Points i, i + 1 against the window and against points i - 1, i.
        for (i = 1; i + 2 <= n; i += 2) {
            const __m128d vx = _mm_loadu_pd(x + i), vy = _mm_loadu_pd(y + i);
            const __m128d in_x = _mm_and_pd(_mm_cmpge_pd(vx, lox), _mm_cmple_pd(vx, hix));
            const __m128d in_y = _mm_and_pd(_mm_cmpge_pd(vy, loy), _mm_cmple_pd(vy, hiy));
            inside = _mm_and_pd(inside, _mm_and_pd(in_x, in_y));
            const __m128d same = _mm_and_pd(_mm_cmpeq_pd(vx, _mm_loadu_pd(x + i - 1)),
                                            _mm_cmpeq_pd(vy, _mm_loadu_pd(y + i - 1)));
            repeated = _mm_or_pd(repeated, same);
        }
        if (_mm_movemask_pd(inside) != 3 || _mm_movemask_pd(repeated) != 0) return false;
        // Point 0 against the window; the loop below takes what is left.
        if (!(x[0] >= xmin && x[0] <= xmax && y[0] >= ymin && y[0] <= ymax)) return false;
    }
#endif
    for (; i < n; ++i) {
        if (!(x[i] >= xmin && x[i] <= xmax && y[i] >= ymin && y[i] <= ymax)) return false;
        if (i > 0 && x[i] == x[i - 1] && y[i] == y[i - 1]) return false;
    }
    return true;
}

}  // namespace kal
