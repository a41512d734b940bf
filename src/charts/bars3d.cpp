// bars3d: boxes in a 3-D axis system, their faces drawn back to front as the
// flat-shaded surfaces draw theirs, with a border in the bar border colour.
#include <array>
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_bar_graphs_and_pie_charts.h"
#include "charts/charts.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/line_layer.h"
#include "plot3d/surface_shaded.h"
#include "plot3d/view.h"

namespace kal {

namespace {

// The six faces of a box over its corners numbered by bits (x: 1, y: 2,
// z: 4), each in order around.
constexpr std::array<std::array<int, 4>, 6> BOX_FACES = {{
    {0, 1, 3, 2}, {4, 5, 7, 6},   // bottom, top
    {0, 1, 5, 4}, {2, 3, 7, 6},   // front, back (y)
    {0, 2, 6, 4}, {1, 3, 7, 5},   // left, right (x)
}};

// The box of bar i as a face mesh; false when a corner cannot be placed.
bool bar_box(const Context& ctx, const float* x, const float* y, const float* z1, const float* z2,
             const float* xw, const float* yw, int i, int colour, FaceMesh& box) {
    const double xs[2] = {x[i] - xw[i] / 2.0, x[i] + xw[i] / 2.0};
    const double ys[2] = {y[i] - yw[i] / 2.0, y[i] + yw[i] / 2.0};
    const double zs[2] = {z1[i], z2[i]};
    box.point.clear();
    for (int c = 0; c < 8; ++c) {
        const double px = xs[c & 1], py = ys[(c >> 1) & 1], pz = zs[(c >> 2) & 1];
        if (!on_axis(ctx.axes.x, px) || !on_axis(ctx.axes.y, py) || !on_axis(ctx.axes.z, pz))
            return false;
        box.point.push_back(user_to_abs(ctx, px, py, pz));
    }
    box.colour = colour;
    return true;
}

}  // namespace

void bars3d(Context& ctx, const float* x, const float* y, const float* z1, const float* z2, const float* xw,
            const float* yw, const int* colours, int n) {
    if (n < 1) return;
    if (!need_graf3d(ctx)) return;
    line_flush(ctx);
    std::vector<DepthPolygon> list;
    bool skipped = false;
    try {
        FaceMesh box;
        box.face.assign(BOX_FACES.begin(), BOX_FACES.end());
        for (int i = 0; i < n; ++i) {
            const bool finite = std::isfinite(x[i]) && std::isfinite(y[i]) && std::isfinite(z1[i]) &&
                                std::isfinite(z2[i]) && std::isfinite(xw[i]) && std::isfinite(yw[i]);
            if (!finite || !bar_box(ctx, x, y, z1, z2, xw, yw, i, colours[i], box)) {
                skipped = true;
                continue;
            }
            const std::vector<DepthPolygon> faces = flat_polygons(ctx, box);
            list.insert(list.end(), faces.begin(), faces.end());
        }
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    if (skipped) warn(ctx, 2);  // a bar with a value that has no place on its axis
    sort_by_depth(list);
    const int border = ctx.charts.border != -1 ? ctx.charts.border : ctx.colour.foreground;
    draw_depth_sorted(ctx, list, MESH_ON, border);
}

}  // namespace kal
