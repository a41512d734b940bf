// crvtri: triangles of a colour axis system, each coloured by the linear
// interpolation of the values at its corners and cut where the colour
// index changes.
#include <algorithm>
#include <cmath>
#include <vector>

#include "api/routines_3_d_axis_systems.h"
#include "colour3d/colour.h"
#include "contour/triangle_cut.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/coordinate_stage.h"
#include "plot3d/view.h"

namespace kal {
namespace {

// The values (in z axis units) where colour_index changes: the steps of
// the colour range and the data limits, ascending and without repeats.
std::vector<double> colour_boundaries(const Context& ctx) {
    const ColourState& c = ctx.colour;
    std::vector<double> lev;
    const int lo = std::min(c.range_first, c.range_last), hi = std::max(c.range_first, c.range_last);
    if (c.scale_factor != 0 && std::isfinite(c.scale_factor))
        for (int k = lo + 1; k <= hi; ++k) lev.push_back(c.scale_start + (k - c.range_first) / c.scale_factor);
    for (double limit : {c.data_min, c.data_max})
        if (std::isfinite(limit) && (!c.scale_log || limit > 0)) lev.push_back(c.scale_log ? std::log10(limit) : limit);
    std::erase_if(lev, [](double v) { return !std::isfinite(v); });
    std::sort(lev.begin(), lev.end());
    lev.erase(std::unique(lev.begin(), lev.end()), lev.end());
    return lev;
}

}  // namespace

void crvtri(Context& ctx, const float* x, const float* y, const float* z, int n, const int* i1, const int* i2,
            const int* i3, int ntri) {
    if (n < 3 || ntri < 1) {
        warn_int(ctx, 2, n < 3 ? n : ntri);
        return;
    }
    if (!need_graf3(ctx)) return;
    const AxisState& a = ctx.axes;
    const std::vector<double> lev = colour_boundaries(ctx);
    const bool log_z = ctx.colour.scale_log;
    line_flush(ctx);
    const int previous = ctx.out.current_colour;
    bool bad_vertex = false;
    for (int t = 0; t < ntri; ++t) {
        const int v[3] = {i1[t], i2[t], i3[t]};
        if (std::any_of(v, v + 3, [n](int k) { return k < 1 || k > n; })) {
            bad_vertex = true;
            continue;
        }
        double px[3], py[3], pz[3];
        bool usable = true;
        for (int c = 0; c < 3 && usable; ++c) {
            const int k = v[c] - 1;
            usable = on_axis(a.x, x[k]) && on_axis(a.y, y[k]) && std::isfinite(z[k]) && (!log_z || z[k] > 0);
            if (!usable) break;
            const PlotPoint p = frame_to_plot(ctx, x[k], y[k]);
            px[c] = p.x;
            py[c] = p.y;
            pz[c] = log_z ? std::log10(double(z[k])) : double(z[k]);
        }
        if (!usable) continue;
        // The plane of the values over the plot coordinates, for the value
        // at the centre of each piece.
        const double ux = px[1] - px[0], uy = py[1] - py[0], wx = px[2] - px[0], wy = py[2] - py[0];
        const double det = ux * wy - uy * wx;
        if (!(std::fabs(det) > 1e-12)) continue;  // no area to colour
        const double du = pz[1] - pz[0], dw = pz[2] - pz[0];
        cut_triangle(px, py, pz, lev.data(), int(lev.size()), [&](int, int m, const double* qx, const double* qy) {
            double cx = 0, cy = 0;
            for (int i = 0; i < m; ++i) {
                cx += qx[i] / m;
                cy += qy[i] / m;
            }
            // Barycentric weights of the centre give its value.
            const double s = ((cx - px[0]) * wy - (cy - py[0]) * wx) / det;
            const double r = (ux * (cy - py[0]) - uy * (cx - px[0])) / det;
            const double value = pz[0] + s * du + r * dw;
            set_colour(ctx, colour_index(ctx, log_z ? std::pow(10.0, value) : value));
            fill_polygon(ctx, m, qx, qy);
        });
    }
    if (ctx.out.current_colour != previous) set_colour(ctx, previous);
    if (bad_vertex) warn_text(ctx, 2, "triangles with vertex numbers outside 1..n left out");
}

}  // namespace kal
