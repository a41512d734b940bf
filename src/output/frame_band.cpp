#include "output/frame_band.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"

namespace kal {

double frame_reach(const Context& ctx) { return std::max(1, std::abs(ctx.line.width)) / 2.0; }

bool band_polygon(const FrameOutline& outline, double outer, double inner, std::vector<double>& x,
                  std::vector<double>& y) {
    x.clear();
    y.clear();
    if (!outline(outer, x, y) || x.empty()) return false;
    x.push_back(x[0]);
    y.push_back(y[0]);
    std::vector<double> ix, iy;
    if (!outline(inner, ix, iy) || ix.empty()) return true;
    x.push_back(ix[0]);
    y.push_back(iy[0]);
    for (size_t i = ix.size(); i-- > 1;) {
        x.push_back(ix[i]);
        y.push_back(iy[i]);
    }
    x.push_back(ix[0]);
    y.push_back(iy[0]);
    return true;
}

ThinLines::ThinLines(Context& ctx) : ctx_(ctx), width_(ctx.line.width) {
    line_flush(ctx);
    native_ = width_ < -1 && ctx.out.driver && ctx.out.driver->line_width(ctx, 1);
    if (width_ > 1 || native_) ctx.line.width = native_ ? -1 : 1;
}

ThinLines::~ThinLines() {
    line_flush(ctx_);
    if (native_) ctx_.out.driver->line_width(ctx_, -width_);
    ctx_.line.width = width_;
}

void fill_band(Context& ctx, const std::vector<double>& x, const std::vector<double>& y) {
    if (x.size() < 3) return;
    // The fill follows the page transformation and projection itself, as the
    // frame's lines would have.
    const ThinLines thin(ctx);
    solid_fill_polygon(ctx, static_cast<int>(x.size()), x.data(), y.data());
}

}  // namespace kal
