#include "maps/grid_labels.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "maps/map_lines.h"
#include "output/primitives.h"
#include "plot2d/label_drawing.h"
#include "plot2d/label_text.h"

namespace kal {
namespace {

// Whether a map point lands inside the map's window (its disc on disc maps).
bool visible(const Context& ctx, double lon, double lat, double& px, double& py) {
    const MapState& m = ctx.map;
    if (!map_to_plot(ctx, lon, lat, px, py)) return false;
    if (map_family(m.proj.code) == FAMILY_AZIMUTHAL &&
        pole_distance(m.proj, lon, lat) > (m.disc ? m.sphere : 1.55))
        return false;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    if (m.disc) return std::hypot(px + ox - m.clip_cx, py + oy - m.clip_cy) <= m.clip_r + 0.5;
    return px + ox >= m.clip[0] - 0.5 && px + ox <= m.clip[2] + 0.5 && py + oy >= m.clip[1] - 0.5 &&
           py + oy <= m.clip[3] + 0.5;
}

// Where the grid line enters the map, walking from lo to hi; false when it
// does not (or, on a disc, comes in out of the pole rather than over the rim).
bool entry(const Context& ctx, bool meridian, double value, double lo, double hi, double& px, double& py) {
    const MapState& m = ctx.map;
    for (int i = 0; i <= 720; ++i) {
        const double t = lo + (hi - lo) * i / 720;
        if (!visible(ctx, meridian ? value : t, meridian ? t : value, px, py)) continue;
        return !m.disc ||
               std::hypot(px + ctx.page.origin_x - m.clip_cx, py + ctx.page.origin_y - m.clip_cy) >= 0.97 * m.clip_r;
    }
    return false;
}

bool touches(const GridLabel& a, const GridLabel& b, double gap) {
    return a.x < b.x + b.w + gap && b.x < a.x + a.w + gap && a.y < b.y + b.h + gap && b.y < a.y + a.h + gap;
}

// The box of a label turned by `angle` degrees (counter-clockwise) about
// the corner draw_label turns it about, its upper left (tx, ty); y down.
void turned_box(GridLabel& l, double angle) {
    const double a = angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
    const double xs[4] = {0, l.w * c, l.h * s, l.w * c + l.h * s};
    const double ys[4] = {0, -l.w * s, l.h * c, -l.w * s + l.h * c};
    l.x = l.tx + *std::min_element(xs, xs + 4);
    l.y = l.ty + *std::min_element(ys, ys + 4);
    l.w = *std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4);
    l.h = *std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4);
}

void set_label_text(Context& ctx, TextScope& scope) {
    const MapState& m = ctx.map;
    if (m.label_height > 0) scope.height(m.label_height);
    scope.angle(int(std::lround(m.label_angle)));
}

}  // namespace

