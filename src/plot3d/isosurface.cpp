// suriso: the surface where a field on a grid takes one value. Each grid
// cell is cut into six tetrahedra around its diagonal from corner 0 to
// corner 7, alike in every cell, so that neighbouring cells cut their common
// face along the same diagonal and the pieces meet without cracks. In a
// tetrahedron the level surface is one triangle (one corner apart from the
// other three) or a quadrilateral (two against two), with its corners on
// the edges where the field passes the level, placed linearly.
#include <cmath>
#include <vector>

#include "api/routines_depth_buffer_and_isosurfaces.h"
#include "core/context.h"
#include "core/frame.h"
#include "plot3d/lighting.h"
#include "plot3d/zbuffer.h"

namespace kal {
namespace {

// Cell corners: bit 0 the next x, bit 1 the next y, bit 2 the next z. Each
// tetrahedron walks from corner 0 to corner 7 along the three axes in one
// of the six orders.
constexpr int TETRAHEDRA[6][4] = {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7},
                                  {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}};

struct Grid {
    std::vector<double> X, Y, Z;  // absolute 3-D coordinates of the grid lines (NaN: not on the axis)
    const float* w;
    int nx, ny, nz;
    double at(int i, int j, int k) const { return w[(size_t(i) * size_t(ny) + size_t(j)) * size_t(nz) + size_t(k)]; }
};

// One axis: a difference quotient of the field along it, central inside
// the grid, one-sided at its ends.
double slope(const std::vector<double>& pos, int i, double before, double here, double after) {
    const int n = int(pos.size());
    const int a = i > 0 ? i - 1 : i, b = i + 1 < n ? i + 1 : i;
    const double lo = a < i ? before : here, hi = b > i ? after : here;
    const double d = pos[size_t(b)] - pos[size_t(a)];
    return d != 0 ? (hi - lo) / d : 0;
}

// The gradient of the field at a grid point in absolute coordinates: the
// normal of the level surface there.
Vec3 gradient(const Grid& g, int i, int j, int k) {
    const double c = g.at(i, j, k);
    auto v = [&](int a, int b, int e) { return g.at(a, b, e); };
    const Vec3 n = {slope(g.X, i, i > 0 ? v(i - 1, j, k) : c, c, i + 1 < g.nx ? v(i + 1, j, k) : c),
            slope(g.Y, j, j > 0 ? v(i, j - 1, k) : c, c, j + 1 < g.ny ? v(i, j + 1, k) : c),
            slope(g.Z, k, k > 0 ? v(i, j, k - 1) : c, c, k + 1 < g.nz ? v(i, j, k + 1) : c)};
    // A neighbour that is not a number leaves no direction.
    if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) return {};
    return n;
}

struct Corner {
    Vec3 p;
    double f;   // field minus level
    Vec3 n;     // gradient (lit surfaces only)
};

class Drawer {
public:
    Drawer(Context& ctx) : ctx_(ctx), lit_(lighting_on(ctx)) {
        const int value = ctx.out.current_colour;
        base_ = resolve_rgb(ctx, value);
        by_index_ = !lit_ && !is_direct(value);
        index_ = value & 0xFF;
    }
    bool lit() const { return lit_; }

