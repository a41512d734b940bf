// Classes and colours of shaded contours, and conshd on grids.
#include "contour/shading.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>

#include "api/routines_contouring.h"
#include "colour3d/colour.h"
#include "contour/contour_input.h"
#include "contour/contour_state.h"
#include "contour/triangle_cut.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "plot2d/curves.h"
#include "plot3d/view.h"

namespace kal {

ShadeClasses shade_classes(Context& ctx, const float* levels, int nlev, bool outer) {
    const ContourState& c = ctx.contour;
    const int count = int(c.colours.size());
    if (count >= 1 && count < nlev) custom_warning(ctx, 101, "More contour levels as defined colours");
    ShadeClasses s;
    s.position.resize(size_t(nlev));
    std::iota(s.position.begin(), s.position.end(), 0);
    std::stable_sort(s.position.begin(), s.position.end(), [&](int a, int b) { return levels[a] < levels[b]; });
    for (int p : s.position) s.levels.push_back(levels[p]);
    const double lo = ctx.limits.z_given ? ctx.limits.zmin : s.levels.front();
    const double hi = ctx.limits.z_given ? ctx.limits.zmax : s.levels.back();
    set_colour_scale(ctx, lo, hi, false, false, 0, 0);

    const ColourState& cs = ctx.colour;
    const auto level = [&](int q) { return s.levels[size_t(q - 1)]; };   // 1-based
    // The user colour for the class coloured by level q, if there is one.
    const auto user = [&](int q, int& colour) {
        if (q < 1 || q > count) return;
        const int p = s.position[size_t(q - 1)];
        if (p < count) colour = c.colours[size_t(p)];
    };
    s.colour.assign(size_t(nlev) + 1, 0);
    s.filled.assign(size_t(nlev) + 1, 1);
    for (int k = 0; k <= nlev; ++k) {
        int& colour = s.colour[size_t(k)];
        switch (c.class_colour) {
            case CLASS_LOWE:
                colour = k == 0 ? cs.under : colour_index(ctx, level(k));
                user(k, colour);
                break;
            case CLASS_MIDD:
                colour = k == 0      ? cs.under
                         : k < nlev ? colour_index(ctx, (level(k) + level(k + 1)) / 2)
                                    : colour_index(ctx, level(nlev));
                user(k, colour);
                break;
            default:
                colour = k < nlev ? colour_index(ctx, level(k + 1)) : cs.over;
                user(k + 1, colour);
                break;
        }
    }
    if (outer) {
        if (c.outer == OUTER_UPPE || c.outer == OUTER_NONE) s.filled[0] = 0;
        if (c.outer == OUTER_LOWE || c.outer == OUTER_NONE) s.filled[size_t(nlev)] = 0;
    }
    // Legend entries: level q stands for the class it colours.
    for (int q = 1; q <= nlev; ++q) {
        const int k = c.class_colour == CLASS_UPPE ? q - 1 : q;
        if (!s.filled[size_t(k)]) continue;
        CurveRecord r;
        r.colour = s.colour[size_t(k)];
        r.filled = true;
        r.pattern = 16;
        record_curve(ctx, r);
    }
    return s;
}

ShadeScope::ShadeScope(Context& ctx)
    : ctx_(ctx), colour_(ctx.out.current_colour), pattern_(save_pattern_fields(ctx.colour)) {
    line_flush(ctx);
    select_pattern(ctx, 16);
    const double u = ctx.page.units > 0 ? ctx.page.units : 1.0;
    ctx.colour.hatch_spacing = (traits(ctx.page.device).wide_hatch ? 0.3999 : 0.9999) / u;
}

ShadeScope::~ShadeScope() {
    line_flush(ctx_);
    restore_pattern_fields(ctx_.colour, pattern_);
    if (ctx_.out.current_colour != colour_) set_colour(ctx_, colour_);
}

void fill_piece(Context& ctx, int n, const double* x, const double* y, int colour) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return;
    if (ctx.out.current_colour != colour) set_colour(ctx, colour);
    fill_polygon(ctx, n, x, y);
}

