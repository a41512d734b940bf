// Ring sectors: the area between two radii and two angles, filled in a
// colour of their own and never outlined.
#include <cmath>
#include <vector>

#include "api/routines_figures_and_symbols.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/primitives.h"
#include "plot2d/figures.h"

namespace kal {
namespace {

constexpr double RAD = 0.01745329;

// Points of radius r every degree from a1 towards a2, then a2 exactly.
void arc_points(std::vector<double>& px, std::vector<double>& py, double x, double y, double r, double a1,
                double a2) {
    const double dir = a2 >= a1 ? 1.0 : -1.0;
    const int steps = static_cast<int>(std::fabs(a2 - a1));
    for (int k = 0; k < steps; ++k) {
        const double t = (a1 + dir * k) * RAD;
        px.push_back(x + r * std::cos(t));
        py.push_back(y - r * std::sin(t));
    }
    px.push_back(x + r * std::cos(a2 * RAD));
    py.push_back(y - r * std::sin(a2 * RAD));
}

}  // namespace

void draw_sector(Context& ctx, double x, double y, int r1, int r2, double alpha, double beta, int colour) {
    if (r2 < 1) return warn_int(ctx, 51, r2);
    if (r1 < 0) return warn_int(ctx, 1, r1);
    if (!std::isfinite(alpha) || !std::isfinite(beta)) return warn(ctx, 2);
    if (beta - alpha < 1.0e-35) return warn(ctx, 8);
    if (r2 < r1) return warn(ctx, 7);
    if (colour == -1) colour = ctx.out.current_colour;
    if (out_of_range(ctx, colour, 0, -1)) return;
    if (beta - alpha > 360) beta = alpha + 360;

    std::vector<double> px, py;
    px.reserve(730);
    py.reserve(730);
    arc_points(px, py, x, y, r2, alpha, beta);
    if (r1 == 0) {
        px.push_back(x);
        py.push_back(y);
    } else {
        arc_points(px, py, x, y, r1, beta, alpha);
    }
    const int previous = ctx.out.current_colour;
    set_colour(ctx, colour);
    draw_solid(ctx, static_cast<int>(px.size()), px.data(), py.data(), false);
    set_colour(ctx, previous);
}

void sector(Context& ctx, int nx, int ny, int nr1, int nr2, float alpha, float beta, int colour) {
    draw_sector(ctx, nx, page_y(ctx, ny), nr1, nr2, alpha, beta, colour);
}

}  // namespace kal
