// Cutting a triangle with a linear value at level boundaries: the pieces
// between neighbouring levels, each a convex polygon of at most five
// corners with its class. Used by the shaded contours of grids (cells are
// cut as four triangles round their centre) and of triangulations, and by
// anything that colours triangles by classes of values.
#pragma once
#include <algorithm>

namespace kal {

// Class of a value among ascending levels lev[0..nlev-1]: 0 when z <= lev[0],
// nlev when z > lev[nlev-1], else k with lev[k-1] < z <= lev[k]. A value on a
// level belongs to the class below it.
inline int level_class(const double* lev, int nlev, double z) {
    return static_cast<int>(std::lower_bound(lev, lev + nlev, z) - lev);
}

// Cuts the triangle (x, y, z)[3] at the ascending levels lev[0..nlev-1]
// and calls emit(cls, n, px, py) for each piece (n 3 to 5 corners) in
// ascending class. The pieces tile the triangle; a triangle within one
// class is emitted whole. The values must be finite.
template <class Emit>
void cut_triangle(const double* x, const double* y, const double* z, const double* lev, int nlev, Emit&& emit) {
    int c[3];
    for (int i = 0; i < 3; ++i) c[i] = level_class(lev, nlev, z[i]);
    const int lo = std::min({c[0], c[1], c[2]}), hi = std::max({c[0], c[1], c[2]});
    if (lo == hi) {
        emit(lo, 3, x, y);
        return;
    }
    for (int k = lo; k <= hi; ++k) {
        // The part with lev[k-1] < z <= lev[k]: the triangle clipped to
        // z > lev[k-1] (k > lo) and to z <= lev[k] (k < hi).
        double px[8], py[8], pz[8];
        int n = 3;
        for (int i = 0; i < 3; ++i) {
            px[i] = x[i];
            py[i] = y[i];
            pz[i] = z[i];
        }
        const auto clip = [&](double level, bool keep_above) {
            double qx[8], qy[8], qz[8];
            int m = 0;
            for (int i = 0; i < n; ++i) {
                const int j = (i + 1) % n;
                const bool in_i = keep_above ? pz[i] > level : pz[i] <= level;
                const bool in_j = keep_above ? pz[j] > level : pz[j] <= level;
                if (in_i) {
                    qx[m] = px[i];
                    qy[m] = py[i];
                    qz[m++] = pz[i];
                }
                if (in_i != in_j) {
                    const double t = (level - pz[i]) / (pz[j] - pz[i]);
                    qx[m] = px[i] + (px[j] - px[i]) * t;
                    qy[m] = py[i] + (py[j] - py[i]) * t;
                    qz[m++] = level;
                }
            }
            // A crossing exactly on a level stays on the lower side.
            for (int i = 0; i < m; ++i) {
                px[i] = qx[i];
                py[i] = qy[i];
                pz[i] = qz[i];
            }
            n = m;
        };
        if (k > lo) clip(lev[k - 1], true);
        if (n >= 3 && k < hi) clip(lev[k], false);
        if (n >= 3) emit(k, n, static_cast<const double*>(px), static_cast<const double*>(py));
    }
}

}  // namespace kal
