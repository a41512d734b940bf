// The grid tracer. A trace holds one edge from a below point L to an above
// point H and keeps the above side on the same hand; cells are split at
// their centre (the mean of the four corners) where the line turns.
#include "contour/grid_trace.h"

#include <new>
#include <vector>

namespace kal {

bool all_finite(const float* v, long long n) {
    for (long long i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

namespace {

struct GridPoint {
    int i, j;
};

// The step from L to the next point P, by the direction H - L.
GridPoint step_of(int di, int dj) {
    if (di == -1 && dj <= 0) return {0, -1};
    if ((di == -1 && dj == 1) || (di == 0 && dj == 1)) return {-1, 0};
    if (dj == -1) return {1, 0};   // (0, -1) and (+1, -1)
    return {0, 1};                 // (+1, 0) and (+1, +1)
}

class Tracer {
public:
    Tracer(const float* x, int n, const float* y, int m, const float* z, double level, TraceSink& sink)
        : x_(x), y_(y), z_(z), n_(n), m_(m), level_(level), sink_(sink),
          visited_(size_t(n) * size_t(m) + 1, 0) {}

    void run() {
        // Border starts: bottom, right, top, left, each edge from below to above.
        for (int i = 1; i < n_; ++i) start({i - 1, 0}, {i, 0});
        for (int j = 1; j < m_; ++j) start({n_ - 1, j - 1}, {n_ - 1, j});
        for (int i = n_ - 2; i >= 0; --i) start({i + 1, m_ - 1}, {i, m_ - 1});
        for (int j = m_ - 2; j >= 0; --j) start({0, j + 1}, {0, j});
        // Closed lines: a start edge not yet visited.
        for (int j = 1; j <= m_ - 2; ++j)
            for (int i = 1; i < n_; ++i)
                if (!visited_[mark(i, j)]) start({i - 1, j}, {i, j});
    }

private:
    double zv(GridPoint p) const { return z_[size_t(p.i) * size_t(m_) + size_t(p.j)]; }
    bool above(GridPoint p) const { return above_level(zv(p), level_); }
    size_t mark(int i, int j) const { return size_t(i) * size_t(m_) + size_t(j); }
    bool inside(GridPoint p) const { return p.i >= 0 && p.i < n_ && p.j >= 0 && p.j < m_; }

    void emit(double xh, double yh, double zh, double xl, double yl, double zl) {
        double px, py;
        crossing(xh, yh, zh, xl, yl, zl, level_, px, py);
        sink_.point(px, py);
    }
    void emit_edge(GridPoint h, GridPoint l) { emit(x_[h.i], y_[h.j], zv(h), x_[l.i], y_[l.j], zv(l)); }
    // Crossings between a corner and the cell centre c.
    struct Centre {
        double x, y, z;
    };
    void emit_above_centre(GridPoint h, const Centre& c) { emit(x_[h.i], y_[h.j], zv(h), c.x, c.y, c.z); }
    void emit_centre_above(const Centre& c, GridPoint l) { emit(c.x, c.y, c.z, x_[l.i], y_[l.j], zv(l)); }

    void start(GridPoint l, GridPoint h) {
        if (above(l) || !above(h)) return;
        sink_.begin_line();
        trace(l, h);
        sink_.end_line();
    }

    void trace(GridPoint l, GridPoint h) {
        // Every step moves to another edge; the bound only guards the loop.
        const long long limit = 8LL * n_ * m_ + 16;
        for (long long steps = 0; steps < limit; ++steps) {
            emit_edge(h, l);
            if (h.i == l.i + 1 && h.j == l.j) {
                char& v = visited_[mark(h.i, h.j)];
                if (v) return;
                v = 1;
            }
            const GridPoint d = step_of(h.i - l.i, h.j - l.j);
            const GridPoint p{l.i + d.i, l.j + d.j};
            if (!inside(p)) return;
            if (h.i != l.i && h.j != l.j) {  // a diagonal edge
                if (above(p)) h = p;
                else l = p;
                continue;
            }
            const GridPoint d2 = step_of(h.i - p.i, h.j - p.j);
            const GridPoint q{p.i + d2.i, p.j + d2.j};
            const Centre c{(x_[h.i] + double(x_[p.i])) / 2, (y_[h.j] + double(y_[p.j])) / 2,
                           (zv(l) + zv(h) + zv(p) + zv(q)) / 4};
            if (!above_level(c.z, level_)) {
                emit_above_centre(h, c);
                if (!above(q)) {
                    l = q;
                } else {
                    emit_above_centre(q, c);
                    if (!above(p)) {
                        l = p;
                        h = q;
                    } else {
                        emit_above_centre(p, c);
                        h = p;
                    }
                }
            } else {
                emit_centre_above(c, l);
                if (!above(p)) {
                    emit_centre_above(c, p);
                    if (!above(q)) {
                        emit_centre_above(c, q);
                        l = q;
                    } else {
                        l = p;
                        h = q;
                    }
                } else {
                    h = p;
                }
            }
        }
    }

    const float *x_, *y_, *z_;
    int n_, m_;
    double level_;
    TraceSink& sink_;
    std::vector<char> visited_;
};

}  // namespace

bool trace_grid(const float* x, int n, const float* y, int m, const float* z, double level, TraceSink& sink) {
    if (n < 2 || m < 2) return true;
    try {
        Tracer t(x, n, y, m, z, level, sink);
        t.run();
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace kal
