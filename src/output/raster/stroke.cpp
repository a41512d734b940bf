#include "output/raster/stroke.h"

#include <algorithm>
#include <cmath>

#include "output/raster/raster.h"

namespace kal {

void PolygonScan::add_contour(const double* x, const double* y, int n, bool oriented) {
    if (n < 3) return;
    int sign = 1;
    if (oriented) {
        double area = 0;
        for (int i = 0; i < n; ++i) {
            const int j = (i + 1) % n;
            area += x[i] * y[j] - x[j] * y[i];
        }
        if (!(area != 0.0)) return;  // no area (or not finite): nothing inside
        sign = area < 0 ? -1 : 1;
    }
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || !std::isfinite(x[j]) || !std::isfinite(y[j])) continue;
        if (y[i] == y[j]) continue;
        if (y[i] < y[j])
            edges_.push_back({x[i], y[i], x[j], y[j], sign});
        else
            edges_.push_back({x[j], y[j], x[i], y[i], -sign});
    }
}

void PolygonScan::fill(Raster& r, bool nonzero) {
    if (edges_.empty() || r.width() == 0) return;
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    double ymax = edges_[0].y1;
    for (const Edge& e : edges_) ymax = std::max(ymax, e.y1);
    // Rows whose centre y lies in [ymin, ymax).
    const double first = std::max(0.0, std::ceil(edges_[0].y0));
    const double last = std::min(double(r.height()) - 1, std::ceil(ymax) - 1);
    if (first > last) return;
    const long long row0 = static_cast<long long>(first), row1 = static_cast<long long>(last);
    const double wmax = r.width();
    size_t next = 0;
    active_.clear();
    for (long long row = row0; row <= row1; ++row) {
        const double y = double(row);
        while (next < edges_.size() && edges_[next].y0 <= y) active_.push_back(&edges_[next++]);
        active_.erase(std::remove_if(active_.begin(), active_.end(), [y](const Edge* e) { return e->y1 <= y; }),
                      active_.end());
        cross_.clear();
        for (const Edge* e : active_)
            cross_.push_back({e->x0 + (y - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->dir});
        std::sort(cross_.begin(), cross_.end());
        int winding = 0;
        double start = 0;
        for (const auto& [x, dir] : cross_) {
            const bool was = nonzero ? winding != 0 : (winding & 1) != 0;
            winding += nonzero ? dir : 1;
            const bool is = nonzero ? winding != 0 : (winding & 1) != 0;
            if (!was && is) start = x;
            if (was && !is) {
                // Pixels i with start <= i < x.
                const double a = std::max(0.0, std::ceil(start)), b = std::min(wmax - 1, std::ceil(x) - 1);
                if (a <= b) {
                    const int row_i = static_cast<int>(row);
                    r.fill_rect(static_cast<int>(a), row_i, static_cast<int>(b), row_i);
                }
            }
        }
    }
}

namespace {

enum { JOIN_SHARP = 0, JOIN_ROUND = 1 };
enum { CAP_CUT = 0, CAP_ROUND = 1, CAP_LONG = 2 };

struct P {
    double x, y;
};

void contour(PolygonScan& scan, std::initializer_list<P> pts) {
    double x[4], y[4];
    int n = 0;
    for (const P& p : pts) {
        x[n] = p.x;
        y[n] = p.y;
        ++n;
    }
    scan.add_contour(x, y, n, true);
}

void disc(PolygonScan& scan, P c, double r) {
    const int n = std::clamp(4 * static_cast<int>(std::ceil(2 * std::sqrt(r))), 8, 128);
    double x[128], y[128];
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        x[i] = c.x + r * std::cos(a);
        y[i] = c.y + r * std::sin(a);
    }
    scan.add_contour(x, y, n, true);
}

// The join at v between the directions u1 and u2 (unit vectors), on the
// outer side of the turn.
void join(PolygonScan& scan, P v, P u1, P u2, double h, const StrokeStyle& s) {
    const double cross = u1.x * u2.y - u1.y * u2.x, dot = u1.x * u2.x + u1.y * u2.y;
    if (std::fabs(cross) < 1e-12 && dot > 0) return;  // straight on
    if (s.join == JOIN_ROUND) {
        disc(scan, v, h);
        return;
    }
    if (std::fabs(cross) < 1e-12) return;  // turned back: the segments cover it
    const double side = cross > 0 ? -1 : 1;
    const P n1{-u1.y, u1.x}, n2{-u2.y, u2.x};
    const P a{v.x + side * n1.x * h, v.y + side * n1.y * h}, b{v.x + side * n2.x * h, v.y + side * n2.y * h};
    if (s.join == JOIN_SHARP) {
        const double c = n1.x * n2.x + n1.y * n2.y;  // cosine of the turn
        const double half = std::sqrt(std::max(0.0, (1 + c) / 2));
        if (half > 0 && 1 / half <= s.miter) {
            const double k = side * h / (1 + c);
            contour(scan, {v, a, {v.x + (n1.x + n2.x) * k, v.y + (n1.y + n2.y) * k}, b});
            return;
        }
    }
    contour(scan, {v, a, b});
}

// Runs of more than four points in one column (by_x) or one row: the
// segments between them cover the stretch from the run's least to its
// greatest coordinate, which its first point, the two extremes in the order
// met and its last point cover as well. A dense curve (many points to a
// pixel) shrinks to a few points a column.
void squeeze(std::vector<P>& p, bool by_x) {
    auto key = [by_x](const P& a) { return by_x ? a.x : a.y; };
    auto along = [by_x](const P& a) { return by_x ? a.y : a.x; };
    std::vector<P> q;
    q.reserve(p.size());
    auto add = [&q](const P& a) {
        if (q.empty() || q.back().x != a.x || q.back().y != a.y) q.push_back(a);
    };
    for (size_t i = 0; i < p.size();) {
        size_t j = i;
        while (j + 1 < p.size() && key(p[j + 1]) == key(p[i])) ++j;
        if (j - i < 4) {
            for (size_t k = i; k <= j; ++k) add(p[k]);
        } else {
            size_t lo = i, hi = i;
            for (size_t k = i; k <= j; ++k) {
                if (along(p[k]) < along(p[lo])) lo = k;
                if (along(p[k]) > along(p[hi])) hi = k;
            }
            add(p[i]);
            add(p[std::min(lo, hi)]);
            add(p[std::max(lo, hi)]);
            add(p[j]);
        }
        i = j + 1;
    }
    if (q.size() < p.size()) p.swap(q);
}

}  // namespace

