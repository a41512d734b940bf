#include "plot3d/segment3d.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/line_layer.h"

namespace kal {
namespace {

double side(const ClipPlanes::Plane& p, const Vec3& v) { return p.n.x * v.x + p.n.y * v.y + p.n.z * v.z + p.c; }

Vec3 lerp(const Vec3& a, const Vec3& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

ClipPlanes clip_planes(const Context& ctx, Clip3d mode) {
    const View3dState& s = ctx.view3d;
    const ViewMatrix& m = s.view_matrix;
    ClipPlanes p;
    const Vec3& a = m.ahead;
    const double eye_depth = a.x * m.eye.x + a.y * m.eye.y + a.z * m.eye.z;
    // Front plane: depth >= front.
    p.plane[p.count++] = {a, -eye_depth - m.front};
    if (mode == CLIP3D_SETTING && s.clip == CLIP3D_WORL) {
        // The box faces, a hair wide so that lines on a face stay.
        const double e = 1e-9 * std::max({s.xl, s.yl, s.zl});
        p.plane[p.count++] = {{1, 0, 0}, s.xl / 2 + e};
        p.plane[p.count++] = {{-1, 0, 0}, s.xl / 2 + e};
        p.plane[p.count++] = {{0, 1, 0}, s.yl / 2 + e};
        p.plane[p.count++] = {{0, -1, 0}, s.yl / 2 + e};
        p.plane[p.count++] = {{0, 0, 1}, s.zl / 2 + e};
        p.plane[p.count++] = {{0, 0, -1}, s.zl / 2 + e};
    } else if (mode == CLIP3D_SETTING && m.back > 0) {
        p.plane[p.count++] = {{-a.x, -a.y, -a.z}, eye_depth + m.back};
    }
    return p;
}

bool clip_segment3d(const ClipPlanes& planes, Vec3& a, Vec3& b) {
    if (!finite(a) || !finite(b)) return false;
    double t0 = 0, t1 = 1;
    for (int i = 0; i < planes.count; ++i) {
        const double da = side(planes.plane[i], a), db = side(planes.plane[i], b);
        if (da < 0 && db < 0) return false;
        if (da >= 0 && db >= 0) continue;
        const double t = da / (da - db);
        if (da < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const Vec3 a0 = a, b0 = b;
    if (t0 > 0) a = lerp(a0, b0, t0);
    if (t1 < 1) b = lerp(a0, b0, t1);
    return true;
}

void clip_polygon3d(const ClipPlanes& planes, std::vector<Vec3>& poly) {
    for (const Vec3& v : poly)
        if (!finite(v)) {
            poly.clear();
            return;
        }
    std::vector<Vec3> out;
    for (int i = 0; i < planes.count && !poly.empty(); ++i) {
        const ClipPlanes::Plane& p = planes.plane[i];
        out.clear();
        const size_t n = poly.size();
        for (size_t k = 0; k < n; ++k) {
            const Vec3 &a = poly[k], &b = poly[(k + 1) % n];
            const double da = side(p, a), db = side(p, b);
            if (da >= 0) out.push_back(a);
            if ((da >= 0) != (db >= 0)) out.push_back(lerp(a, b, da / (da - db)));
        }
        poly.swap(out);
    }
}

Path3d::Path3d(Context& ctx, Clip3d mode) : ctx_(ctx), planes_(clip_planes(ctx, mode)) {}

void Path3d::move(const Vec3& p) {
    end_run();
    last_ = p;
    started_ = true;
    joined_ = false;
}

void Path3d::draw(const Vec3& p) {
    if (!started_) {
        move(p);
        return;
    }
    Vec3 a = last_, b = p;
    const bool visible = clip_segment3d(planes_, a, b);
    const bool whole_end = visible && b.x == p.x && b.y == p.y && b.z == p.z;
    if (visible) {
        const ViewMatrix& m = ctx_.view3d.view_matrix;
        const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
        const bool whole_start = a.x == last_.x && a.y == last_.y && a.z == last_.z;
        if (!(joined_ && whole_start) || run_x_.empty()) {
            end_run();
            const PlotPoint q = abs_to_plot(m, a);
            run_x_.push_back(q.x + ox);
            run_y_.push_back(q.y + oy);
        }
        const PlotPoint q = abs_to_plot(m, b);
        run_x_.push_back(q.x + ox);
        run_y_.push_back(q.y + oy);
        if (run_x_.size() >= 4096) {
            // Long runs go on in pieces that share their end points.
            end_run();
            run_x_.push_back(q.x + ox);
            run_y_.push_back(q.y + oy);
        }
    }
    joined_ = whole_end;
    last_ = p;
}

void Path3d::end_run() {
    if (run_x_.size() >= 2) line_polyline(ctx_, int(run_x_.size()), run_x_.data(), run_y_.data());
    run_x_.clear();
    run_y_.clear();
}

void Path3d::finish() {
    end_run();
    line_flush(ctx_);
    joined_ = false;
}

void segment3d(Context& ctx, const Vec3& a, const Vec3& b, Clip3d mode) {
    Path3d path(ctx, mode);
    path.move(a);
    path.draw(b);
    path.finish();
}

}  // namespace kal
