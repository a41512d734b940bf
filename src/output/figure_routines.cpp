// Plot-coordinate routines that draw through the line layer and the fill
// primitives: lines, polylines, rectangles, polygons, filled rectangles,
// points and triangles.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_drawing_in_plot_coordinates.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/line_layer.h"
#include "output/primitives.h"

namespace kal {

constexpr int SOLID_PATTERN = 16;   // shdpat 16

double page_y(const Context& ctx, double y) {
    return ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - y : y;
}

void draw_polyline(Context& ctx, int n, const double* x, const double* y, bool closed) {
    if (n < 1) return;
    const PageState& p = ctx.page;
    const int m = closed ? n + 1 : n;
    constexpr int SMALL = 64;
    if (m > SMALL) {
        line_move(ctx, x[0] + p.origin_x, y[0] + p.origin_y);
        for (int i = 1; i < n; ++i) line_draw(ctx, x[i] + p.origin_x, y[i] + p.origin_y);
        if (closed) line_draw(ctx, x[0] + p.origin_x, y[0] + p.origin_y);
        line_flush(ctx);
        return;
    }
    // Small figures (symbols) in one run.
    double px[SMALL], py[SMALL];
    for (int i = 0; i < n; ++i) {
        px[i] = x[i] + p.origin_x;
        py[i] = y[i] + p.origin_y;
    }
    if (closed) {
        px[n] = px[0];
        py[n] = py[0];
    }
    line_polyline(ctx, m, px, py);
}

void draw_polygon(Context& ctx, int n, const double* x, const double* y, bool closed) {
    if (n < 1) return;
    if (ctx.colour.pattern_code != 0) fill_polygon(ctx, n, x, y);
    if (ctx.line.outline) draw_polyline(ctx, n, x, y, closed);
}

void draw_solid(Context& ctx, int n, const double* x, const double* y, bool outlined) {
    if (n < 1) return;
    line_flush(ctx);
    // Where the device cannot fill natively the pattern filler draws the
    // solid pattern with one line per device unit, so that no seam shows.
    const PatternFields saved = save_pattern_fields(ctx.colour);
    if (!solid_pattern(ctx.colour)) select_pattern(ctx, SOLID_PATTERN);
    if (ctx.out.factor > 0) ctx.colour.hatch_spacing = std::min(ctx.colour.hatch_spacing, 1.0 / ctx.out.factor);
    fill_polygon(ctx, n, x, y);
    restore_pattern_fields(ctx.colour, saved);
    if (outlined) draw_polyline(ctx, n, x, y, true);
}

void draw_rectangle(Context& ctx, double x1, double y1, double x2, double y2) {
    const double x[4] = {x1, x1, x2, x2};
    const double y[4] = {y1, y2, y2, y1};
    draw_polygon(ctx, 4, x, y);
}

namespace {

// A colour argument: -1 stands for the current colour.
bool colour_argument(Context& ctx, int& value) {
    if (value == -1) value = ctx.out.current_colour;
    return !out_of_range(ctx, value, 0, -1);
}

void filled_box(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const int previous = ctx.out.current_colour;
    y1 = page_y(ctx, y1);
    y2 = page_y(ctx, y2);
    fill_rect(ctx, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), value);
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
}

}  // namespace

void line(Context& ctx, int nx1, int ny1, int nx2, int ny2) {
    const PageState& p = ctx.page;
    // In doubles: integer arguments and offsets near the int limits must not overflow.
    line_move(ctx, double(nx1) + p.origin_x, page_y(ctx, ny1) + p.origin_y);
    line_draw(ctx, double(nx2) + p.origin_x, page_y(ctx, ny2) + p.origin_y);
}

void strtpt(Context& ctx, float x, float y) {
    line_move(ctx, x + ctx.page.origin_x, page_y(ctx, y) + ctx.page.origin_y);
}

void connpt(Context& ctx, float x, float y) {
    line_draw(ctx, x + ctx.page.origin_x, page_y(ctx, y) + ctx.page.origin_y);
}

void xmove(Context& ctx, float x, float y) {
    line_move(ctx, x, y);
}

void xdraw(Context& ctx, float x, float y) {
    line_draw(ctx, x, y);
}

void rectan(Context& ctx, int nx, int ny, int nw, int nh) {
    if (nw == 0 || nh == 0) {
        warn_int(ctx, 2, nw == 0 ? nw : nh);
        return;
    }
    draw_rectangle(ctx, nx, page_y(ctx, ny), nx + double(nw) - 1, page_y(ctx, ny + double(nh) - 1));
}

void areaf(Context& ctx, const int* nx, const int* ny, int n) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    std::vector<double> x, y;
    try {
        x.resize(n);
        y.resize(n);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    for (int i = 0; i < n; ++i) {
        x[i] = nx[i];
        y[i] = page_y(ctx, ny[i]);
    }
    draw_polygon(ctx, n, x.data(), y.data());
}

void recfll(Context& ctx, int nx, int ny, int nw, int nh, int colour) {
    if (!colour_argument(ctx, colour)) return;
    filled_box(ctx, nx, ny, nx + double(nw) - 1, ny + double(nh) - 1, colour);
}

void point(Context& ctx, int nx, int ny, int nb, int nh, int colour) {
    if (!colour_argument(ctx, colour)) return;
    const double x = nx, y = ny, half_w = nb / 2, half_h = nh / 2;
    filled_box(ctx, x - half_w, y - half_h, x + half_w, y + half_h, colour);
}

void trifll(Context& ctx, const float* x, const float* y) {
    const PageState& p = ctx.page;
    double px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        px[i] = x[i] + p.origin_x;
        py[i] = page_y(ctx, y[i]) + p.origin_y;
    }
    // The triangle is solid whatever pattern is selected.
    const PatternFields saved = save_pattern_fields(ctx.colour);
    select_pattern(ctx, SOLID_PATTERN);
    fill_triangle(ctx, px, py, ctx.out.current_colour);
    restore_pattern_fields(ctx.colour, saved);
}

}  // namespace kal
