// Wind barbs: a shaft from the station into the wind with pennants (50),
// full barbs (10) and half barbs (5) at its far end, or two circles for calm.
#include <cmath>

#include "api/routines_figures_and_symbols.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "plot2d/figures.h"
#include "plot2d/symbols.h"

namespace kal {
namespace {

constexpr double MAX_SPEED = 100000;   // beyond any wind; bounds the features drawn
constexpr int CALM_SYMBOL = 15;        // the open circle

}  // namespace

void draw_wind_barb(Context& ctx, float v, double x, double y, int nw, float angle) {
    if (!(std::fabs(v) < MAX_SPEED)) return warn(ctx, 2);
    if (nw < 0) return warn_int(ctx, 2, nw);
    if (!std::isfinite(angle)) return warn(ctx, 2);
    const int s = ctx.symbols.size;
    int speed = static_cast<int>(std::floor(v + 0.5));
    if (speed < 1) {
        const ColourState saved = ctx.colour;
        select_pattern(ctx, 0);
        draw_symbol(ctx, CALM_SYMBOL, x, y, s);
        draw_symbol(ctx, CALM_SYMBOL, x, y, s - s / 5);
        ctx.colour = saved;
        return;
    }
    const int pennants = static_cast<int>((speed + 2.5) / 50);
    speed -= 50 * pennants;
    const int barbs = static_cast<int>((speed + 2.5) / 10);
    speed -= 10 * barbs;
    const int halves = static_cast<int>((speed + 2.5) / 5);

    // Unit vectors: along the shaft away from the station, and across it.
    const double a = angle * 0.01745329;
    const double dx = std::sin(a), dy = -std::cos(a);
    const double cx = -dy, cy = dx;
    const double fx = x + dx * nw, fy = y + dy * nw;   // far end
    const double sx[2] = {x, fx}, sy[2] = {y, fy};
    draw_polyline(ctx, 2, sx, sy, false);

    // A feature at the distance `pos` in from the far end: a stroke out by
    // `out` across the shaft, leaning `lean` towards the far end.
    auto stroke = [&](double pos, double out, double lean) {
        const double px = fx - dx * pos, py = fy - dy * pos;
        const double lx[2] = {px, px + cx * out + dx * lean}, ly[2] = {py, py + cy * out + dy * lean};
        draw_polyline(ctx, 2, lx, ly, false);
    };
    double pos = 0;
    for (int i = 0; i < pennants && pos <= nw; ++i) {
        const double px = fx - dx * pos, py = fy - dy * pos;
        const double tx[3] = {px, px - dx * s / 3.0, px + cx * s};
        const double ty[3] = {py, py - dy * s / 3.0, py + cy * s};
        draw_solid(ctx, 3, tx, ty);
        pos += s / 2.0;
        if (i == pennants - 1) pos += s / 6.0;
    }
    for (int i = 0; i < barbs && pos <= nw; ++i) {
        stroke(pos, s, s / 3.0);
        pos += s / 3.0;
    }
    if (halves > 0) {
        if (pennants == 0 && barbs == 0)
            stroke(s / 2.0, s / 2.0, s / 2.0);
        else
            stroke(pos, s / 2.0, s / 6.0);
    }
}

void windbr(Context& ctx, float v, int nx, int ny, int nw, float angle) {
    draw_wind_barb(ctx, v, nx, page_y(ctx, ny), nw, angle);
}

}  // namespace kal