    // The level surface in one tetrahedron.
    void tetrahedron(const Corner* c[4]) {
        int above[4], below[4], na = 0, nb = 0;
        for (int q = 0; q < 4; ++q) (c[q]->f >= 0 ? above[na++] : below[nb++]) = q;
        if (na == 0 || nb == 0) return;
        if (na == 1 || nb == 1) {
            const int lone = na == 1 ? above[0] : below[0];
            const int* others = na == 1 ? below : above;
            triangle(cut(*c[lone], *c[others[0]]), cut(*c[lone], *c[others[1]]), cut(*c[lone], *c[others[2]]));
            return;
        }
        const ZCorner ac = cut(*c[above[0]], *c[below[0]]), ad = cut(*c[above[0]], *c[below[1]]);
        const ZCorner bd = cut(*c[above[1]], *c[below[1]]), bc = cut(*c[above[1]], *c[below[0]]);
        triangle(ac, ad, bd);
        triangle(ac, bd, bc);
    }

private:
    // The point of edge a-b where the field takes the level.
    ZCorner cut(const Corner& a, const Corner& b) const {
        const double t = a.f / (a.f - b.f);
        ZCorner z;
        z.p = {a.p.x + t * (b.p.x - a.p.x), a.p.y + t * (b.p.y - a.p.y), a.p.z + t * (b.p.z - a.p.z)};
        z.index = index_;
        z.colour = base_;
        if (lit_) {
            const Vec3 n = {a.n.x + t * (b.n.x - a.n.x), a.n.y + t * (b.n.y - a.n.y), a.n.z + t * (b.n.z - a.n.z)};
            z.colour = lit_colour(ctx_, z.p, n, base_);
        }
        return z;
    }
    void triangle(const ZCorner& a, const ZCorner& b, const ZCorner& c) {
        const ZCorner t[3] = {a, b, c};
        zbuffer_triangle3d(ctx_, t, by_index_);
    }

    Context& ctx_;
    bool lit_;
    Rgb base_;
    bool by_index_;
    int index_;
};

std::vector<double> grid_line(const AxisScale& s, double l, const float* v, int n) {
    std::vector<double> out(static_cast<size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) out[size_t(i)] = on_axis(s, v[i]) ? axis_to_box(s, l, v[i]) : NAN;
    return out;
}

}  // namespace

void suriso(Context& ctx, const float* x, int nx, const float* y, int ny, const float* z, int nz, const float* w,
            float level) {
    if (!need_graf3d(ctx)) return;
    if (nx < 2 || ny < 2 || nz < 2) {
        warn_int(ctx, 2, nx < 2 ? nx : ny < 2 ? ny : nz);
        return;
    }
    if (!std::isfinite(level)) {
        warn_text(ctx, 2, "level not finite");
        return;
    }
    ZBufferUse use(ctx);
    if (!use.ok()) return;
    const View3dState& v = ctx.view3d;
    Grid g{grid_line(ctx.axes.x, v.xl, x, nx), grid_line(ctx.axes.y, v.yl, y, ny),
           grid_line(ctx.axes.z, v.zl, z, nz), w, nx, ny, nz};
    Drawer draw(ctx);
    Corner corner[8];
    for (int i = 0; i + 1 < nx; ++i) {
        for (int j = 0; j + 1 < ny; ++j) {
            for (int k = 0; k + 1 < nz; ++k) {
                bool usable = true, above = false, below = false;
                for (int q = 0; q < 8; ++q) {
                    const int a = i + (q & 1), b = j + ((q >> 1) & 1), e = k + ((q >> 2) & 1);
                    Corner& c = corner[q];
                    c.p = {g.X[size_t(a)], g.Y[size_t(b)], g.Z[size_t(e)]};
                    c.f = g.at(a, b, e) - double(level);
                    usable = usable && std::isfinite(c.f) && std::isfinite(c.p.x) && std::isfinite(c.p.y) &&
                             std::isfinite(c.p.z);
                    (c.f >= 0 ? above : below) = true;
                }
                // Cells with a value that is not a number, or off a
                // logarithmic axis, are left out; so are cells the level
                // does not pass.
                if (!usable || !above || !below) continue;
                if (draw.lit()) {
                    for (int q = 0; q < 8; ++q)
                        corner[q].n = gradient(g, i + (q & 1), j + ((q >> 1) & 1), k + ((q >> 2) & 1));
                }
                for (const auto& t : TETRAHEDRA) {
                    const Corner* c[4] = {&corner[t[0]], &corner[t[1]], &corner[t[2]], &corner[t[3]]};
                    draw.tetrahedron(c);
                }
            }
        }
    }
}

}  // namespace kal