std::vector<GridLabel> place_grid_labels(Context& ctx, int nx, int ny) {
    std::vector<GridLabel> placed;
    const MapState& m = ctx.map;
    const AxisScale &sx = ctx.axes.x, &sy = ctx.axes.y;
    const MapFamily fam = map_family(m.proj.code);
    if (nx < 1 || ny < 1) return placed;
    // gridmp's lines; the labels on every nx-th (ny-th) from the first.
    const double dx = sx.step / nx, dy = sy.step / ny;
    if (!(std::fabs(dx) > 1e-6) || !(std::fabs(dy) > 1e-6)) return placed;
    const double x0 = sx.first - std::floor((sx.first - m.xa) / dx + 1e-9) * dx;
    const double y0 = sy.first - std::floor((sy.first - m.ya) / dy + 1e-9) * dy;
    TextScope scope(ctx);
    set_label_text(ctx, scope);
    // The degree sign stands above the digits: the boxes reach up by `rise`.
    const double h = ctx.text.height, gap = 0.3 * h, rise = 0.25 * h, bh = h + rise;
    const double angle = m.label_angle;
    const double cx = m.clip_cx - ctx.page.origin_x, cy = m.clip_cy - ctx.page.origin_y;

    // On a disc around a geographic pole the parallels are circles inside
    // the rim: they are labelled on the point, along one meridian halfway
    // between two grid meridians, the one running nearest to the right and
    // down from the centre (labels along it stack without touching).
    const bool polar = m.disc && std::fabs(m.proj.pole_lat) > 89.9 * M_PI / 180;
    double inline_lon = 0;
    if (polar) {
        const double pole = m.proj.pole_lat > 0 ? 90 : -90, near = pole > 0 ? 80 : -80;
        double best = 10;
        for (int k = 0; k < 10000 && (k + 0.5) * dx < 360; ++k) {
            const double lon = x0 + (k + 0.5) * dx;
            double px, py, qx, qy;
            if (!map_to_plot(ctx, lon, near, px, py) || !map_to_plot(ctx, lon, pole, qx, qy)) continue;
            const double off = std::fabs(std::remainder(std::atan2(py - qy, px - qx) - 50 * M_PI / 180, 2 * M_PI));
            if (off < best - 1e-9) best = off, inline_lon = lon;
        }
    }

    auto place = [&](bool meridian, double value, double lo, double hi) {
        double px, py;
        // A meridian that comes out of a pole inside the disc is labelled
        // where it leaves over the rim.
        const bool rim = entry(ctx, meridian, value, lo, hi, px, py) ||
                         (m.disc && meridian && entry(ctx, meridian, value, hi, lo, px, py));
        const bool on_line = !rim && polar && !meridian && visible(ctx, inline_lon, value, px, py);
        if (!rim && !on_line) return;
        const double shown = meridian ? std::remainder(value, 360.0) : value;
        GridLabel l{meridian, shown, 0, 0, label_length(ctx, angle_label(ctx, shown)), bh, 0, 0};
        if (on_line && std::fabs(angle) < 0.5) {
            l.tx = px - l.w / 2 + m.label_dx;
            l.ty = py - bh / 2 + rise - m.label_dy;
        } else if (m.disc && std::fabs(angle) < 0.5) {
            // Outside the rim: the box's centre moved outwards from the point
            // by its half extent in that direction, and a gap.
            double ux = px - cx, uy = py - cy;
            const double r = std::hypot(ux, uy);
            ux = r > 0 ? ux / r : 0, uy = r > 0 ? uy / r : -1;
            const double out = gap + std::fabs(ux) * l.w / 2 + std::fabs(uy) * bh / 2;
            l.tx = px + ux * out - l.w / 2 + m.label_dx;
            l.ty = py + uy * out - bh / 2 + rise - m.label_dy;
        } else {
            l.tx = px + m.label_dx;
            l.ty = py - h - m.label_dy;
        }
        l.x = l.tx;
        l.y = l.ty - rise;
        if (std::fabs(angle) >= 0.5) {
            l.h = h;
            turned_box(l, angle);
            l.x -= rise, l.y -= rise, l.w += 2 * rise, l.h += 2 * rise;
        }
        for (const GridLabel& p : placed) {
            if (p.meridian && meridian && std::fabs(std::remainder(p.value - shown, 360.0)) < 1e-9) return;
            if (touches(p, l, gap)) return;
        }
        placed.push_back(l);
    };

    const bool straight = fam == FAMILY_CYLINDRICAL || m.proj.code == PROJ_CYLI;
    const double lat_lo = straight ? m.ya : -90, lat_hi = straight ? m.ye : 90;
    const double lon_lo = straight ? m.xa : -180, lon_hi = straight ? m.xe : 180;
    for (int i = 0; i < 10000; i += nx) {
        const double lon = x0 + i * dx;
        if (lon > m.xe + 1e-9) break;
        // Meridians of pseudo-cylindrical maps meet the outline at the poles
        // only: their labels go to the equator. Both sides of the outline
        // are the meridian behind the centre: it is labelled once, on the
        // left, where it takes the place of the equator's own label (which
        // would read as a longitude there).
        if (fam == FAMILY_PSEUDO && lon - m.proj.centre > 179.9) continue;
        place(true, lon, fam == FAMILY_PSEUDO ? 0 : lat_lo, lat_hi);
    }
    for (int i = 0; i < 10000; i += ny) {
        const double lat = y0 + i * dy;
        if (lat > m.ye + 1e-9) break;
        if (std::fabs(lat) < 89.9 && !(fam == FAMILY_PSEUDO && std::fabs(lat) < 1e-9)) place(false, lat, lon_lo, lon_hi);
    }
    return placed;
}

void draw_grid_labels(Context& ctx, int nx, int ny) {
    const std::vector<GridLabel> labels = place_grid_labels(ctx, nx, ny);
    const MapState& m = ctx.map;
    TextScope scope(ctx);
    set_label_text(ctx, scope);
    const int colour = ctx.out.current_colour;
    for (const GridLabel& l : labels) {
        if (m.label_background >= 0)
            fill_rect(ctx, l.x - 2, l.y - 2, l.x + l.w + 2, l.y + l.h + 2, m.label_background);
        if (m.label_colour >= 0) set_colour(ctx, m.label_colour);
        draw_label(ctx, angle_label(ctx, l.value), l.tx, l.ty);
        if (ctx.out.current_colour != colour) set_colour(ctx, colour);
    }
}

}  // namespace kal
