// Mesh surfaces with hidden lines (surfce, surmat, surfun) and their
// settings: a floating horizon over the page columns, the grid cells taken
// from the one nearest to the view point outwards.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <numeric>
#include <vector>

#include "api/routines_surfaces_meshes.h"
#include "core/context.h"
#include "output/primitives.h"
#include "plot3d/horizon.h"
#include "plot3d/segment3d.h"
#include "plot3d/view.h"

namespace kal {
namespace {

// A grid of user points: z[i * m + j] belongs to (x[i], y[j]). Lines of
// constant x are drawn at every xstep-th x (0: none), lines of constant y
// at every ystep-th y.
struct MeshGrid {
    int n = 0, m = 0;
    const double* x = nullptr;
    const double* y = nullptr;
    const float* z = nullptr;
    int xstep = 1, ystep = 1;
};

// A grid point once through the 3-D mapping: absolute 3-D point and page
// point (plot origin offset added); invalid where it cannot be placed.
struct Vertex {
    Vec3 p;
    double px = 0, py = 0;
    bool ok = false;
};

constexpr long long MAX_VERTICES = 16'000'000;  // 4000 x 4000, some 700 MB of work arrays

class MeshPainter {
public:
    MeshPainter(Context& ctx, const MeshGrid& g) : ctx_(ctx), g_(g), planes_(clip_planes(ctx, CLIP3D_SETTING)) {
        const SurfaceOptions& o = ctx.surface.options;
        const int current = ctx.out.current_colour;
        mesh_colour_ = o.mesh_colour == -1 ? current : o.mesh_colour;
        top_colour_ = o.side_colours ? (o.top_colour == -1 ? current : o.top_colour) : mesh_colour_;
        bottom_colour_ = o.side_colours ? (o.bottom_colour == -1 ? current : o.bottom_colour) : mesh_colour_;
        sides_ = o.visible == SURVIS_TOP ? SIDE_TOP : o.visible == SURVIS_BOTT ? SIDE_BOTTOM : SIDE_BOTH;
        x_lines_ = o.iso != SUROPT_YISO && g.xstep > 0;
        y_lines_ = o.iso != SUROPT_XISO && g.ystep > 0;
    }

    void draw() {
        project();
        if (ctx_.surface.options.hide)
            hidden();
        else
            plain();
    }

private:
    void project() {
        const AxisState& a = ctx_.axes;
        const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
        v_.resize(size_t(g_.n) * size_t(g_.m));
        for (int i = 0; i < g_.n; ++i)
            for (int j = 0; j < g_.m; ++j) {
                const double x = g_.x[i], y = g_.y[j], z = g_.z[size_t(i) * size_t(g_.m) + size_t(j)];
                Vertex& v = v_[size_t(i) * size_t(g_.m) + size_t(j)];
                if (!on_axis(a.x, x) || !on_axis(a.y, y) || !on_axis(a.z, z)) continue;
                v.p = user_to_abs(ctx_, x, y, z);
                const PlotPoint q = user_to_plot(ctx_, x, y, z);
                v.px = q.x + ox;
                v.py = q.y + oy;
                v.ok = std::isfinite(v.p.x) && std::isfinite(v.p.y) && std::isfinite(v.p.z);
            }
    }

    const Vertex& at(int i, int j) const { return v_[size_t(i) * size_t(g_.m) + size_t(j)]; }
    bool x_line(int i) const { return x_lines_ && i % g_.xstep == 0; }
    bool y_line(int j) const { return y_lines_ && j % g_.ystep == 0; }

    // Without hidden-line removal: every line through the 3-D segment path.
    void plain() {
        set_colour(ctx_, top_colour_);
        Path3d path(ctx_, CLIP3D_SETTING);
        for (int i = 0; i < g_.n; ++i) {
            if (!x_line(i)) continue;
            bool broken = true;
            for (int j = 0; j < g_.m; ++j) line_point(path, at(i, j), broken);
        }
        for (int j = 0; j < g_.m; ++j) {
            if (!y_line(j)) continue;
            bool broken = true;
            for (int i = 0; i < g_.n; ++i) line_point(path, at(i, j), broken);
        }
        path.finish();
    }

    static void line_point(Path3d& path, const Vertex& v, bool& broken) {
        if (!v.ok) {
            broken = true;
            return;
        }
        if (broken)
            path.move(v.p);
        else
            path.draw(v.p);
        broken = false;
    }

