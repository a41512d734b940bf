#include "plot3d/zbuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "api/routines_depth_buffer_and_isosurfaces.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/frame.h"
#include "output/driver.h"
#include "output/primitives.h"
#include "output/raster/raster.h"
#include "plot3d/segment3d.h"

namespace kal {
namespace {

constexpr float FAR = std::numeric_limits<float>::infinity();

// Vertex positions are snapped to 1/256 pixel and the edge functions are
// evaluated in integers: two triangles sharing an edge see the same edge,
// so its pixels are set exactly once. Farther than LIMIT pixels from the
// raster a triangle is not drawn (the products stay within 64 bits).
constexpr int SUB = 256;
constexpr double LIMIT = double(1 << 21);

const char* const IN_USE = "z-buffer is already in use";
const char* const NOT_OPEN = "no initialization of z-buffer";

// The devices that draw into a raster of their own: screens and image files.
// A vector file has none, also while imgini builds one for its page.
bool raster_output(const Context& ctx) {
    return ctx.out.driver && ctx.out.raster && traits(ctx.page.device).own_raster;
}

Raster* canvas(Context& ctx, int& shift) {
    shift = 0;
    return ctx.out.driver ? ctx.out.driver->drawing_raster(ctx, shift) : nullptr;
}

// Every pixel far again, for raster r. False after warning 53.
bool make_depth(Context& ctx, const Raster& r) {
    DepthBuffer& d = ctx.out.depth;
    try {
        d.depth.assign(size_t(r.width()) * size_t(r.height()), FAR);
    } catch (const std::bad_alloc&) {
        d = DepthBuffer{};
        warn(ctx, 53);
        return false;
    }
    d.width = r.width();
    d.height = r.height();
    return true;
}

bool open_depth(Context& ctx, bool user) {
    int shift;
    Raster* r = canvas(ctx, shift);
    if (!r || !make_depth(ctx, *r)) return false;
    ctx.out.depth.open = true;
    ctx.out.depth.user = user;
    return true;
}

// The pixels drawing may set: the clipping window, on the raster.
struct Window {
    long long x0, y0, x1, y1;
};

// The raster drawn into with the buffer fitting it (a screen window chosen
// since the buffer was made starts a buffer of its own size), or null.
Raster* target(Context& ctx, int& shift) {
    DepthBuffer& d = ctx.out.depth;
    if (!d.open) return nullptr;
    Raster* r = canvas(ctx, shift);
    if (!r) return nullptr;
    if ((d.width != r->width() || d.height != r->height()) && !make_depth(ctx, *r)) return nullptr;
    return r;
}

DeviceMap exact_map(const Context& ctx) {
    DeviceMap map = current_map(ctx);
    map.rounded = false;
    return map;
}

Window window(const Context& ctx, const DeviceMap& map, const Raster& r) {
    const int* c = ctx.out.clip;
    const DevicePoint a = map(c[0], c[1]), b = map(c[2], c[3]);
    // The canvas pixel of device point p is p + shift; the page pixel there
    // covers canvas pixels p .. p + scale - 1.
    const int scale = std::max(1, ctx.image.pixel_scale);
    Window w;
    w.x0 = std::max(0LL, (long long)std::ceil(std::min(a.x, b.x)));
    w.y0 = std::max(0LL, (long long)std::ceil(std::min(a.y, b.y)));
    w.x1 = std::min<long long>(r.width() - 1, (long long)std::floor(std::max(a.x, b.x)) + scale - 1);
    w.y1 = std::min<long long>(r.height() - 1, (long long)std::floor(std::max(a.y, b.y)) + scale - 1);
    return w;
}

// A corner on the canvas: pixel centres lie at integer coordinates.
struct CanvasVertex {
    double x, y, depth;
    double c[3];
    double index;
};

long long floor_div(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
long long ceil_div(long long a, long long b) { return -floor_div(-a, b); }

// Writes one pixel's colour: the index, or the components (the nearest
// palette entry on a raster of indices, remembered for runs of one colour).
struct PixelWriter {
    Raster& r;
    bool by_index;
    int last_rgb = -1, last_index = 0;
    void put(int x, int y, double index, const double* c) {
        if (by_index) {
            r.put_index(x, y, int(std::clamp(std::lround(index), 0L, 255L)));
            return;
        }
        const int red = int(std::clamp(std::lround(c[0]), 0L, 255L));
        const int green = int(std::clamp(std::lround(c[1]), 0L, 255L));
        const int blue = int(std::clamp(std::lround(c[2]), 0L, 255L));
        if (r.true_colour()) {
            r.put_rgb(x, y, red, green, blue);
            return;
        }
        const int key = (red << 16) | (green << 8) | blue;
        if (key != last_rgb) {
            last_rgb = key;
            last_index = r.nearest(red, green, blue);
        }
        r.put_index(x, y, last_index);
    }
};

void raster_triangle(Raster& r, DepthBuffer& d, const Window& win, CanvasVertex v[3], bool by_index) {
    long long fx[3], fy[3];
    for (int i = 0; i < 3; ++i) {
        if (!(std::abs(v[i].x) < LIMIT) || !(std::abs(v[i].y) < LIMIT) || !std::isfinite(v[i].depth)) return;
        fx[i] = std::llround(v[i].x * SUB);
        fy[i] = std::llround(v[i].y * SUB);
    }
    long long area = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fy[1] - fy[0]) * (fx[2] - fx[0]);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(fx[1], fx[2]);
        std::swap(fy[1], fy[2]);
        area = -area;
    }
    const long long xmin = std::max(win.x0, ceil_div(std::min({fx[0], fx[1], fx[2]}), SUB));
    const long long xmax = std::min(win.x1, floor_div(std::max({fx[0], fx[1], fx[2]}), SUB));
    const long long ymin = std::max(win.y0, ceil_div(std::min({fy[0], fy[1], fy[2]}), SUB));
    const long long ymax = std::min(win.y1, floor_div(std::max({fy[0], fy[1], fy[2]}), SUB));
    if (xmin > xmax || ymin > ymax) return;

