// Repeated figures on the raster (plot symbols by the thousand): each is
// centred on the pixel nearest to its centre, so that figures alike set the
// same pixels around their centre pixel. The first one is drawn the usual
// way into a scratch raster; the pixels it set are kept as a stamp and set
// again, moved by whole pixels, for the others.
#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/drivers/image.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/shields.h"

namespace kal {
namespace {

constexpr size_t MAX_STAMPS = 64;

bool same_key(const FigureKey& a, const FigureKey& b) {
    return a.shape == b.shape && a.size == b.size && a.angle == b.angle;
}

// Lines and fills the way fill_polygon and polyline draw them natively.
bool native_lines(const Context& ctx) {
    const LineState& l = ctx.line;
    return !lines_transformed(l) && !l.circle_clip && l.width == 1 && l.offset == 0 && !shields_exist(ctx.shields);
}

}  // namespace

const ImageDriver::Stamp* ImageDriver::find_stamp(const Context& ctx, const FigureKey& key) const {
    const double spacing = ctx.colour.hatch_spacing, factor = ctx.out.factor;
    for (const Stamp& s : stamps_)
        if (same_key(s.key, key) && s.spacing == spacing && s.factor == factor) return &s;
    return nullptr;
}

const ImageDriver::Stamp* ImageDriver::make_stamp(Context& ctx, const FigureKey& key, int cx, int cy, int reach,
                                                  double x, double y, const FigureDraw& draw) {
    const Raster& real = *ctx.out.raster;
    if (!scratch_ || scratch_->width() != real.width() || scratch_->height() != real.height()) {
        scratch_ = std::make_unique<Raster>();
        if (!scratch_->create(real.width(), real.height(), false, false)) {
            scratch_.reset();
            return nullptr;
        }
    }
    if (stamps_.size() == MAX_STAMPS) stamps_.clear();
    line_flush(ctx);  // nothing pending may land in the scratch raster
    end_stroke(ctx);
    scratch_->set_index(1);
    const long long vectors = ctx.out.vectors;
    std::swap(ctx.out.raster, scratch_);
    draw(x, y);
    end_stroke(ctx);  // nor stay behind from it
    std::swap(ctx.out.raster, scratch_);
    Stamp s{key, ctx.colour.hatch_spacing, ctx.out.factor, ctx.out.vectors - vectors, {}, {}};
    ctx.out.vectors = vectors;  // counted when the stamp is set
    for (int py = cy - reach; py <= cy + reach; ++py)
        for (int px = cx - reach; px <= cx + reach; ++px) {
            if (scratch_->pixel_index(px, py) == 0) continue;
            s.dx.push_back(px - cx);
            s.dy.push_back(py - cy);
            scratch_->put_index(px, py, 0);
        }
    stamps_.push_back(std::move(s));
    return &stamps_.back();
}

bool ImageDriver::repeated_figure(Context& ctx, const FigureKey& key, double x, double y, const FigureDraw& draw) {
    if (large_) return false;  // smoothed figures are drawn where they are
    Raster* r = ctx.out.raster.get();
    const DeviceMap& map = current_map(ctx);
    if (!r || map.rule != PointRule::Pixels || map.r1 || !map.rounded || !(map.f > 0)) return false;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    const DevicePoint d = map(x + ox, y + oy);
    if (!(std::fabs(d.x) < 1e6 && std::fabs(d.y) < 1e6)) return false;
    const int cx = static_cast<int>(d.x), cy = static_cast<int>(d.y);
    // The page point of that pixel: every figure is drawn there.
    const double sx = cx / map.f - ox, sy = cy / map.f - oy;
    // A figure reaches at most its size from its centre (outlines and
    // rounding: two pixels more). Near the window's or the raster's edge it
    // is cut, and drawn as it is.
    const double reach_units = std::fabs(key.size) + 2 / map.f;
    const int reach = static_cast<int>(std::ceil(reach_units * map.f));
    const int* w = ctx.out.clip;
    const bool whole = reach < 200 && cx - reach >= 0 && cy - reach >= 0 && cx + reach < r->width() &&
                       cy + reach < r->height() && sx + ox - reach_units >= w[0] &&
                       sx + ox + reach_units <= w[2] && sy + oy - reach_units >= w[1] &&
                       sy + oy + reach_units <= w[3];
    if (!whole || !native_lines(ctx)) {
        draw(sx, sy);
        return true;
    }
    const Stamp* s = find_stamp(ctx, key);
    if (!s) s = make_stamp(ctx, key, cx, cy, reach, sx, sy, draw);
    if (!s) {
        draw(sx, sy);
        return true;
    }
    for (size_t i = 0; i < s->dx.size(); ++i) r->plot(cx + s->dx[i], cy + s->dy[i]);
    ctx.out.vectors += s->vectors;
    ctx.out.pen_valid = false;
    return true;
}

}  // namespace kal
