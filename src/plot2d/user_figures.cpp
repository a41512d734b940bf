// The figures in user coordinates (the rl forms and field): each converts
// its values through the axis scaling and draws the plot-coordinate figure
// inside the axis system.
#include <vector>

#include "api/routines_drawing_in_plot_coordinates.h"
#include "api/routines_figures_and_symbols.h"
#include "api/routines_level_0_settings_of_the_life_cycle.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/line_layer.h"
#include "plot2d/figures.h"
#include "plot2d/user_coordinates.h"

namespace kal {
namespace {

struct Centre {
    int x, y;
};

// Converted and rounded reference point, reported when outside the scaling.
Centre centre(Context& ctx, double x, double y) {
    outside_scaling(ctx, x, y);
    return {plot_int(x_plot(ctx, x)), plot_int(y_plot(ctx, y))};
}

// The second half axis b is measured along the Y axis for ellipses, along
// the X axis for circles and pies.
void arc(Context& ctx, float x, float y, float a, float b, float alpha, float beta, float theta, bool pie,
         bool ellipse) {
    if (!log_values_ok(ctx, {x, double(x) + a}, {y, double(y) + b})) return;
    AxisWindow window(ctx);
    const Centre c = centre(ctx, x, y);
    const int na = plot_int(plot_length(ctx, x, y, a)), nb = plot_int(plot_length(ctx, x, y, b, ellipse));
    draw_arc(ctx, c.x, c.y, na, nb, alpha, beta, theta, pie);
}

}  // namespace

void rline(Context& ctx, float x1, float y1, float x2, float y2) {
    if (!log_values_ok(ctx, {x1, x2}, {y1, y2})) return;
    AxisWindow window(ctx);
    outside_scaling(ctx, x1, y1);
    outside_scaling(ctx, x2, y2);
    const double x[2] = {x_plot(ctx, x1), x_plot(ctx, x2)}, y[2] = {y_plot(ctx, y1), y_plot(ctx, y2)};
    draw_polyline(ctx, 2, x, y, false);
}

void rlstrt(Context& ctx, float x, float y) {
    if (!log_values_ok(ctx, {x}, {y})) return;
    outside_scaling(ctx, x, y);
    line_move(ctx, x_plot(ctx, x) + ctx.page.origin_x, y_plot(ctx, y) + ctx.page.origin_y);
}

void rlconn(Context& ctx, float x, float y) {
    if (!log_values_ok(ctx, {x}, {y})) return;
    outside_scaling(ctx, x, y);
    line_draw(ctx, x_plot(ctx, x) + ctx.page.origin_x, y_plot(ctx, y) + ctx.page.origin_y);
}

void rlarc(Context& ctx, float x, float y, float a, float b, float alpha, float beta, float theta) {
    arc(ctx, x, y, a, b, alpha, beta, theta, false, true);
}

void rlcirc(Context& ctx, float x, float y, float r) { arc(ctx, x, y, r, r, 0, 360, 0, false, false); }

void rlell(Context& ctx, float x, float y, float a, float b) { arc(ctx, x, y, a, b, 0, 360, 0, false, true); }

void rlpie(Context& ctx, float x, float y, float r, float alpha, float beta) {
    arc(ctx, x, y, r, r, alpha, beta, 0, true, false);
}

void rlsec(Context& ctx, float x, float y, float r1, float r2, float alpha, float beta, int colour) {
    if (!log_values_ok(ctx, {x, double(x) + r1, double(x) + r2}, {y})) return;
    AxisWindow window(ctx);
    const Centre c = centre(ctx, x, y);
    draw_sector(ctx, c.x, c.y, plot_int(plot_length(ctx, x, y, r1)), plot_int(plot_length(ctx, x, y, r2)), alpha,
                beta, colour);
}

void rlrec(Context& ctx, float x, float y, float w, float h) {
    if (!log_values_ok(ctx, {x, double(x) + w}, {y, double(y) - h})) return;
    AxisWindow window(ctx);
    const Centre a = centre(ctx, x, y), b = centre(ctx, double(x) + w, double(y) - h);
    if (a.x == b.x || a.y == b.y) return warn_int(ctx, 2, a.x == b.x ? 0 : b.y - a.y);
    draw_rectangle(ctx, a.x, a.y, b.x, b.y);
}

void rlrnd(Context& ctx, float x, float y, float w, float h, int iopt) {
    if (!log_values_ok(ctx, {x, double(x) + w}, {y, double(y) - h})) return;
    AxisWindow window(ctx);
    const Centre a = centre(ctx, x, y), b = centre(ctx, double(x) + w, double(y) - h);
    draw_rounded_rect(ctx, a.x, a.y, b.x, b.y, iopt);
}

void rlarea(Context& ctx, const float* xray, const float* yray, int n) {
    if (n < 1) return warn_int(ctx, 2, n);
    if (!log_values_ok(ctx, xray, yray, n)) return;
    AxisWindow window(ctx);
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) {
        outside_scaling(ctx, xray[i], yray[i]);
        x[i] = x_plot(ctx, xray[i]);
        y[i] = y_plot(ctx, yray[i]);
    }
    draw_polygon(ctx, n, x.data(), y.data());
}

void rlpoin(Context& ctx, float x, float y, int nb, int nh, int colour) {
    if (!log_values_ok(ctx, {x}, {y})) return;
    AxisWindow window(ctx);
    const Centre c = centre(ctx, x, y);
    // point counts its y from the bottom with page origin BOTT; the
    // converted position is a page position already.
    point(ctx, c.x, plot_int(page_y(ctx, c.y)), nb, nh, colour);
}

void rlvec(Context& ctx, float x1, float y1, float x2, float y2, int ivec) {
    if (!log_values_ok(ctx, {x1, x2}, {y1, y2})) return;
    AxisWindow window(ctx);
    const Centre a = centre(ctx, x1, y1), b = centre(ctx, x2, y2);
    draw_arrow(ctx, a.x, a.y, b.x, b.y, ivec);
}

void rlwind(Context& ctx, float v, float x, float y, int nw, float angle) {
    if (!log_values_ok(ctx, {x}, {y})) return;
    AxisWindow window(ctx);
    const Centre c = centre(ctx, x, y);
    draw_wind_barb(ctx, v, c.x, c.y, nw, angle);
}

void field(Context& ctx, const float* x1, const float* y1, const float* x2, const float* y2, int n, int ivec) {
    if (n < 1) return warn_int(ctx, 2, n);
    if (!log_values_ok(ctx, x1, y1, n) || !log_values_ok(ctx, x2, y2, n)) return;
    AxisWindow window(ctx);
    for (int i = 0; i < n; ++i) {
        const Centre a = centre(ctx, x1[i], y1[i]), b = centre(ctx, x2[i], y2[i]);
        draw_arrow(ctx, a.x, a.y, b.x, b.y, ivec);
    }
}

}  // namespace kal
