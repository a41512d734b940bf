#include "plot3d/horizon.h"

#include <algorithm>
#include <new>

#include "core/context.h"
#include "plot3d/view.h"

namespace kal {

bool clip_range(double a, double b, double lo, double hi, double& t0, double& t1) {
    const double d = b - a;
    if (d == 0) return a >= lo && a <= hi && t0 <= t1;
    double s0 = (lo - a) / d, s1 = (hi - a) / d;
    if (s0 > s1) std::swap(s0, s1);
    t0 = std::max(t0, s0);
    t1 = std::min(t1, s1);
    return t0 <= t1;
}

void Horizon::start(int page_width, int page_height) {
    const size_t columns = size_t(std::max(page_width, 0)) + 1;
    height_ = std::max(page_height, 0);
    upper_.assign(columns, -1);
    lower_.assign(columns, height_ + 1);
}

void Horizon::clear() {
    std::vector<int32_t>().swap(upper_);
    std::vector<int32_t>().swap(lower_);
}

void Horizon::widen_columns(double ax, double bx, double t0, double t1, int y) {
    const double x0 = ax + (bx - ax) * t0, x1 = ax + (bx - ax) * t1;
    const long long a = std::llround(std::min(x0, x1)), b = std::llround(std::max(x0, x1));
    const long long last = (long long)upper_.size() - 1;
    for (long long x = std::max(a, 0LL); x <= std::min(b, last); ++x) widen(int(x), y);
}

namespace {

// Hands on the visible stretches of each line piece, joined where they meet.
class VisiblePieces final : public ProjectedPieces {
public:
    VisiblePieces(Horizon& h, ProjectedPieces& out) : h_(h), out_(out) {}
    void piece(int n, const double* x, const double* y) override {
        for (int i = 1; i < n; ++i) {
            const double ax = x[i - 1], ay = y[i - 1], bx = x[i], by = y[i];
            // Beside the page everything shows (the window cuts it).
            double t0 = 0, t1 = 1;
            const double w = h_.columns() - 1;
            bool over = clip_range(ax, bx, -0.5, w + 0.5, t0, t1);
            if (!over) {
                add(ax, ay, bx, by);
                continue;
            }
            if (t0 > 0) add(ax, ay, ax + (bx - ax) * t0, ay + (by - ay) * t0);
            const double px = ax + (bx - ax) * t0, py = ay + (by - ay) * t0;
            const double qx = ax + (bx - ax) * t1, qy = ay + (by - ay) * t1;
            h_.segment(px, py, qx, qy, false, [&](double s0, double s1, int side) {
                if (side == SIDE_HIDDEN) {
                    end();
                    return;
                }
                add(px + (qx - px) * s0, py + (qy - py) * s0, px + (qx - px) * s1, py + (qy - py) * s1);
            });
            if (t1 < 1) add(qx, qy, bx, by);
        }
        end();
    }
    void end() {
        if (x_.size() >= 2) out_.piece(int(x_.size()), x_.data(), y_.data());
        x_.clear();
        y_.clear();
    }

private:
    void add(double ax, double ay, double bx, double by) {
        if (x_.empty() || x_.back() != ax || y_.back() != ay) {
            end();
            x_.push_back(ax);
            y_.push_back(ay);
        }
        x_.push_back(bx);
        y_.push_back(by);
    }
    Horizon& h_;
    ProjectedPieces& out_;
    std::vector<double> x_, y_;
};

}  // namespace

void HorizonFilter::project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) {
    // Passive outside the 3-D axis system it was kept in.
    if (!active || !ctx || !graf3d_open(*ctx) || closed) {
        if (inner)
            inner->project(n, x, y, closed, out);
        else
            out.piece(n, x, y);
        return;
    }
    VisiblePieces visible(horizon, out);
    if (inner)
        inner->project(n, x, y, closed, visible);
    else
        visible.piece(n, x, y);
}

void keep_horizon(Context& ctx, Horizon&& h, bool active) {
    Horizon held = std::move(h);  // h may be the kept one itself
    drop_kept_horizon(ctx);
    HorizonFilter& f = ctx.surface.options.kept;
    f.horizon = std::move(held);
    f.ctx = &ctx;
    if (!active) return;
    line_flush(ctx);
    f.inner = ctx.line.projection;
    f.active = true;
    ctx.line.projection = &f;
}

void drop_kept_horizon(Context& ctx) {
    HorizonFilter& f = ctx.surface.options.kept;
    if (ctx.line.projection == &f) {
        line_flush(ctx);
        ctx.line.projection = f.inner;
    }
    f.active = false;
    f.inner = nullptr;
    f.horizon.clear();
}

}  // namespace kal
