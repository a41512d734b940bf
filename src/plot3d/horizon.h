// The floating horizon of the hidden-line meshes: for each page column (one
// plot unit wide) the lowest and the highest point drawn so far. A point
// below everything at its column shows the bottom side of a surface, one
// above everything its top side; anything between is hidden.
//
// Coordinates are those the line layer receives (plot coordinates with the
// plot origin offset added, y downwards). Columns outside the page are
// never indexed; rows are clamped to -1 .. page height + 1, which keeps the
// arrays in 32 bits on any page.
#pragma once
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "output/line_layer.h"

namespace kal {

struct Context;

enum HorizonSide : int { SIDE_HIDDEN = 0, SIDE_TOP = 1, SIDE_BOTTOM = 2, SIDE_BOTH = 3 };

class Horizon {
public:
    // Empty: everything is visible. Throws std::bad_alloc.
    void start(int page_width, int page_height);
    void clear();
    bool empty() const { return upper_.empty(); }
    int columns() const { return int(upper_.size()); }

    // Which sides of the surface the point (column x, row y) shows: the
    // bottom when y is greater than every y drawn there, the top when less
    // than every one. Off the page in x: both (the window clips it).
    int side(int x, int y) const {
        if (x < 0 || x >= int(upper_.size())) return SIDE_BOTH;
        return (y > upper_[size_t(x)] ? SIDE_BOTTOM : 0) | (y < lower_[size_t(x)] ? SIDE_TOP : 0);
    }
    void widen(int x, int y) {
        if (x < 0 || x >= int(upper_.size())) return;
        if (y > upper_[size_t(x)]) upper_[size_t(x)] = y;
        if (y < lower_[size_t(x)]) lower_[size_t(x)] = y;
    }

    // The segment a-b: its part over the page is stepped through in plot
    // units (Bresenham), each step judged against what was drawn before the
    // segment, which then widens the arrays (when `widen_it`); `stretch(t0, t1, side)` receives the runs of equal
    // side as parameter ranges of the segment (each step owns half a step
    // either side). Parts beside the page are left out; parts above or
    // below it only widen the arrays.
    template <class F>
    void segment(double ax, double ay, double bx, double by, bool widen_it, F&& stretch);

private:
    template <class F>
    void trace(double ax, double ay, double bx, double by, bool widen_it, F&& stretch);
    // Widens the columns that the part t0..t1 of a-b crosses at row y.
    void widen_columns(double ax, double bx, double t0, double t1, int y);
    std::vector<int32_t> upper_, lower_;  // greatest and least y per column
    std::vector<std::pair<int, int>> steps_;  // of the segment being traced
    int height_ = 0;
};

// The horizon that shlsur keeps: later lines (not areas) that reach the
// line layer are cut where it hides them, after the projection that was in
// place when it was kept; it is not widened by them.
class HorizonFilter final : public LineProjection {
public:
    void project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) override;
    Context* ctx = nullptr;
    LineProjection* inner = nullptr;
    Horizon horizon;
    bool active = false;
};

// Keeps the horizon of the surface just drawn in place of one kept before;
// `active`: as the filter of later lines (shlsur), else until shlsur asks.
void keep_horizon(Context& ctx, Horizon&& h, bool active);
// Ends the kept horizon (a new surface, a new 3-D axis system, reset).
void drop_kept_horizon(Context& ctx);

// ---- template bodies ----

// The parameter range of a-b with lo <= a + t (b - a) <= hi (in one
// coordinate); false when empty.
bool clip_range(double a, double b, double lo, double hi, double& t0, double& t1);

template <class F>
void Horizon::segment(double ax, double ay, double bx, double by, bool widen_it, F&& stretch) {
    double t0 = 0, t1 = 1;
    const int w = int(upper_.size()) - 1;
    if (!clip_range(ax, bx, -0.5, w + 0.5, t0, t1)) return;
    double u0 = t0, u1 = t1;
    const bool inside = clip_range(ay, by, -1, height_ + 1, u0, u1);
    if (inside) {
        const double px = ax + (bx - ax) * u0, py = ay + (by - ay) * u0;
        const double qx = ax + (bx - ax) * u1, qy = ay + (by - ay) * u1;
        trace(px, py, qx, qy, widen_it, [&](double s0, double s1, int side) {
            stretch(u0 + (u1 - u0) * s0, u0 + (u1 - u0) * s1, side);
        });
    }
    if (!widen_it) return;
    // Above (y < -1) or below the page: the rows clamp to its edges.
    const auto row = [&](double a, double b) { return ay + (by - ay) * (a + b) / 2 < 0 ? -1 : height_ + 1; };
    if (!inside) {
        widen_columns(ax, bx, t0, t1, row(t0, t1));
        return;
    }
    if (u0 > t0) widen_columns(ax, bx, t0, u0, row(t0, u0));
    if (u1 < t1) widen_columns(ax, bx, u1, t1, row(u1, t1));
}

template <class F>
void Horizon::trace(double ax, double ay, double bx, double by, bool widen_it, F&& stretch) {
    const long long x0 = std::llround(ax), y0 = std::llround(ay), x1 = std::llround(bx), y1 = std::llround(by);
    const long long dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const long long sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const long long steps = dx > dy ? dx : dy;
    const double half = steps > 0 ? 0.5 / double(steps) : 0.5;
    long long x = x0, y = y0, err = dx - dy;
    int run_side = -1;
    long long run_start = 0;
    const auto emit = [&](long long first, long long last, int s) {
        double t0 = double(first) / double(steps ? steps : 1) - half, t1 = double(last) / double(steps ? steps : 1) + half;
        stretch(t0 < 0 ? 0.0 : t0, t1 > 1 ? 1.0 : t1, s);
    };
    for (long long k = 0; k <= steps; ++k) {
        const int xi = int(x), yi = int(y);
        const int s = side(xi, yi);
        if (s != run_side) {
            if (run_side >= 0) emit(run_start, k - 1, run_side);
            run_side = s;
            run_start = k;
        }
        if (widen_it) steps_.push_back({xi, yi});
        if (k == steps) break;
        const long long e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    emit(run_start, steps, run_side);
    // A straight segment hides nothing of itself: it widens the arrays once
    // all its steps are judged.
    for (const auto& p : steps_) widen(p.first, p.second);
    steps_.clear();
}

}  // namespace kal