    // The floating horizon: cells from the nearest to the farthest (their
    // distance from the view point in the x-y plane, so that whatever can
    // hide a cell comes before it), each drawing its edges not drawn yet,
    // nearer edges first. Edges of lines not shown still widen the horizon.
    void hidden() {
        const int n = g_.n, m = g_.m;
        horizon_.start(ctx_.page.width, ctx_.page.height);
        const size_t cells = size_t(n - 1) * size_t(m - 1);
        const Vec3& eye = ctx_.view3d.view_matrix.eye;
        std::vector<double> cx(static_cast<size_t>(n - 1)), cy(static_cast<size_t>(m - 1));
        // Box coordinates of the columns and rows (a vertex of each suffices
        // where it can be placed; the user value otherwise).
        std::vector<double> bx(static_cast<size_t>(n)), by(static_cast<size_t>(m));
        for (int i = 0; i < n; ++i) bx[size_t(i)] = axis_to_box(ctx_.axes.x, ctx_.view3d.xl, g_.x[i]);
        for (int j = 0; j < m; ++j) by[size_t(j)] = axis_to_box(ctx_.axes.y, ctx_.view3d.yl, g_.y[j]);
        for (int i = 0; i + 1 < n; ++i) cx[size_t(i)] = (bx[size_t(i)] + bx[size_t(i) + 1]) / 2 - eye.x;
        for (int j = 0; j + 1 < m; ++j) cy[size_t(j)] = (by[size_t(j)] + by[size_t(j) + 1]) / 2 - eye.y;
        std::vector<float> key(cells);
        std::vector<uint32_t> order(cells);
        for (int i = 0; i + 1 < n; ++i)
            for (int j = 0; j + 1 < m; ++j) {
                const size_t c = size_t(i) * size_t(m - 1) + size_t(j);
                const double d = cx[size_t(i)] * cx[size_t(i)] + cy[size_t(j)] * cy[size_t(j)];
                key[c] = std::isfinite(d) ? float(d) : INFINITY;
                order[c] = uint32_t(c);
            }
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return key[a] < key[b]; });
        // Drawn flags: edges along y (constant x) i * (m - 1) + j, edges
        // along x (constant y) j * (n - 1) + i.
        std::vector<uint8_t> along_y(size_t(n) * size_t(m - 1)), along_x(size_t(m) * size_t(n - 1));
        set_colour(ctx_, top_colour_);
        colour_ = top_colour_;
        for (uint32_t c : order) {
            const int i = int(c / uint32_t(m - 1)), j = int(c % uint32_t(m - 1));
            struct Edge {
                double d;
                int i1, j1, i2, j2;
                uint8_t* flag;
                bool shown;
            } e[4] = {
                {cy[size_t(j)] * cy[size_t(j)] + std::pow(bx[size_t(i)] - eye.x, 2), i, j, i, j + 1,
                 &along_y[size_t(i) * size_t(m - 1) + size_t(j)], x_line(i)},
                {cy[size_t(j)] * cy[size_t(j)] + std::pow(bx[size_t(i) + 1] - eye.x, 2), i + 1, j, i + 1, j + 1,
                 &along_y[size_t(i + 1) * size_t(m - 1) + size_t(j)], x_line(i + 1)},
                {cx[size_t(i)] * cx[size_t(i)] + std::pow(by[size_t(j)] - eye.y, 2), i, j, i + 1, j,
                 &along_x[size_t(j) * size_t(n - 1) + size_t(i)], y_line(j)},
                {cx[size_t(i)] * cx[size_t(i)] + std::pow(by[size_t(j) + 1] - eye.y, 2), i, j + 1, i + 1, j + 1,
                 &along_x[size_t(j + 1) * size_t(n - 1) + size_t(i)], y_line(j + 1)},
            };
            std::sort(std::begin(e), std::end(e), [](const Edge& a, const Edge& b) { return a.d < b.d; });
            for (Edge& k : e) {
                if (*k.flag) continue;
                *k.flag = 1;
                edge(at(k.i1, k.j1), at(k.i2, k.j2), k.shown);
            }
        }
        end_run();
        line_flush(ctx_);
        keep_horizon(ctx_, std::move(horizon_), ctx_.surface.options.keep);
    }

