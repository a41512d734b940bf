#include "output/clip.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"

namespace kal {
namespace {

// Liang-Barsky: cuts the segment to the box [xmin, xmax] x [ymin, ymax];
// false when nothing of it lies inside.
bool clip_box(double xmin, double ymin, double xmax, double ymax, double& x1, double& y1, double& x2,
              double& y2) {
    // Nearly every segment of a plot lies wholly inside: no cutting needed.
    if (x1 >= xmin && x1 <= xmax && x2 >= xmin && x2 <= xmax && y1 >= ymin && y1 <= ymax &&
        y2 >= ymin && y2 <= ymax)
        return true;
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            if (t > t0) t0 = t;
        } else {
            if (t < t0) return false;
            if (t < t1) t1 = t;
        }
    }
    const double ox = x1, oy = y1;
    if (t1 < 1.0) {
        x2 = ox + t1 * dx;
        y2 = oy + t1 * dy;
    }
    if (t0 > 0.0) {
        x1 = ox + t0 * dx;
        y1 = oy + t0 * dy;
    }
    return true;
}

// The clipping window (inclusive integer corners, a small tolerance).
bool clip_rect(const int* w, double& x1, double& y1, double& x2, double& y2) {
    return clip_box(w[0] - CLIP_TOLERANCE, w[1] - CLIP_TOLERANCE, w[2] + CLIP_TOLERANCE, w[3] + CLIP_TOLERANCE, x1, y1, x2, y2);
}

bool clip_circle(double cx, double cy, double r, double& x1, double& y1, double& x2, double& y2) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double fx = x1 - cx, fy = y1 - cy;
    const double a = dx * dx + dy * dy;
    const double b = 2 * (fx * dx + fy * dy);
    const double c = fx * fx + fy * fy - r * r;
    if (a == 0.0) return c <= 0.0;
    const double disc = b * b - 4 * a * c;
    if (disc < 0.0) return false;
    const double root = std::sqrt(disc);
    double t0 = (-b - root) / (2 * a), t1 = (-b + root) / (2 * a);
    if (t0 < 0.0) t0 = 0.0;
    if (t1 > 1.0) t1 = 1.0;
    if (t0 > t1) return false;
    const double ox = x1, oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

}  // namespace

bool inside_window(const Context& ctx, double x, double y) {
    const LineState& l = ctx.line;
    if (l.circle_clip) {
        const double dx = x - l.clip_cx, dy = y - l.clip_cy;
        return std::sqrt(dx * dx + dy * dy) <= l.clip_r;
    }
    const int* w = ctx.out.clip;
    return x >= w[0] - CLIP_TOLERANCE && x <= w[2] + CLIP_TOLERANCE && y >= w[1] - CLIP_TOLERANCE &&
           y <= w[3] + CLIP_TOLERANCE;
}

bool clip_segment(const Context& ctx, double& x1, double& y1, double& x2, double& y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return false;
    const LineState& l = ctx.line;
    if (l.circle_clip) return clip_circle(l.clip_cx, l.clip_cy, l.clip_r, x1, y1, x2, y2);
    return clip_rect(ctx.out.clip, x1, y1, x2, y2);
}

bool clip_to_limit(double& x1, double& y1, double& x2, double& y2, double limit) {
    if (!(std::isfinite(x1) && std::isfinite(y1))) return false;
    if (!(std::isfinite(x2) && std::isfinite(y2))) return false;
    return clip_box(-limit, -limit, limit, limit, x1, y1, x2, y2);
}

}  // namespace kal
