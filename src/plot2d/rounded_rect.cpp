// Rectangles with rounded corners.
#include <algorithm>
#include <cmath>
#include <vector>

#include "api/routines_figures_and_symbols.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "plot2d/figures.h"

namespace kal {

void draw_rounded_rect(Context& ctx, double x1, double y1, double x2, double y2, int iopt) {
    const double left = std::min(x1, x2), right = std::max(x1, x2);
    const double top = std::min(y1, y2), bottom = std::max(y1, y2);
    const double w = right - left + 1, h = bottom - top + 1;
    if (out_of_range(ctx, iopt, 0, 9) || out_of_range(ctx, w, 1, 32000) || out_of_range(ctx, h, 1, 32000))
        return;
    const double r = std::min(w, h) * iopt / 18.0;
    const int m = static_cast<int>(std::min(400.0, 3.1415927 * r / 2 / ctx.figures.arc_step));
    if (iopt == 0 || m < 4) return draw_rectangle(ctx, left, top, right, bottom);

    // Corner centres counter-clockwise on the page from the upper right,
    // each with the angle its quarter starts at.
    const double cx[4] = {right - r, left + r, left + r, right - r};
    const double cy[4] = {top + r, top + r, bottom - r, bottom - r};
    std::vector<double> px, py;
    px.reserve(4 * (m + 1));
    py.reserve(4 * (m + 1));
    for (int q = 0; q < 4; ++q) {
        for (int k = 0; k <= m; ++k) {
            const double t = (q + double(k) / m) * 3.1415927 / 2;
            px.push_back(cx[q] + r * std::cos(t));
            py.push_back(cy[q] - r * std::sin(t));
        }
    }
    draw_polygon(ctx, static_cast<int>(px.size()), px.data(), py.data());
}

void rndrec(Context& ctx, int nx, int ny, int nw, int nh, int iopt) {
    if (out_of_range(ctx, nw, 1, 32000) || out_of_range(ctx, nh, 1, 32000)) return;
    draw_rounded_rect(ctx, nx, page_y(ctx, ny), nx + double(nw) - 1, page_y(ctx, ny + double(nh) - 1), iopt);
}

}  // namespace kal