    // Edge i runs from corner i+1 to corner i+2; its function is the
    // triangle's doubled area towards a point, `area` at corner i. On the
    // edge itself a pixel counts for a top edge (horizontal, running right)
    // or a left one (running up the page), not for the others.
    long long ex[3], ey[3], e0[3], bias[3];
    for (int i = 0; i < 3; ++i) {
        const int a = (i + 1) % 3, b = (i + 2) % 3;
        const long long dx = fx[b] - fx[a], dy = fy[b] - fy[a];
        ex[i] = -dy * SUB;  // change per pixel to the right
        ey[i] = dx * SUB;   // change per pixel down
        e0[i] = dx * (ymin * SUB - fy[a]) - dy * (xmin * SUB - fx[a]);
        bias[i] = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : -1;
    }
    const double inv = 1.0 / double(area);
    PixelWriter out{r, by_index};
    for (long long y = ymin; y <= ymax; ++y) {
        long long e[3] = {e0[0], e0[1], e0[2]};
        float* row = d.depth.data() + size_t(y) * size_t(d.width);
        for (long long x = xmin; x <= xmax; ++x) {
            if (e[0] + bias[0] >= 0 && e[1] + bias[1] >= 0 && e[2] + bias[2] >= 0) {
                const double l0 = double(e[0]) * inv, l1 = double(e[1]) * inv, l2 = 1.0 - l0 - l1;
                const double z = l0 * v[0].depth + l1 * v[1].depth + l2 * v[2].depth;
                if (z < row[x]) {
                    row[x] = float(z);
                    double c[3];
                    for (int k = 0; k < 3; ++k) c[k] = l0 * v[0].c[k] + l1 * v[1].c[k] + l2 * v[2].c[k];
                    out.put(int(x), int(y), l0 * v[0].index + l1 * v[1].index + l2 * v[2].index, c);
                }
            }
            for (int k = 0; k < 3; ++k) e[k] += ex[k];
        }
        for (int k = 0; k < 3; ++k) e0[k] += ey[k];
    }
}

CanvasVertex to_canvas(const Context& ctx, const DeviceMap& map, int shift, const ZVertex& v) {
    const DevicePoint p = map(v.x + ctx.page.origin_x, v.y + ctx.page.origin_y);
    return {p.x + shift, p.y + shift, v.depth, {double(v.colour.r), double(v.colour.g), double(v.colour.b)},
            v.index};
}

bool inside(const ClipPlanes& planes, const Vec3& p) {
    for (int i = 0; i < planes.count; ++i) {
        const ClipPlanes::Plane& q = planes.plane[i];
        if (!(q.n.x * p.x + q.n.y * p.y + q.n.z * p.z + q.c >= 0)) return false;
    }
    return true;
}

Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

ZVertex project(const Context& ctx, const ZCorner& c) {
    const ViewMatrix& m = ctx.view3d.view_matrix;
    const PlotPoint q = abs_to_plot(m, c.p);
    ZVertex v;
    v.x = q.x;
    v.y = q.y;
    v.depth = depth_of(m, c.p);
    v.colour = c.colour;
    v.index = c.index;
    return v;
}

bool placeable(const Context& ctx, double x, double y, double z) {
    return on_axis(ctx.axes.x, x) && on_axis(ctx.axes.y, y) && on_axis(ctx.axes.z, z);
}

// zbflin, zbftri: a graf3d system and a buffer that zbfini opened.
bool user_buffer(Context& ctx) {
    if (!need_graf3d(ctx)) return false;
    if (ctx.out.depth.open && ctx.out.depth.user) return true;
    custom_warning(ctx, 101, NOT_OPEN);
    return false;
}

}  // namespace