namespace {

// The cells of one grid in the classes of its shading.
class CellShader {
public:
    CellShader(Context& ctx, const float* x, int n, const float* y, int m, const float* z, const ShadeClasses& s)
        : ctx_(ctx), x_(x), y_(y), z_(z), n_(n), m_(m), s_(s) {
        cartesian_ = active_mapping(ctx).kind == MAPPING_CARTESIAN;
        overlap_ = traits(ctx.page.device).rounded ? 0.0 : 0.5;
        if (cartesian_) {
            px_.resize(size_t(n));
            py_.resize(size_t(m));
            for (int i = 0; i < n; ++i) px_[size_t(i)] = user_to_plot(ctx, x[i], y[0]).x;
            for (int j = 0; j < m; ++j) py_[size_t(j)] = user_to_plot(ctx, x[0], y[j]).y;
        }
        cls_.resize(size_t(n) * size_t(m));
        for (size_t k = 0; k < cls_.size(); ++k)
            cls_[k] = std::isfinite(z[k]) ? level_class(s.levels.data(), s.count(), z[k]) : -1;
    }

    // Rows of cells: a run of cells whose lower class is the same (cells of
    // one class, and cells of two neighbouring classes) is one rectangle in
    // that class; the parts of the upper class are filled over it. Cells of
    // more classes are divided into sub-rectangles.
    void run() {
        for (int j = 0; j + 1 < m_; ++j) {
            int i = 0;
            while (i + 1 < n_) {
                const int c = base(i, j);
                if (c == -2) {
                    ++i;   // a corner without a value: left empty
                    continue;
                }
                if (c == -1) {
                    sub_rectangles(i, j);
                    ++i;
                    continue;
                }
                int e = i + 1;
                while (cartesian_ && e + 1 < n_ && base(e, j) == c) ++e;
                if (s_.filled[size_t(c)]) whole(i, e, j, c);
                for (int q = i; q < e; ++q)
                    if (!uniform(q, j) && s_.filled[size_t(c) + 1]) cut_cell(q, j, c + 1);
                i = e;
            }
        }
    }

private:
    int cls(int i, int j) const { return cls_[size_t(i) * size_t(m_) + size_t(j)]; }
    double zv(int i, int j) const { return z_[size_t(i) * size_t(m_) + size_t(j)]; }
    // The lower class of a cell of one or two neighbouring classes, -1 for
    // cells of more classes, -2 for cells with a corner that is no number.
    int base(int i, int j) const {
        const int a = cls(i, j), b = cls(i + 1, j), c = cls(i, j + 1), d = cls(i + 1, j + 1);
        if (a < 0 || b < 0 || c < 0 || d < 0) return -2;
        const int lo = std::min(std::min(a, b), std::min(c, d)), hi = std::max(std::max(a, b), std::max(c, d));
        return hi - lo <= 1 ? lo : -1;
    }
    bool uniform(int i, int j) const {
        const int a = cls(i, j);
        return a == cls(i + 1, j) && a == cls(i, j + 1) && a == cls(i + 1, j + 1);
    }

    // The rectangle from the corner (x0, y0) to (x1, y1) in plot units,
    // ending one unit before the next one starts (rectangles include both
    // corners). Where the device keeps fractional coordinates it reaches
    // half a unit on beyond (x1, y1), under the runs and rows drawn later,
    // so that smoothing viewers show no seam between them.
    // The grid's last run and row end where the grid does.
    void rect(double x0, double y0, double x1, double y1, int colour, bool last_x = false, bool last_y = false) {
        const auto span = [](double a, double b, double ov, double& lo, double& hi) {
            if (a <= b) {
                lo = a;
                hi = std::max(a, b - 1 + ov);
            } else {
                lo = b - ov;
                hi = std::max(lo, a - 1);
            }
        };
        double xa, xb, ya, yb;
        span(x0, x1, last_x ? 0 : overlap_, xa, xb);
        span(y0, y1, last_y ? 0 : overlap_, ya, yb);
        fill_rect(ctx_, xa, ya, xb, yb, colour);
    }

