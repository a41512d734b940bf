#include "plot2d/spline.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "api/routines_curves_error_bars_and_splines.h"
#include "core/context.h"
#include "plot2d/curves.h"

namespace kal {
namespace {

// The knot span s with t[s] <= u < t[s + 1] (the last span for u at the end).
int find_span(const std::vector<double>& t, int n, int p, double u) {
    if (u >= t[n]) return n - 1;
    auto it = std::upper_bound(t.begin() + p, t.begin() + n + 1, u);
    return int(it - t.begin()) - 1;
}

// The p + 1 basis functions that are non-zero on span s at u.
void basis(const std::vector<double>& t, int s, int p, double u, double* out) {
    double left[11], right[11];
    out[0] = 1;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - t[s + 1 - j];
        right[j] = t[s + j] - u;
        double saved = 0;
        for (int r = 0; r < j; ++r) {
            const double d = right[r + 1] + left[j - r];
            const double temp = d != 0 ? out[r] / d : 0;
            out[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        out[j] = saved;
    }
}

// Solves the banded collocation system (half bandwidth p) for one or two
// right-hand sides. The matrix of B-spline values is totally positive, so
// elimination needs no pivoting.
void solve_band(std::vector<double>& a, int n, int p, std::vector<double>* (&rhs)[2]) {
    const int w = 2 * p + 1;
    auto at = [&](int i, int j) -> double& { return a[size_t(i) * w + size_t(j - i + p)]; };
    for (int k = 0; k < n; ++k) {
        const double pivot = at(k, k);
        if (pivot == 0) continue;
        for (int i = k + 1; i <= std::min(k + p, n - 1); ++i) {
            const double f = at(i, k) / pivot;
            if (f == 0) continue;
            for (int j = k; j <= std::min(k + p, n - 1); ++j) at(i, j) -= f * at(k, j);
            for (auto* r : rhs)
                if (r) (*r)[i] -= f * (*r)[k];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        for (auto* r : rhs) {
            if (!r) continue;
            double v = (*r)[k];
            for (int j = k + 1; j <= std::min(k + p, n - 1); ++j) v -= at(k, j) * (*r)[j];
            (*r)[k] = at(k, k) != 0 ? v / at(k, k) : 0;
        }
    }
}

}  // namespace

bool interpolate_spline(Context& ctx, const double* x, const double* y, int n, bool parametric,
                        int order, int count, std::vector<double>& sx, std::vector<double>& sy) {
    // Parameters and values of the distinct points.
    std::vector<double> u, vx, vy;
    try {
        u.reserve(size_t(n));
        vx.reserve(size_t(n));
        vy.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
                warn_text(ctx, 2, "value not finite");
                return false;
            }
            if (parametric) {
                if (!u.empty() && x[i] == vx.back() && y[i] == vy.back()) continue;
                u.push_back(u.empty() ? 0.0 : u.back() + std::hypot(x[i] - vx.back(), y[i] - vy.back()));
            } else {
                if (!u.empty() && !(x[i] > u.back())) {
                    warn(ctx, 32);
                    return false;
                }
                u.push_back(x[i]);
            }
            vx.push_back(x[i]);
            vy.push_back(y[i]);
        }
        const int m = int(u.size());
        if (m < 3) {
            warn(ctx, 31);
            return false;
        }
        const int p = std::min(order, m - 1);
        std::vector<double> t(size_t(m + p + 1));
        for (int j = 0; j <= p; ++j) {
            t[size_t(j)] = u.front();
            t[size_t(m + j)] = u.back();
        }
        for (int j = 1; j <= m - p - 1; ++j) {
            double sum = 0;
            for (int i = j; i < j + p; ++i) sum += u[size_t(i)];
            t[size_t(j + p)] = sum / p;
        }
        const int w = 2 * p + 1;
        std::vector<double> a(size_t(m) * size_t(w), 0.0);
        double values[11];
        for (int i = 0; i < m; ++i) {
            const int s = find_span(t, m, p, u[size_t(i)]);
            basis(t, s, p, u[size_t(i)], values);
            for (int r = 0; r <= p; ++r) {
                const int j = s - p + r;
                if (std::abs(j - i) <= p) a[size_t(i) * w + size_t(j - i + p)] = values[r];
            }
        }
        std::vector<double>* rhs[2] = {parametric ? &vx : nullptr, &vy};
        solve_band(a, m, p, rhs);

        sx.assign(size_t(count), 0.0);
        sy.assign(size_t(count), 0.0);
        for (int k = 0; k < count; ++k) {
            const double uk = k == count - 1 ? u.back()
                                             : u.front() + (u.back() - u.front()) * k / (count - 1);
            const int s = find_span(t, m, p, uk);
            basis(t, s, p, uk, values);
            double px = 0, py = 0;
            for (int r = 0; r <= p; ++r) {
                px += values[r] * vx[size_t(s - p + r)];
                py += values[r] * vy[size_t(s - p + r)];
            }
            sx[size_t(k)] = parametric ? px : uk;
            sy[size_t(k)] = py;
        }
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return false;
    }
    return true;
}

void spline(Context& ctx, const float* x, const float* y, int n, float* xray, float* yray,
            int* nspl) {
    *nspl = 0;
    if (n < 1) {
        warn(ctx, 31);
        return;
    }
    std::vector<double> dx(x, x + n), dy(y, y + n), sx, sy;
    const CurveState& c = ctx.curves;
    if (!interpolate_spline(ctx, dx.data(), dy.data(), n, c.mode == MODE_PSPL, c.spline_order,
                            c.spline_points, sx, sy))
        return;
    for (size_t i = 0; i < sx.size(); ++i) {
        xray[i] = float(sx[i]);
        yray[i] = float(sy[i]);
    }
    *nspl = int(sx.size());
}

}  // namespace kal
