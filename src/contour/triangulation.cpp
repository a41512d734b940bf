// triang: Delaunay triangulation by incremental insertion (Bowyer-Watson).
// Points are inserted in order of increasing x; a triangle whose
// circumcircle lies left of the current point can never be touched again
// and leaves the list of open triangles, so an insertion scans only the
// sweep front. The three vertices of the enclosing triangle lie infinitely
// far away: circles through them are half-planes, and the result covers the
// convex hull, thin triangles at its edge included.
#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <vector>

#include "api/routines_contouring.h"
#include "core/context.h"

namespace kal {
namespace {

// Directions of the three far vertices (counter-clockwise in x right, y up).
constexpr double FAR_X[3] = {-0.8660254037844386, 0.8660254037844386, 0.0};
constexpr double FAR_Y[3] = {-0.5, -0.5, 1.0};

struct Tri {
    int v[3];          // point numbers in insertion order; n.. n+2 the far vertices
    int far = 0;       // how many vertices are far
    double cx = 0, cy = 0, r2 = 0;
    bool circle = false;   // centre and radius known (finite, not degenerate)
};

class Triangulator {
public:
    Triangulator(const double* x, const double* y, int n) : x_(x), y_(y), n_(n) {}

    // False after "Too many edges".
    bool insert_all(Context& ctx) {
        open_.push_back(make(n_, n_ + 1, n_ + 2));
        const size_t edge_limit = size_t(std::max(n_, 100));
        for (int p = 0; p < n_; ++p) {
            edges_.clear();
            const double px = x_[p];
            const double py = y_[p];
            for (size_t t = 0; t < open_.size();) {
                Tri& tri = open_[t];
                if (tri.circle) {
                    // Most of the front lies far above or below the point.
                    const double dy = py - tri.cy;
                    if (dy * dy > tri.r2 * (1 + 1e-9) && px - tri.cx <= 0) {
                        ++t;
                        continue;
                    }
                }
                if (tri.circle && px - tri.cx > 0 && (px - tri.cx) * (px - tri.cx) > tri.r2 * (1 + 1e-12)) {
                    done_.push_back(tri);
                    tri = open_.back();
                    open_.pop_back();
                    continue;
                }
                if (inside(tri, p)) {
                    for (int k = 0; k < 3; ++k) edges_.push_back({tri.v[k], tri.v[(k + 1) % 3]});
                    tri = open_.back();
                    open_.pop_back();
                    continue;
                }
                ++t;
            }
            if (edges_.size() > edge_limit) {
                custom_warning(ctx, 101, "Too many edges");
                return false;
            }
            // Edges of two removed triangles lie inside the hole.
            for (size_t i = 0; i < edges_.size(); ++i) {
                if (edges_[i].a < 0) continue;
                for (size_t j = i + 1; j < edges_.size(); ++j) {
                    if (edges_[j].a == edges_[i].b && edges_[j].b == edges_[i].a) {
                        edges_[i].a = edges_[j].a = -1;
                        break;
                    }
                }
            }
            for (const Edge& e : edges_)
                if (e.a >= 0) open_.push_back(make(e.a, e.b, p));
        }
        return true;
    }

    template <class F>
    void each_finite(F f) const {
        for (const std::vector<Tri>* list : {&done_, &open_})
            for (const Tri& t : *list)
                if (t.far == 0) f(t);
    }

private:
    struct Edge {
        int a, b;
    };

    bool is_far(int v) const { return v >= n_; }

    Tri make(int a, int b, int c) const {
        Tri t;
        t.v[0] = a;
        t.v[1] = b;
        t.v[2] = c;
        t.far = int(is_far(a)) + int(is_far(b)) + int(is_far(c));
        if (t.far == 0) {
            const double ax = x_[a], ay = y_[a];
            const double bx = x_[b] - ax, by = y_[b] - ay, cx = x_[c] - ax, cy = y_[c] - ay;
            const double d = 2 * (bx * cy - by * cx);
            if (std::fabs(d) >= 1e-35) {
                const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
                const double ux = (cy * b2 - by * c2) / d, uy = (bx * c2 - cx * b2) / d;
                t.cx = ax + ux;
                t.cy = ay + uy;
                t.r2 = ux * ux + uy * uy;
                t.circle = std::isfinite(t.r2);
            }
        }
        return t;
    }

    double orient(int a, int b, int p) const {
        return (x_[b] - x_[a]) * (y_[p] - y_[a]) - (y_[b] - y_[a]) * (x_[p] - x_[a]);
    }