    // The user-coordinate quadrilateral (u0, v0)-(u1, v1) mapped corner by
    // corner, or through the mapping's areas (a map: edges follow the
    // projection, cut at its seams and clipped to the map).
    void quad(double u0, double v0, double u1, double v1, int colour) {
        const double us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
        if (mapped_area(4, us, vs, colour)) return;
        double px[4], py[4];
        for (int k = 0; k < 4; ++k) {
            const PlotPoint p = user_to_plot(ctx_, us[k], vs[k]);
            px[k] = p.x;
            py[k] = p.y;
        }
        fill_piece(ctx_, 4, px, py, colour);
    }

    bool mapped_area(int n, const double* u, const double* v, int colour) {
        const AxisMapping& mapping = active_mapping(ctx_);
        if (!mapping.area) return false;
        if (ctx_.out.current_colour != colour) set_colour(ctx_, colour);
        mapping.area(ctx_, n, u, v);
        return true;
    }

    // Cells i..e-1 of row j, all of class c.
    void whole(int i, int e, int j, int c) {
        const int colour = s_.colour[size_t(c)];
        if (cartesian_)
            rect(px_[size_t(i)], py_[size_t(j)], px_[size_t(e)], py_[size_t(j + 1)], colour, e == n_ - 1,
                 j + 2 == m_);
        else
            quad(x_[i], y_[j], x_[e], y_[j + 1], colour);
    }

    // The part of class `upper` of a cell of two classes: four triangles
    // round its centre, each cut at the level between them (the cuts the
    // tracer follows).
    void cut_cell(int i, int j, int upper) {
        const double cx[4] = {x_[i], x_[i + 1], x_[i + 1], x_[i]}, cy[4] = {y_[j], y_[j], y_[j + 1], y_[j + 1]};
        const double cz[4] = {zv(i, j), zv(i + 1, j), zv(i + 1, j + 1), zv(i, j + 1)};
        const double mx = (cx[0] + cx[1]) / 2, my = (cy[0] + cy[2]) / 2, mz = (cz[0] + cz[1] + cz[2] + cz[3]) / 4;
        for (int k = 0; k < 4; ++k) {
            const int l = (k + 1) % 4;
            const double tx[3] = {cx[k], cx[l], mx}, ty[3] = {cy[k], cy[l], my}, tz[3] = {cz[k], cz[l], mz};
            cut_triangle(tx, ty, tz, s_.levels.data(), s_.count(), [&](int cls, int np, const double* ux, const double* uy) {
                if (cls != upper || mapped_area(np, ux, uy, s_.colour[size_t(cls)])) return;
                double px[8], py[8];
                for (int q = 0; q < np; ++q) {
                    const PlotPoint p = user_to_plot(ctx_, ux[q], uy[q]);
                    px[q] = p.x;
                    py[q] = p.y;
                }
                fill_piece(ctx_, np, px, py, s_.colour[size_t(cls)]);
            });
        }
    }