// ---- the interface of the shading routines ----

ZBufferUse::ZBufferUse(Context& ctx) : ctx_(ctx) {
    if (!raster_output(ctx_)) {
        warn(ctx_, 40);
        return;
    }
    if (ctx_.out.depth.open) {
        ok_ = true;
        return;
    }
    ok_ = opened_ = open_depth(ctx_, false);
}

ZBufferUse::~ZBufferUse() {
    if (opened_) ctx_.out.depth = DepthBuffer{};
}

double depth_of(const ViewMatrix& v, const Vec3& p) {
    const double* z = v.m[2];
    const double* w = v.m[3];
    return (z[0] * p.x + z[1] * p.y + z[2] * p.z + z[3]) / (w[0] * p.x + w[1] * p.y + w[2] * p.z + w[3]);
}

void zbuffer_triangle(Context& ctx, const ZVertex v[3], bool by_index) {
    int shift;
    Raster* r = target(ctx, shift);
    if (!r) return;
    const DeviceMap map = exact_map(ctx);
    CanvasVertex c[3];
    for (int i = 0; i < 3; ++i) c[i] = to_canvas(ctx, map, shift, v[i]);
    raster_triangle(*r, ctx.out.depth, window(ctx, map, *r), c, by_index);
}

void zbuffer_triangle3d(Context& ctx, const ZCorner c[3], bool by_index) {
    const ClipPlanes planes = clip_planes(ctx, CLIP3D_SETTING);
    if (inside(planes, c[0].p) && inside(planes, c[1].p) && inside(planes, c[2].p)) {
        const ZVertex v[3] = {project(ctx, c[0]), project(ctx, c[1]), project(ctx, c[2])};
        zbuffer_triangle(ctx, v, by_index);
        return;
    }
    // Cut: each corner of the remaining polygon gets the colour of its
    // place in the triangle (barycentric weights), then a fan.
    const Vec3 e1 = sub(c[1].p, c[0].p), e2 = sub(c[2].p, c[0].p);
    const Vec3 n = cross(e1, e2);
    const double nn = dot(n, n);
    if (!(nn > 0) || !std::isfinite(nn)) return;
    std::vector<Vec3> poly = {c[0].p, c[1].p, c[2].p};
    clip_polygon3d(planes, poly);
    if (poly.size() < 3) return;
    std::vector<ZVertex> v;
    v.reserve(poly.size());
    for (const Vec3& q : poly) {
        const Vec3 d = sub(q, c[0].p);
        const double b1 = dot(cross(d, e2), n) / nn, b2 = dot(cross(e1, d), n) / nn, b0 = 1 - b1 - b2;
        ZCorner k;
        k.p = q;
        k.colour = {int(std::lround(b0 * c[0].colour.r + b1 * c[1].colour.r + b2 * c[2].colour.r)),
                    int(std::lround(b0 * c[0].colour.g + b1 * c[1].colour.g + b2 * c[2].colour.g)),
                    int(std::lround(b0 * c[0].colour.b + b1 * c[1].colour.b + b2 * c[2].colour.b))};
        k.index = b0 * c[0].index + b1 * c[1].index + b2 * c[2].index;
        v.push_back(project(ctx, k));
    }
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        const ZVertex t[3] = {v[0], v[i], v[i + 1]};
        zbuffer_triangle(ctx, t, by_index);
    }
}