    void edge(const Vertex& va, const Vertex& vb, bool shown) {
        if (!va.ok || !vb.ok) return;
        Vec3 a = va.p, b = vb.p;
        if (!clip_segment3d(planes_, a, b)) return;
        const ViewMatrix& vm = ctx_.view3d.view_matrix;
        const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
        double ax = va.px, ay = va.py, bx = vb.px, by = vb.py;
        if (a.x != va.p.x || a.y != va.p.y || a.z != va.p.z) {
            const PlotPoint q = abs_to_plot(vm, a);
            ax = q.x + ox;
            ay = q.y + oy;
        }
        if (b.x != vb.p.x || b.y != vb.p.y || b.z != vb.p.z) {
            const PlotPoint q = abs_to_plot(vm, b);
            bx = q.x + ox;
            by = q.y + oy;
        }
        horizon_.segment(ax, ay, bx, by, true, [&](double t0, double t1, int side) {
            if (!shown) return;
            int show = side & sides_;
            if (show == SIDE_BOTH) show = SIDE_TOP;
            if (!show) return;
            stretch(ax + (bx - ax) * t0, ay + (by - ay) * t0, ax + (bx - ax) * t1, ay + (by - ay) * t1,
                    show == SIDE_TOP ? top_colour_ : bottom_colour_);
        });
    }

    // Visible stretches join into runs while they meet and keep their colour.
    void stretch(double x1, double y1, double x2, double y2, int colour) {
        if (colour != colour_ || run_x_.empty() || run_x_.back() != x1 || run_y_.back() != y1 ||
            run_x_.size() >= 4096) {
            end_run();
            if (colour != colour_) {
                set_colour(ctx_, colour);
                colour_ = colour;
            }
            run_x_.push_back(x1);
            run_y_.push_back(y1);
        }
        run_x_.push_back(x2);
        run_y_.push_back(y2);
    }

    void end_run() {
        if (run_x_.size() >= 2) line_polyline(ctx_, int(run_x_.size()), run_x_.data(), run_y_.data());
        run_x_.clear();
        run_y_.clear();
    }

    Context& ctx_;
    const MeshGrid& g_;
    ClipPlanes planes_;
    std::vector<Vertex> v_;
    Horizon horizon_;
    int mesh_colour_ = 0, top_colour_ = 0, bottom_colour_ = 0, colour_ = 0;
    int sides_ = SIDE_BOTH;
    bool x_lines_ = true, y_lines_ = true;
    std::vector<double> run_x_, run_y_;
};

// Draws the mesh of a grid in the axis system; the current colour stays.
void draw_mesh(Context& ctx, const MeshGrid& g) {
    drop_kept_horizon(ctx);
    if ((long long)g.n * g.m > MAX_VERTICES) {
        warn(ctx, 53);
        return;
    }
    const int colour = ctx.out.current_colour;
    try {
        MeshPainter painter(ctx, g);
        painter.draw();
    } catch (const std::bad_alloc&) {
        line_flush(ctx);
        warn(ctx, 53);
    }
    if (ctx.out.current_colour != colour) set_colour(ctx, colour);
}

bool grid_size_ok(Context& ctx, int n, int m) {
    if (n >= 2 && m >= 2) return true;
    warn_int(ctx, 2, n < 2 ? n : m);
    return false;
}

// ixpts and iypts of surmat and surfun: every k-th line, 0 none; not both 0.
bool line_steps_ok(Context& ctx, int ixpts, int iypts) {
    if (ixpts >= 0 && iypts >= 0 && (ixpts > 0 || iypts > 0)) return true;
    warn_int(ctx, 2, ixpts < 0 ? ixpts : iypts);
    return false;
}

// The part of the axis ranges a matrix or function covers (axis values:
// exponents on logarithmic axes); false after warning 27 for sursze limits
// a logarithmic axis cannot take.
bool covered_area(Context& ctx, double& xa, double& xe, double& ya, double& ye) {
    const AxisScale &ax = ctx.axes.x, &ay = ctx.axes.y;
    const ScaleLimitsState& s = ctx.limits;
    xa = ax.a;
    xe = ax.e;
    ya = ay.a;
    ye = ay.e;
    if (!s.area_given) return true;
    if ((ax.log && !(s.xmin > 0 && s.xmax > 0)) || (ay.log && !(s.ymin > 0 && s.ymax > 0))) {
        warn(ctx, 27);
        return false;
    }
    xa = ax.log ? std::log10(s.xmin) : s.xmin;
    xe = ax.log ? std::log10(s.xmax) : s.xmax;
    ya = ay.log ? std::log10(s.ymin) : s.ymin;
    ye = ay.log ? std::log10(s.ymax) : s.ymax;
    return true;
}