    // A cell of more than two classes: sub-rectangles about 5 plot units
    // wide, each in the class of the bilinear value at its centre.
    void sub_rectangles(int i, int j) {
        const PlotPoint a = user_to_plot(ctx_, x_[i], y_[j]), b = user_to_plot(ctx_, x_[i + 1], y_[j + 1]);
        const int nx = std::max(1, static_cast<int>(std::min(1e4, std::fabs(b.x - a.x) / 5)));
        const int ny = std::max(1, static_cast<int>(std::min(1e4, std::fabs(b.y - a.y) / 5)));
        const double z00 = zv(i, j), z10 = zv(i + 1, j), z01 = zv(i, j + 1), z11 = zv(i + 1, j + 1);
        for (int q = 0; q < ny; ++q) {
            for (int p = 0; p < nx; ++p) {
                const double s = (p + 0.5) / nx, t = (q + 0.5) / ny;
                const double v = (1 - s) * (1 - t) * z00 + s * (1 - t) * z10 + (1 - s) * t * z01 + s * t * z11;
                const int c = level_class(s_.levels.data(), s_.count(), v);
                if (!s_.filled[size_t(c)]) continue;
                const int colour = s_.colour[size_t(c)];
                if (cartesian_) {
                    rect(a.x + (b.x - a.x) * p / nx, a.y + (b.y - a.y) * q / ny, a.x + (b.x - a.x) * (p + 1) / nx,
                         a.y + (b.y - a.y) * (q + 1) / ny, colour);
                } else {
                    const double u0 = x_[i] + (double(x_[i + 1]) - x_[i]) * p / nx;
                    const double u1 = x_[i] + (double(x_[i + 1]) - x_[i]) * (p + 1) / nx;
                    const double v0 = y_[j] + (double(y_[j + 1]) - y_[j]) * q / ny;
                    const double v1 = y_[j] + (double(y_[j + 1]) - y_[j]) * (q + 1) / ny;
                    quad(u0, v0, u1, v1, colour);
                }
            }
        }
    }

    Context& ctx_;
    const float *x_, *y_, *z_;
    int n_, m_;
    const ShadeClasses& s_;
    bool cartesian_ = true;
    double overlap_ = 0;
    std::vector<double> px_, py_;
    std::vector<int> cls_;
};

// POLY mode: each level's closed lines filled in its colour, in the given
// order of the levels.
class PolySink : public TraceSink {
public:
    PolySink(Context& ctx, int colour) : ctx_(ctx), colour_(colour), linear_(linear_map(ctx, map_)) {}
    void begin_line() override {
        xs_.clear();
        ys_.clear();
    }
    void point(double x, double y) override {
        const PlotPoint p = linear_ ? map_(x, y) : user_to_plot(ctx_, x, y);
        xs_.push_back(p.x);
        ys_.push_back(p.y);
    }
    void end_line() override {
        const size_t n = xs_.size();
        if (n > 2 && std::fabs(xs_[0] - xs_[n - 1]) <= 1 && std::fabs(ys_[0] - ys_[n - 1]) <= 1)
            fill_piece(ctx_, int(n), xs_.data(), ys_.data(), colour_);
    }

private:
    Context& ctx_;
    int colour_;
    LinearMap map_;
    bool linear_;
    std::vector<double> xs_, ys_;
};

}  // namespace

void conshd(Context& ctx, const float* x, int n, const float* y, int m, const float* z, const float* zlev,
            int nlev) {
    if (nlev < 1) {
        warn_int(ctx, 2, nlev);
        return;
    }
    if (!grid_ok(ctx, x, n, y, m, zlev, nlev)) return;
    if (graf3d_open(ctx)) {  // a 3-D box has no plane to fill in
        warn(ctx, 35);
        return;
    }
    try {
        const bool cell = ctx.contour.shade_mode == SHADE_CELL;
        const ShadeClasses s = shade_classes(ctx, zlev, nlev, cell);
        ShadeScope scope(ctx);
        if (cell) {
            CellShader shader(ctx, x, n, y, m, z, s);
            shader.run();
            return;
        }
        const int count = int(ctx.contour.colours.size());
        for (int k = 0; k < nlev; ++k) {
            int colour = colour_index(ctx, zlev[k]);
            if (k < count) {
                const int p = s.position[size_t(k)];
                if (p < count) colour = ctx.contour.colours[size_t(p)];
            }
            PolySink sink(ctx, colour);
            if (!trace_grid(x, n, y, m, z, zlev[k], sink)) throw std::bad_alloc();
        }
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

}  // namespace kal
