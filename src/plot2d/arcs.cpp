// Elliptic arcs, circles, ellipses and pies, and the arc step that decides
// how finely they are broken into chords.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_drawing_in_plot_coordinates.h"
#include "api/routines_figures_and_symbols.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "plot2d/figures.h"

namespace kal {
namespace {

constexpr double TWO_PI = 6.2831855;
constexpr double FULL_SPAN = 6.28;   // spans from here on are whole figures

// An angle in degrees as radians in -0.00001 .. 2 pi + 0.00001.
double normalised(double degrees) {
    double t = std::fmod(degrees * 0.01745329, TWO_PI);
    if (t < -0.00001) t += TWO_PI;
    if (t > TWO_PI + 0.00001) t -= TWO_PI;
    return t;
}

}  // namespace

void draw_arc(Context& ctx, double x, double y, int a, int b, double alpha, double beta, double theta,
              bool pie) {
    if (a < 1 || b < 1) {
        warn_int(ctx, 2, a < 1 ? a : b);
        return;
    }
    if (!std::isfinite(alpha) || !std::isfinite(beta) || !std::isfinite(theta)) {
        warn(ctx, 2);
        return;
    }
    const double start = normalised(alpha);
    double end = normalised(beta);
    if (end <= start) end += TWO_PI;
    const double span = end - start;
    const double count = std::max(a, b) / ctx.figures.arc_step * span;
    if (count < 1) return;
    const int n = std::clamp(static_cast<int>(count), 5, 1000);

    const bool full = span >= FULL_SPAN;
    auto point = [&](double t, double& px, double& py) {
        if (full || a == b) {
            px = a * std::cos(t);
            py = -b * std::sin(t);
            return;
        }
        // True polar angles on a partial ellipse.
        const double c = std::cos(t), s = std::sin(t);
        const double r = 1.0 / std::sqrt(c * c / (double(a) * a) + s * s / (double(b) * b));
        px = r * c;
        py = -r * s;
    };

    std::vector<double> px, py;
    try {
        px.reserve(n + 3);
        py.reserve(n + 3);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    const double step = span / n;
    for (int k = 0; k < n; ++k) {
        double u, v;
        point(start + k * step, u, v);
        px.push_back(u);
        py.push_back(v);
    }
    double u, v;
    point(end, u, v);
    px.push_back(u);
    py.push_back(v);
    if (!full && (pie || ctx.colour.pattern_code != 0)) {
        px.push_back(0);
        py.push_back(0);
        px.push_back(px[0]);
        py.push_back(py[0]);
    }
    const bool turn = std::fabs(theta) >= 0.001;
    const double ct = std::cos(theta * 0.01745329), st = std::sin(theta * 0.01745329);
    for (size_t i = 0; i < px.size(); ++i) {
        if (turn) {
            const double rx = px[i] * ct + py[i] * st;
            py[i] = -px[i] * st + py[i] * ct;
            px[i] = rx;
        }
        px[i] += x;
        py[i] += y;
    }
    draw_polygon(ctx, static_cast<int>(px.size()), px.data(), py.data(), false);
}

void arcell(Context& ctx, int nx, int ny, int na, int nb, float alpha, float beta, float theta) {
    draw_arc(ctx, nx, page_y(ctx, ny), na, nb, alpha, beta, theta, false);
}

void circle(Context& ctx, int nx, int ny, int nr) {
    draw_arc(ctx, nx, page_y(ctx, ny), nr, nr, 0, 360, 0, false);
}

void ellips(Context& ctx, int nx, int ny, int na, int nb) {
    draw_arc(ctx, nx, page_y(ctx, ny), na, nb, 0, 360, 0, false);
}

void pie(Context& ctx, int nx, int ny, int nr, float alpha, float beta) {
    draw_arc(ctx, nx, page_y(ctx, ny), nr, nr, alpha, beta, 0, true);
}

// ---- settings of the figures ----

void circsp(Context& ctx, int nspc) {
    if (out_of_range(ctx, nspc, 1, 10000)) return;
    ctx.figures.arc_step = nspc;
}

void noarln(Context& ctx) { ctx.line.outline = false; }

namespace {
void reset_arc_step(Context& ctx) { ctx.figures.arc_step = 10.0 / ctx.page.units; }
void reset_outline(Context& ctx) { ctx.line.outline = true; }
const ResetKey FIGURE_KEYS[] = {{"CIRC", reset_arc_step}, {"NOAR", reset_outline}};
}  // namespace

const ResetKeys FigureState::reset_keys = FIGURE_KEYS;

void FigureState::reset(Context& ctx) {
    reset_arc_step(ctx);
    reset_outline(ctx);
}

}  // namespace kal
