#include "output/thick_lines.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/context.h"
#include "output/line_layer.h"

namespace kal {
namespace {

enum { JOIN_SHARP = 0, JOIN_ROUND = 1 };
enum { CAP_CUT = 0, CAP_ROUND = 1, CAP_LONG = 2 };

struct Pt {
    double x, y;
};

using Path = std::vector<Pt>;

// Points of an arc around c of radius d from angle a0 to a1 (radians).
void arc(Path& path, Pt c, double d, double a0, double a1) {
    // trunc(r * 1.2566) chords, but never more than a smooth curve needs.
    const int chords = std::clamp(static_cast<int>(d * 1.2566), 2, 128);
    for (int i = 1; i < chords; ++i) {
        const double a = a0 + (a1 - a0) * i / chords;
        path.push_back({c.x + d * std::cos(a), c.y + d * std::sin(a)});
    }
}

// Offset line at distance d to the left of the polyline (in the direction
// of travel), joining segments at inner vertices by the join rule.
void offset_side(Path& path, const std::vector<Pt>& p, double d, int join, double miter) {
    const size_t n = p.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        const double dx = p[i + 1].x - p[i].x, dy = p[i + 1].y - p[i].y;
        const double len = std::hypot(dx, dy);
        const double nx = -dy / len * d, ny = dx / len * d;
        const Pt a{p[i].x + nx, p[i].y + ny}, b{p[i + 1].x + nx, p[i + 1].y + ny};
        if (i == 0) path.push_back(a);
        if (i + 2 >= n) {
            path.push_back(b);
            break;
        }
        // The next segment's offset start, and the join between the two.
        const double ex = p[i + 2].x - p[i + 1].x, ey = p[i + 2].y - p[i + 1].y;
        const double elen = std::hypot(ex, ey);
        const Pt c{p[i + 1].x - ey / elen * d, p[i + 1].y + ex / elen * d};
        const double cross = dx * ey - dy * ex;
        const double cosang = (dx * ex + dy * ey) / (len * elen);
        const double phi = std::acos(std::max(-1.0, std::min(1.0, -cosang)));  // inner angle
        if (join == JOIN_SHARP && std::fabs(cross) > 1e-12) {
            const double s = std::sin(phi / 2);
            if (s > 0 && 1.0 / s <= miter) {
                // Intersection of the two offset lines.
                const double t = ((c.x - a.x) * ey - (c.y - a.y) * ex) / (dx * ey - dy * ex);
                path.push_back({a.x + dx * t, a.y + dy * t});
                continue;
            }
        }
        path.push_back(b);
        if (join == JOIN_ROUND && std::fabs(cross) > 1e-12)
            arc(path, p[i + 1], std::fabs(d), std::atan2(b.y - p[i + 1].y, b.x - p[i + 1].x),
                std::atan2(c.y - p[i + 1].y, c.x - p[i + 1].x));
        path.push_back(c);
    }
}

// End cap from the end of one side to the start of the other, around p.
void cap(Path& path, Pt p, Pt dir, double d, int cap_kind) {
    const Pt from = path.back();
    if (cap_kind == CAP_LONG) {
        path.back() = {from.x + dir.x * d, from.y + dir.y * d};
        return;  // the other side's first point is extended by its own cap call
    }
    if (cap_kind == CAP_ROUND) {
        const double a0 = std::atan2(from.y - p.y, from.x - p.x);
        const double turn = (dir.x * (from.y - p.y) - dir.y * (from.x - p.x)) > 0 ? -M_PI : M_PI;
        arc(path, p, d, a0, a0 + turn);
    }
}

void stroke(Context& ctx, const Path& path, bool close) {
    for (size_t i = 1; i < path.size(); ++i)
        emit_segment(ctx, path[i - 1].x, path[i - 1].y, path[i].x, path[i].y);
    if (close && path.size() > 2)
        emit_segment(ctx, path.back().x, path.back().y, path[0].x, path[0].y);
}

void outline_pass(Context& ctx, const std::vector<Pt>& p, double d, bool ring) {
    const LineState& l = ctx.line;
    const double miter = l.miter;
    if (ring) {
        std::vector<Pt> closed = p;
        closed.back() = closed.front();
        closed.push_back(closed[1]);
        for (double side : {d, -d}) {
            Path path;
            offset_side(path, closed, side, l.join, miter);
            if (path.size() > 2) path.erase(path.begin());  // drop the open start
            stroke(ctx, path, true);
        }
        return;
    }
    std::vector<Pt> back(p.rbegin(), p.rend());
    const Pt first = p.front(), last = p.back();
    const double sl = std::hypot(p[1].x - first.x, p[1].y - first.y);
    const double el = std::hypot(last.x - p[p.size() - 2].x, last.y - p[p.size() - 2].y);
    const Pt start_dir{(first.x - p[1].x) / sl, (first.y - p[1].y) / sl};
    const Pt end_dir{(last.x - p[p.size() - 2].x) / el, (last.y - p[p.size() - 2].y) / el};
    Path path;
    offset_side(path, p, d, l.join, miter);
    if (l.cap == CAP_LONG) {
        Pt& s = path.front();
        s = {s.x + start_dir.x * d, s.y + start_dir.y * d};
    }
    cap(path, last, end_dir, d, l.cap);
    const size_t other = path.size();
    offset_side(path, back, d, l.join, miter);
    if (l.cap == CAP_LONG) {
        Pt& s = path[other];
        s = {s.x + end_dir.x * d, s.y + end_dir.y * d};
    }
    cap(path, first, start_dir, d, l.cap);
    stroke(ctx, path, true);
}

// A straight piece shorter than it is wide (a dot or short dash of a wide
// line) with cut ends: its outline, and strokes across it at the pass
// spacing. Nested outlines would redraw the two ends once per pass, so the
// work would grow with the square of the width instead of with the area.
void short_piece(Context& ctx, const std::vector<Pt>& p, double half, double spacing) {
    outline_pass(ctx, p, half, false);
    const double dx = p[1].x - p[0].x, dy = p[1].y - p[0].y;
    const double len = std::hypot(dx, dy);
    const double nx = -dy / len * half, ny = dx / len * half;
    const int strokes = static_cast<int>(len / spacing);
    for (int i = 1; i <= strokes; ++i) {
        const double t = i * spacing / len;
        if (t >= 1.0) break;
        const double cx = p[0].x + dx * t, cy = p[0].y + dy * t;
        emit_segment(ctx, cx + nx, cy + ny, cx - nx, cy - ny);
    }
}

}  // namespace

void draw_thick_outline(Context& ctx, const double* x, const double* y, int n) {
    const double u = ctx.page.units;
    const int w = static_cast<int>(std::floor(ctx.line.width * u + 0.5));
    if (w <= 1) return;
    // Consecutive equal points carry no direction: leave them out.
    std::vector<Pt> p;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return;
        if (p.empty() || p.back().x != x[i] || p.back().y != y[i]) p.push_back({x[i], y[i]});
    }
    if (p.size() < 2) return;
    const bool ring = p.size() > 3 && std::fabs(p.back().x - p[0].x) < 0.5 &&
                      std::fabs(p.back().y - p[0].y) < 0.5;
    // A pass every 1.5 units; beyond 1000 passes (widths of metres) the
    // passes spread out instead of multiplying without bound.
    const double half = w / 2.0 / u;
    const int passes = std::min((w + 1) / 3, 1000);
    const double spacing = std::max(1.5 / u, half / passes);
    if (p.size() == 2 && ctx.line.cap == CAP_CUT &&
        std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) < 2 * half) {
        short_piece(ctx, p, half, spacing);
        return;
    }
    for (int k = 1; k <= passes; ++k) outline_pass(ctx, p, k == passes ? half : spacing * k, ring);
}

}  // namespace kal
