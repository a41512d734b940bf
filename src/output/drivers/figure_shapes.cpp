#include "output/drivers/figure_shapes.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "output/drivers/path_thinning.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/shields.h"

namespace kal {
namespace {

// Takes the lines and solid fills of one figure as device points around
// its centre; anything else it is asked to draw spoils the recording.
class Recorder : public Driver {
public:
    explicit Recorder(DevicePoint centre) : centre_(centre) {}

    FigureShape shape;
    bool failed = false;

    void move_draw(Context&, double x, double y, int pen) override { point(x, y, pen); }
    void polyline(Context&, int n, const double* x, const double* y, int first_pen) override {
        for (int i = 0; i < n; ++i) point(x[i], y[i], i == 0 ? first_pen : 2);
    }
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override {
        FigureShape::Part part;
        part.fill = true;
        for (int i = 0; i < n; ++i) {
            const DevicePoint d = device_point(ctx, x[i], y[i]);
            part.x.push_back(d.x - centre_.x);
            part.y.push_back(d.y - centre_.y);
        }
        shape.parts.push_back(std::move(part));
        stroke_ = false;
        return true;
    }

    void new_page(Context&) override { failed = true; }
    void erase(Context&) override { failed = true; }
    void colour(Context&, int) override { failed = true; }
    bool fill_rect(Context&, double, double, double, double, int) override { return spoil(); }
    bool fill_triangle(Context&, const double*, const double*, int) override { return spoil(); }
    bool image(Context&, const Raster&, double, double, double, double) override { return spoil(); }
    void select_font(Context&, int, double) override { failed = true; }
    void character(Context&, int, double, double, double, int, double) override { failed = true; }
    bool line_width(Context&, int) override { return spoil(); }
    bool pen_width(Context&, double) override { return spoil(); }
    void line_join(Context&, int) override { failed = true; }
    void line_cap(Context&, int) override { failed = true; }
    void miter_limit(Context&, double) override { failed = true; }

private:
    bool spoil() {
        failed = true;
        return true;
    }
    void point(double x, double y, int pen) {
        if (pen != 2) {
            shape.parts.emplace_back();
            stroke_ = true;
        } else if (!stroke_) {   // a draw from where the recording cannot know
            failed = true;
            return;
        }
        FigureShape::Part& part = shape.parts.back();
        part.x.push_back(x - centre_.x);
        part.y.push_back(y - centre_.y);
        part.pen.push_back(static_cast<unsigned char>(pen == 2 ? 2 : 3));
    }

    DevicePoint centre_;
    bool stroke_ = false;   // the last part is a stroke that draws go on
};

// The real driver goes back in place however the drawing ends.
class DriverSwap {
public:
    DriverSwap(Context& ctx, std::unique_ptr<Driver> stand_in) : ctx_(ctx) {
        std::swap(ctx.out.driver, stand_in);
        real_ = std::move(stand_in);
    }
    ~DriverSwap() { std::swap(ctx_.out.driver, real_); }
    Driver* stand_in() const { return ctx_.out.driver.get(); }
    DriverSwap(const DriverSwap&) = delete;
    DriverSwap& operator=(const DriverSwap&) = delete;

private:
    Context& ctx_;
    std::unique_ptr<Driver> real_;
};

bool same(const FigureKey& a, const FigureKey& b) {
    return a.shape == b.shape && a.size == b.size && a.angle == b.angle;
}

}  // namespace

bool figure_shapes_wanted() { return !switched_off("KALVOR_FIGURE_SHAPES"); }

bool figures_movable(const Context& ctx) {
    const LineState& l = ctx.line;
    return !lines_transformed(l) && !l.circle_clip && l.width <= 1 && l.offset == 0 && !shields_exist(ctx.shields);
}

FigureShape* FigureShapes::find(Context& ctx, const FigureKey& key, double extra, double x, double y,
                                const FigureDraw& draw, DevicePoint& centre, bool& fresh) {
    fresh = false;
    if (!figures_movable(ctx) || !ctx.out.driver || !std::isfinite(key.size)) return nullptr;
    // A figure reaches at most its size from its centre: wholly inside the
    // window, it is never cut.
    const double px = x + ctx.page.origin_x, py = y + ctx.page.origin_y;
    const double reach = std::fabs(key.size) + 2.0;
    const int* w = ctx.out.clip;
    if (!(px - reach >= w[0] && px + reach <= w[2] && py - reach >= w[1] && py + reach <= w[3])) return nullptr;
    centre = device_point(ctx, px, py);
    if (!(std::fabs(centre.x) < 1e6 && std::fabs(centre.y) < 1e6)) return nullptr;
    const double factor = ctx.out.factor, spacing = ctx.colour.hatch_spacing;
    for (Entry& e : shapes_)
        if (same(e.key, key) && e.extra == extra && e.factor == factor && e.spacing == spacing) return e.shape.get();
    if (shapes_.size() == MOST) return nullptr;

    // Nothing pending may land in the recording, and every stroke of it
    // starts with a move.
    line_flush(ctx);
    ctx.out.pen_valid = false;
    const long long vectors = ctx.out.vectors;
    std::unique_ptr<FigureShape> shape;
    {
        DriverSwap swap(ctx, std::make_unique<Recorder>(centre));
        draw(x, y);
        line_flush(ctx);
        Recorder& r = *static_cast<Recorder*>(swap.stand_in());
        if (!r.failed && !r.shape.parts.empty()) shape = std::make_unique<FigureShape>(std::move(r.shape));
    }
    ctx.out.pen_valid = false;
    if (shape) {
        shape->vectors = ctx.out.vectors - vectors;
        bool first = true;
        for (const FigureShape::Part& part : shape->parts)
            for (size_t i = 0; i < part.x.size(); ++i) {
                shape->xmin = first ? part.x[i] : std::min(shape->xmin, part.x[i]);
                shape->xmax = first ? part.x[i] : std::max(shape->xmax, part.x[i]);
                shape->ymin = first ? part.y[i] : std::min(shape->ymin, part.y[i]);
                shape->ymax = first ? part.y[i] : std::max(shape->ymax, part.y[i]);
                first = false;
            }
    }
    ctx.out.vectors = vectors;   // counted as the figure is placed (or drawn)
    shapes_.push_back({key, extra, factor, spacing, std::move(shape)});
    fresh = shapes_.back().shape != nullptr;
    return shapes_.back().shape.get();
}

}  // namespace kal
