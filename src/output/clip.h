// Clipping of segments to the clipping window (rectangle or circle).
#pragma once
#include <cmath>

namespace kal {

struct Context;

// Points this close outside the window count as inside it (plot units).
constexpr double CLIP_TOLERANCE = 0.001;

// Whether a point lies inside the window (0.001 plot units of tolerance) or
// inside the clipping circle.
bool inside_window(const Context& ctx, double x, double y);

// Cuts the segment to the window; false when nothing of it is visible.
bool clip_segment(const Context& ctx, double& x1, double& y1, double& x2, double& y2);

}  // namespace kal

namespace kal {

// Cuts a device segment to the square |x|, |y| <= limit that the document
// formats can hold; false when nothing of it lies inside (or a coordinate
// is not a number). The cut keeps the segment's direction.
bool clip_to_limit(double& x1, double& y1, double& x2, double& y2, double limit);

// The pen of a document writer (PDF, SVG) whose numbers must stay within
// LIMIT: a draw that leaves the square is cut where it crosses the border,
// so a far point bends no line; a draw that starts outside begins with a
// move to where it enters.
class LimitedPen {
public:
    static constexpr double LIMIT = 1e7;

    // emit(x, y, pen) receives 0 to 2 operations with pen 3 (move) or 2 (draw).
    template <class Emit>
    void step(double x, double y, int pen, Emit emit) {
        const double px = x_, py = y_;
        double x1 = px, y1 = py, x2 = x, y2 = y;
        x_ = x;
        y_ = y;
        if (pen != 2) {
            // A point outside gives no move: the draw from it moves first.
            if (inside(x, y)) emit(x, y, 3);
            return;
        }
        if (!clip_to_limit(x1, y1, x2, y2, LIMIT)) return;
        if (x1 != px || y1 != py) emit(x1, y1, 3);   // entered the square
        emit(x2, y2, 2);
    }

    // n points, the first with pen code first_pen and the others draws.
    // Stretches of draws that begin and stay inside the square, which
    // step() would pass on unchanged, go to draws(n, x, y) whole; every
    // other point goes through step().
    template <class Emit, class Draws>
    void run(int n, const double* x, const double* y, int first_pen, Emit emit, Draws draws) {
        int i = 0;
        if (n > 0 && first_pen != 2) {
            step(x[0], y[0], first_pen, emit);
            i = 1;
        }
        while (i < n) {
            int k = 0;
            if (inside(x_, y_))
                while (i + k < n && inside(x[i + k], y[i + k])) ++k;
            if (k == 0) {
                step(x[i], y[i], 2, emit);
                ++i;
                continue;
            }
            draws(k, x + i, y + i);
            x_ = x[i + k - 1];
            y_ = y[i + k - 1];
            i += k;
        }
    }

private:
    // Within the square (false for NaN).
    static bool inside(double x, double y) { return std::fabs(x) <= LIMIT && std::fabs(y) <= LIMIT; }

    double x_ = 0, y_ = 0;
};

}  // namespace kal