void zbuffer_line(Context& ctx, const Vec3& a0, const Vec3& b0, double bias) {
    int shift;
    Raster* r = target(ctx, shift);
    if (!r) return;
    Vec3 a = a0, b = b0;
    if (!clip_segment3d(clip_planes(ctx, CLIP3D_SETTING), a, b)) return;
    const ZVertex za = project(ctx, {a, {}, 0}), zb = project(ctx, {b, {}, 0});
    const DeviceMap map = exact_map(ctx);
    const CanvasVertex p = to_canvas(ctx, map, shift, za), q = to_canvas(ctx, map, shift, zb);
    if (!(std::abs(p.x) < LIMIT && std::abs(p.y) < LIMIT && std::abs(q.x) < LIMIT && std::abs(q.y) < LIMIT))
        return;
    const Window w = window(ctx, map, *r);
    const int width = std::max(1, ctx.image.pixel_scale);
    const int from = -(width / 2), to = from + width - 1;
    const double dx = q.x - p.x, dy = q.y - p.y;
    const bool along_x = std::abs(dx) >= std::abs(dy);
    const long long steps = std::max(1LL, (long long)std::ceil(std::max(std::abs(dx), std::abs(dy))));
    DepthBuffer& d = ctx.out.depth;
    const Raster::Pen pen = r->pen();
    r->set_colour(ctx.out.current_colour);
    for (long long k = 0; k <= steps; ++k) {
        const double t = double(k) / double(steps);
        const long long cx = std::lround(p.x + t * dx), cy = std::lround(p.y + t * dy);
        const double z = p.depth + t * (q.depth - p.depth) - bias;
        for (int j = from; j <= to; ++j) {
            const long long x = along_x ? cx : cx + j, y = along_x ? cy + j : cy;
            if (x < w.x0 || x > w.x1 || y < w.y0 || y > w.y1) continue;
            float& stored = d.depth[size_t(y) * size_t(d.width) + size_t(x)];
            if (z < stored) {
                stored = float(z);
                r->plot(int(x), int(y));
            }
        }
    }
    r->set_pen(pen);
}

// ---- routines ----

int zbfini(Context& ctx) {
    if (ctx.out.depth.open && ctx.out.depth.user) {
        custom_warning(ctx, 101, IN_USE);
        return 1;
    }
    if (!raster_output(ctx)) {
        warn(ctx, 40);
        return 1;
    }
    return open_depth(ctx, true) ? 0 : 1;
}

void zbffin(Context& ctx) {
    if (!(ctx.out.depth.open && ctx.out.depth.user)) {
        custom_warning(ctx, 101, NOT_OPEN);
        return;
    }
    ctx.out.depth = DepthBuffer{};
}

void zbflin(Context& ctx, float x1, float y1, float z1, float x2, float y2, float z2) {
    if (!user_buffer(ctx)) return;
    if (!placeable(ctx, x1, y1, z1) || !placeable(ctx, x2, y2, z2)) {
        warn_text(ctx, 2, "value not on the axis");
        return;
    }
    zbuffer_line(ctx, user_to_abs(ctx, x1, y1, z1), user_to_abs(ctx, x2, y2, z2));
}

void zbftri(Context& ctx, const float* x, const float* y, const float* z, const int* colours) {
    if (!user_buffer(ctx)) return;
    ZCorner c[3];
    bool by_index = true;
    for (int i = 0; i < 3; ++i) {
        if (!placeable(ctx, x[i], y[i], z[i])) {
            warn_text(ctx, 2, "value not on the axis");
            return;
        }
        c[i].p = user_to_abs(ctx, x[i], y[i], z[i]);
        c[i].colour = resolve_rgb(ctx, colours[i]);
        c[i].index = colours[i] & 0xFF;
        by_index = by_index && !is_direct(colours[i]);
    }
    zbuffer_triangle3d(ctx, c, by_index);
}

}  // namespace kal