// n values from a to e (axis values), as user values.
std::vector<double> spread(int n, double a, double e, bool log, double step = 0) {
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        double t = step > 0 ? a + step * i * (e >= a ? 1 : -1) : a + (e - a) * i / (n - 1);
        if (i == n - 1) t = e;
        v[size_t(i)] = log ? std::pow(10.0, t) : t;
    }
    return v;
}

}  // namespace

void surfce(Context& ctx, const float* x, int n, const float* y, int m, const float* z) {
    if (!grid_size_ok(ctx, n, m) || !need_graf3d(ctx)) return;
    try {
        const std::vector<double> xs(x, x + n), ys(y, y + m);
        draw_mesh(ctx, {n, m, xs.data(), ys.data(), z, 1, 1});
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void surmat(Context& ctx, const float* z, int n, int m, int ixpts, int iypts) {
    if (!grid_size_ok(ctx, n, m) || !line_steps_ok(ctx, ixpts, iypts) || !need_graf3d(ctx)) return;
    double xa, xe, ya, ye;
    if (!covered_area(ctx, xa, xe, ya, ye)) return;
    try {
        const std::vector<double> xs = spread(n, xa, xe, ctx.axes.x.log), ys = spread(m, ya, ye, ctx.axes.y.log);
        draw_mesh(ctx, {n, m, xs.data(), ys.data(), z, ixpts, iypts});
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void surfun(Context& ctx, kalvor_surface_function f, int ixpts, float xdel, int iypts, float ydel) {
    if (!f) {
        warn_text(ctx, 2, "no function");
        return;
    }
    if (!line_steps_ok(ctx, ixpts, iypts)) return;
    if (!(xdel > 0) || !(ydel > 0) || !std::isfinite(xdel) || !std::isfinite(ydel)) {
        warn_text(ctx, 2, "steps must be positive");
        return;
    }
    if (!need_graf3d(ctx)) return;
    double xa, xe, ya, ye;
    if (!covered_area(ctx, xa, xe, ya, ye)) return;
    // Samples from one end to the other in steps of xdel (axis values), the
    // last step shortened to end there.
    const double nx = std::ceil(std::fabs(xe - xa) / xdel - 1e-6) + 1, ny = std::ceil(std::fabs(ye - ya) / ydel - 1e-6) + 1;
    if (!(nx * ny <= 1e6)) {
        warn_text(ctx, 2, "more than a million samples");
        return;
    }
    const int n = std::max(2, int(nx)), m = std::max(2, int(ny));
    try {
        const std::vector<double> xs = spread(n, xa, xe, ctx.axes.x.log, xdel),
                                  ys = spread(m, ya, ye, ctx.axes.y.log, ydel);
        std::vector<float> z(size_t(n) * size_t(m));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < m; ++j) z[size_t(i) * size_t(m) + size_t(j)] = f(float(xs[size_t(i)]), float(ys[size_t(j)]));
        draw_mesh(ctx, {n, m, xs.data(), ys.data(), z.data(), ixpts, iypts});
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

// ---- settings ----

void surclr(Context& ctx, int top, int bottom) {
    if (out_of_range(ctx, top, -1, -2) || out_of_range(ctx, bottom, -1, -2)) return;
    SurfaceOptions& o = ctx.surface.options;
    o.top_colour = top;
    o.bottom_colour = bottom;
    o.side_colours = true;
}

void survis(Context& ctx, const char* side) {
    const int k = keyword(ctx, "BOTH+TOP +BOTT", side);
    if (k) ctx.surface.options.visible = k - 1;
}

void suropt(Context& ctx, const char* lines) {
    const int k = keyword(ctx, "BOTH+XISO+YISO", lines);
    if (k) ctx.surface.options.iso = k - 1;
}

void mshclr(Context& ctx, int colour) {
    if (!out_of_range(ctx, colour, -1, -2)) ctx.surface.options.mesh_colour = colour;
}

void nohide(Context& ctx) { ctx.surface.options.hide = false; }

void shlsur(Context& ctx) {
    ctx.surface.options.keep = true;
    // The horizon of a surface drawn before in this axis system hides from now on.
    HorizonFilter& f = ctx.surface.options.kept;
    if (!f.active && !f.horizon.empty() && graf3d_open(ctx)) keep_horizon(ctx, std::move(f.horizon), true);
}

}  // namespace kal