void add_stroke(PolygonScan& scan, const double* x, const double* y, int n, const StrokeStyle& s, bool cap_start,
                bool cap_end) {
    std::vector<P> p;
    p.reserve(size_t(std::max(n, 0)));
    double length = 0;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
        if (!p.empty()) {
            if (p.back().x == x[i] && p.back().y == y[i]) continue;
            length += std::hypot(x[i] - p.back().x, y[i] - p.back().y);
        }
        p.push_back({x[i], y[i]});
    }
    if (p.empty()) return;
    const double h = s.width / 2;
    if (length <= 1.5) {
        // A dot: the same size wherever it falls between the pixels.
        const double side = std::max(1.0, std::floor(s.width + 0.5)), r = side / 2;
        const P m{(p.front().x + p.back().x) / 2, (p.front().y + p.back().y) / 2};
        if (s.cap == CAP_ROUND && side >= 3)
            disc(scan, m, r);
        else
            contour(scan, {{m.x - r, m.y - r}, {m.x + r, m.y - r}, {m.x + r, m.y + r}, {m.x - r, m.y + r}});
        return;
    }
    squeeze(p, true);
    squeeze(p, false);
    const size_t m = p.size() - 1;
    const bool ring = p.size() > 3 && p.front().x == p.back().x && p.front().y == p.back().y;
    std::vector<P> dir(m);
    for (size_t i = 0; i < m; ++i) {
        const double len = std::hypot(p[i + 1].x - p[i].x, p[i + 1].y - p[i].y);
        dir[i] = {(p[i + 1].x - p[i].x) / len, (p[i + 1].y - p[i].y) / len};
    }
    const bool long_start = s.cap == CAP_LONG && cap_start && !ring;
    const bool long_end = s.cap == CAP_LONG && cap_end && !ring;
    // Where pieces meet (segments, joins) their shapes overlap by a sliver,
    // so that a pixel centre on the common edge is never left out by the
    // rounding of one side.
    constexpr double OVERLAP = 0.02;
    for (size_t i = 0; i < m; ++i) {
        P a = p[i], b = p[i + 1];
        const P u = dir[i], nrm{-u.y * h, u.x * h};
        const double back = i == 0 && !ring ? (long_start ? h : 0) : OVERLAP;
        const double ahead = i + 1 == m && !ring ? (long_end ? h : 0) : OVERLAP;
        a = {a.x - u.x * back, a.y - u.y * back};
        b = {b.x + u.x * ahead, b.y + u.y * ahead};
        contour(scan, {{a.x + nrm.x, a.y + nrm.y}, {b.x + nrm.x, b.y + nrm.y}, {b.x - nrm.x, b.y - nrm.y},
                       {a.x - nrm.x, a.y - nrm.y}});
        if (i > 0) join(scan, p[i], dir[i - 1], dir[i], h, s);
    }
    if (ring) join(scan, p[0], dir[m - 1], dir[0], h, s);
    if (s.cap == CAP_ROUND && !ring) {
        if (cap_start) disc(scan, p.front(), h);
        if (cap_end) disc(scan, p.back(), h);
    }
}

}  // namespace kal