    // Point p lies inside the circumcircle of the (counter-clockwise) triangle.
    bool inside(const Tri& t, int p) const {
        const double px = x_[p], py = y_[p];
        if (t.circle) {
            // Clear cases by the centre; the determinant near the circle.
            const double dx = px - t.cx, dy = py - t.cy, d2 = dx * dx + dy * dy;
            if (d2 > t.r2 * (1 + 1e-9)) return false;
            if (d2 < t.r2 * (1 - 1e-9)) return true;
        }
        if (t.far == 0) {
            const int a = t.v[0], b = t.v[1], c = t.v[2];
            const double adx = x_[a] - px, ady = y_[a] - py, bdx = x_[b] - px, bdy = y_[b] - py;
            const double cdx = x_[c] - px, cdy = y_[c] - py;
            const double det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) -
                               (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
                               (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
            return det > 0;
        }
        if (t.far == 3) return true;
        if (t.far == 1) {
            // The finite edge a->b, the far vertex on its left: the half-plane
            // left of it, and the open segment itself.
            int k = 0;
            while (!is_far(t.v[k])) ++k;
            const int a = t.v[(k + 1) % 3], b = t.v[(k + 2) % 3];
            const double o = orient(a, b, p);
            if (o != 0) return o > 0;
            const double dot = (px - x_[a]) * (x_[b] - x_[a]) + (py - y_[a]) * (y_[b] - y_[a]);
            const double len = (x_[b] - x_[a]) * (x_[b] - x_[a]) + (y_[b] - y_[a]) * (y_[b] - y_[a]);
            return dot > 0 && dot < len;
        }
        // One finite vertex a and two far ones: the half-plane beyond the line
        // through a that faces away from the third far vertex.
        int a = 0, missing = 0 + 1 + 2;
        for (int k = 0; k < 3; ++k) {
            if (is_far(t.v[k])) missing -= t.v[k] - n_;
            else a = t.v[k];
        }
        return -(px - x_[a]) * FAR_X[missing] - (py - y_[a]) * FAR_Y[missing] > 0;
    }

    const double *x_, *y_;
    int n_;
    std::vector<Tri> open_, done_;
    std::vector<Edge> edges_;
};

// True when the distinct points do not span a plane: fewer than three, or
// all within 1e-6 d of the line through two points d apart that are about
// the farthest.
bool collinear(const std::vector<double>& x, const std::vector<double>& y) {
    const size_t n = x.size();
    if (n < 3) return true;
    const auto farthest = [&](size_t from) {
        size_t best = from;
        double d = -1;
        for (size_t i = 0; i < n; ++i) {
            const double e = std::hypot(x[i] - x[from], y[i] - y[from]);
            if (e > d) {
                d = e;
                best = i;
            }
        }
        return best;
    };
    const size_t a = farthest(0), b = farthest(a);
    const double dx = x[b] - x[a], dy = y[b] - y[a], d = std::hypot(dx, dy);
    if (!(d > 0)) return true;
    for (size_t i = 0; i < n; ++i)
        if (std::fabs((x[i] - x[a]) * dy - (y[i] - y[a]) * dx) / d > 1e-6 * d) return false;
    return true;
}

}  // namespace

int triang(Context& ctx, const float* x, const float* y, int n, int* i1, int* i2, int* i3, int nmax) {
    if (n < 1 || nmax < 2LL * n + 1) {
        warn_int(ctx, 2, n < 1 ? n : nmax);
        return 0;
    }
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            warn_text(ctx, 2, "value not finite");
            return 0;
        }
    }
    try {
        // Insertion order: increasing x (then y); a point equal to the one
        // before is skipped, so the first of equal points stays.
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return x[a] != x[b] ? x[a] < x[b] : y[a] != y[b] ? y[a] < y[b] : a < b;
        });
        std::vector<double> px, py;
        std::vector<int> number;   // caller's index of each inserted point
        px.reserve(size_t(n));
        py.reserve(size_t(n));
        for (int k : order) {
            if (!number.empty() && std::fabs(x[k] - px.back()) < 1e-35 && std::fabs(y[k] - py.back()) < 1e-35) continue;
            px.push_back(x[k]);
            py.push_back(y[k]);
            number.push_back(k + 1);
        }
        if (collinear(px, py)) {
            custom_warning(ctx, 101, "Cannot calculate circle - points are collinear");
            return 0;
        }
        Triangulator t(px.data(), py.data(), int(px.size()));
        t.insert_all(ctx);
        int count = 0;
        t.each_finite([&](const Tri& tri) {
            if (count >= nmax) return;
            i1[count] = number[size_t(tri.v[0])];
            i2[count] = number[size_t(tri.v[1])];
            i3[count] = number[size_t(tri.v[2])];
            ++count;
        });
        return count;
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return 0;
    }
}

}  // namespace kal
