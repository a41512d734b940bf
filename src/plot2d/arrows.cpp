// Arrows: a shaft and up to two heads whose form, length and width come
// from the four digits abcd of ivec.
#include <cmath>

#include "api/routines_figures_and_symbols.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "plot2d/figures.h"

namespace kal {
namespace {

enum HeadForm : int { FILLED = 0, SHORT_SHAFT = 1, OPEN = 2 };

// One head with its tip at (tx, ty), pointing along (ux, uy).
void head(Context& ctx, double tx, double ty, double ux, double uy, double length, double half_width, int form) {
    const double bx = tx - ux * length, by = ty - uy * length;   // centre of the base
    const double x[3] = {bx - uy * half_width, tx, bx + uy * half_width};
    const double y[3] = {by + ux * half_width, ty, by - ux * half_width};
    if (form == FILLED)
        draw_solid(ctx, 3, x, y);
    else
        draw_polyline(ctx, 3, x, y, form != OPEN);
}

}  // namespace

void draw_arrow(Context& ctx, double x1, double y1, double x2, double y2, int ivec) {
    if (ivec < 0 || ivec > 9999) return warn_int(ctx, 2, ivec);
    const int heads = ivec % 10, form = ivec / 10 % 10;
    const double length = (ivec / 100 % 10 + 1) * 10.0;
    const double half_width = (ivec / 1000 + 0.5) * length * 0.2222222;
    const bool valid = heads <= 3 && form <= 3;
    if (!valid) warn_int(ctx, 2, form > 3 ? form : heads);

    const double d = std::hypot(x2 - x1, y2 - y1);
    const double angle = std::atan2(y2 - y1, x2 - x1);
    const double ux = std::cos(angle), uy = std::sin(angle);
    double sx[2] = {x1, x2}, sy[2] = {y1, y2};
    if (valid && form == SHORT_SHAFT && heads != 0) {
        // Both heads lie on the shaft with heads 2; with heads 3 the second
        // head's tip is the start point and the head lies outside the arrow.
        if (d <= length * (heads == 2 ? 2 : 1)) {
            sx[1] = sx[0];   // the heads cover the whole arrow
            sy[1] = sy[0];
        } else {
            if (heads == 2) {
                sx[0] += ux * length;
                sy[0] += uy * length;
            }
            sx[1] -= ux * length;
            sy[1] -= uy * length;
        }
    }
    if (sx[0] != sx[1] || sy[0] != sy[1]) draw_polyline(ctx, 2, sx, sy, false);
    if (!valid || heads == 0) return;
    head(ctx, x2, y2, ux, uy, length, half_width, form);
    if (heads == 2) head(ctx, x1, y1, -ux, -uy, length, half_width, form);
    if (heads == 3) head(ctx, x1, y1, ux, uy, length, half_width, form);
}

void vector(Context& ctx, int nx1, int ny1, int nx2, int ny2, int ivec) {
    draw_arrow(ctx, nx1, page_y(ctx, ny1), nx2, page_y(ctx, ny2), ivec);
}

}  // namespace kal
