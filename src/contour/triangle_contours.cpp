// Contours of triangulated data: contri, tripts (the level's segments in
// each triangle, linked into lines by the triangle edges their ends lie
// on) and confll (triangles cut into the classes of the levels).
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "api/routines_contouring.h"
#include "contour/contour_input.h"
#include "contour/shading.h"
#include "contour/triangle_cut.h"
#include "core/context.h"
#include "plot3d/view.h"

namespace kal {
namespace {

bool triangles_ok(Context& ctx, int n, const int* i1, const int* i2, const int* i3, int ntri) {
    if (n < 1 || ntri < 1) {
        warn_int(ctx, 2, n < 1 ? n : ntri);
        return false;
    }
    for (int t = 0; t < ntri; ++t) {
        for (int v : {i1[t], i2[t], i3[t]}) {
            if (v < 1 || v > n) {
                warn_text(ctx, 2, "vertex number out of range");
                return false;
            }
        }
    }
    return true;
}

// The edge of vertices a and b (0-based), either way round.
uint64_t edge_key(int a, int b) {
    if (a > b) std::swap(a, b);
    return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}

struct Segment {
    uint64_t key[2];
    double x[2], y[2];
    bool taken = false;
};

// The level's segments, one per triangle that it crosses: a vertex on the
// level counts as below, so lines never run along triangle edges.
std::vector<Segment> level_segments(const float* x, const float* y, const float* z, const int* i1, const int* i2,
                                    const int* i3, int ntri, double level) {
    std::vector<Segment> segs;
    for (int t = 0; t < ntri; ++t) {
        const int v[3] = {i1[t] - 1, i2[t] - 1, i3[t] - 1};
        bool up[3];
        int above = 0;
        for (int k = 0; k < 3; ++k) above += up[k] = above_level(z[v[k]], level);
        if (above == 0 || above == 3) continue;
        Segment s;
        int e = 0;
        for (int k = 0; k < 3 && e < 2; ++k) {
            const int a = v[k], b = v[(k + 1) % 3];
            if (up[k] == up[(k + 1) % 3]) continue;
            const int h = up[k] ? a : b, l = up[k] ? b : a;
            crossing(x[h], y[h], z[h], x[l], y[l], z[l], level, s.x[e], s.y[e]);
            s.key[e++] = edge_key(a, b);
        }
        segs.push_back(s);
    }
    return segs;
}

// Links segments into lines through the edges their ends share.
void link_segments(std::vector<Segment>& segs, TraceSink& sink) {
    std::unordered_multimap<uint64_t, size_t> at;
    at.reserve(segs.size() * 2);
    for (size_t i = 0; i < segs.size(); ++i) {
        at.emplace(segs[i].key[0], i);
        at.emplace(segs[i].key[1], i);
    }
    std::vector<double> lx, ly;
    // Appends segments from the line's end on edge `key` while one continues it.
    const auto grow = [&](uint64_t key) {
        for (;;) {
            size_t next = segs.size();
            auto range = at.equal_range(key);
            for (auto it = range.first; it != range.second; ++it)
                if (!segs[it->second].taken) {
                    next = it->second;
                    break;
                }
            if (next == segs.size()) return;
            Segment& s = segs[next];
            s.taken = true;
            const int end = s.key[0] == key ? 1 : 0;
            lx.push_back(s.x[end]);
            ly.push_back(s.y[end]);
            key = s.key[end];
        }
    };
    for (size_t i = 0; i < segs.size(); ++i) {
        if (segs[i].taken) continue;
        Segment& s = segs[i];
        s.taken = true;
        lx.assign({s.x[0], s.x[1]});
        ly.assign({s.y[0], s.y[1]});
        grow(s.key[1]);
        std::reverse(lx.begin(), lx.end());
        std::reverse(ly.begin(), ly.end());
        grow(s.key[0]);
        sink.begin_line();
        for (size_t k = 0; k < lx.size(); ++k) sink.point(lx[k], ly[k]);
        sink.end_line();
    }
}

bool trace_triangles(Context& ctx, const float* x, const float* y, const float* z, const int* i1, const int* i2,
                     const int* i3, int ntri, double level, TraceSink& sink) {
    try {
        std::vector<Segment> segs = level_segments(x, y, z, i1, i2, i3, ntri, level);
        link_segments(segs, sink);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return false;
    }
    return true;
}

}  // namespace

void contri(Context& ctx, const float* x, const float* y, const float* z, int n, const int* i1, const int* i2,
            const int* i3, int ntri, float zlev) {
    if (!triangles_ok(ctx, n, i1, i2, i3, ntri) || !levels_ok(ctx, &zlev, 1) || !coordinates_ok(ctx, x, n, y, n))
        return;
    try {
        LineWriter writer(ctx, zlev);
        PlotSink sink(ctx, writer, zlev);
        if (trace_triangles(ctx, x, y, z, i1, i2, i3, ntri, zlev, sink)) writer.draw();
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void tripts(Context& ctx, const float* x, const float* y, const float* z, int n, const int* i1, const int* i2,
            const int* i3, int ntri, float zlev, float* xray, float* yray, int maxpts, int* nray, int maxray,
            int* nlins) {
    *nlins = 0;
    if (maxpts < 1 || maxray < 1) {
        warn_int(ctx, 2, maxpts < 1 ? maxpts : maxray);
        return;
    }
    if (!triangles_ok(ctx, n, i1, i2, i3, ntri) || !levels_ok(ctx, &zlev, 1)) return;
    if (!all_finite(x, n) || !all_finite(y, n)) {
        warn_text(ctx, 2, "value not finite");
        return;
    }
    ArraySink sink(ctx, xray, yray, maxpts, nray, maxray);
    if (trace_triangles(ctx, x, y, z, i1, i2, i3, ntri, zlev, sink)) *nlins = sink.lines();
}

void confll(Context& ctx, const float* x, const float* y, const float* z, int n, const int* i1, const int* i2,
            const int* i3, int ntri, const float* zlev, int nlev) {
    if (nlev < 1) {
        warn_int(ctx, 2, nlev);
        return;
    }
    if (!triangles_ok(ctx, n, i1, i2, i3, ntri) || !levels_ok(ctx, zlev, nlev) || !coordinates_ok(ctx, x, n, y, n))
        return;
    if (graf3d_open(ctx)) {  // a 3-D box has no plane to fill in
        warn(ctx, 35);
        return;
    }
    try {
        const ShadeClasses s = shade_classes(ctx, zlev, nlev, true);
        ShadeScope scope(ctx);
        LinearMap map;
        const bool linear = linear_map(ctx, map);
        for (int t = 0; t < ntri; ++t) {
            const int v[3] = {i1[t] - 1, i2[t] - 1, i3[t] - 1};
            double tx[3], ty[3], tz[3];
            bool finite = true;
            for (int k = 0; k < 3; ++k) {
                tx[k] = x[v[k]];
                ty[k] = y[v[k]];
                tz[k] = z[v[k]];
                finite = finite && std::isfinite(tz[k]);
            }
            if (!finite) continue;
            cut_triangle(tx, ty, tz, s.levels.data(), s.count(), [&](int cls, int np, const double* ux, const double* uy) {
                if (!s.filled[size_t(cls)]) return;
                double px[8], py[8];
                for (int q = 0; q < np; ++q) {
                    const PlotPoint p = linear ? map(ux[q], uy[q]) : user_to_plot(ctx, ux[q], uy[q]);
                    px[q] = p.x;
                    py[q] = p.y;
                }
                fill_piece(ctx, np, px, py, s.colour[size_t(cls)]);
            });
        }
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

}  // namespace kal
