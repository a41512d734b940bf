#include "output/drivers/image.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/context.h"
#include "core/devices.h"
#include "core/fatal.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"
#include "output/raster/scale.h"

namespace kal {
namespace {

// A device coordinate (already rounded by device_point) as a pixel number.
int pixel(double v) {
    if (!(v == v)) return 0;  // NaN
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

FileKind file_kind(int device) {
    switch (device) {
        case DEV_TIFF: return FileKind::Tiff;
        case DEV_IMAG: return FileKind::Imag;
        case DEV_PPM: return FileKind::Ppm;
        case DEV_BMP: return FileKind::Bmp;
        case DEV_GIF: return FileKind::Gif;
        default: return FileKind::Png;
    }
}

// A line of one segment no longer than a pixel each way, as a dot: its end
// further left (the upper one in a column), whichever way it was drawn.
void plot_dot(Raster& r, const int* xy) {
    const bool first = xy[0] < xy[2] || (xy[0] == xy[2] && xy[1] <= xy[3]);
    r.plot(first ? xy[0] : xy[2], first ? xy[1] : xy[3]);
}

}  // namespace

// The largest aamode canvas: 4 x 4 pixels for each pixel of the page, fewer
// where that would pass this size.
constexpr double MAX_CANVAS_BYTES = 256.0 * 1024 * 1024;

void ImageDriver::open(Context& ctx) {
    // PPM is always true colour (open_device has set 24 bits); the others
    // when RGB images were asked for with imgfmt.
    if (ctx.image.format == IMAGE_RGB) ctx.out.colour_depth = 24;
    ctx.image.active = false;
    ctx.image.own_raster = false;
    const int w = ctx.page.win_w, h = ctx.page.win_h;
    scale_ = 1;
    shift_ = 0;
    join_ = cap_ = 2;
    large_.reset();
    large_drawn_ = false;
    page_ahead_ = false;
    sx_.clear();
    sy_.clear();
    if (ctx.image.antialias) {
        // Shades need true colour (files of indices get a palette of the
        // picture's own colours when they are written).
        int n = 4;
        while (n > 1 && double(w) * n * double(h) * n * 3 > MAX_CANVAS_BYTES) --n;
        if (n > 1 && double(w) * n <= Raster::MAX_SIDE && double(h) * n <= Raster::MAX_SIDE)
            large_ = new_raster(ctx, w * n, h * n, true);
        if (large_) {
            // The device points grow with the factor; a page pixel's block
            // of n x n canvas pixels is centred on its point.
            scale_ = n;
            shift_ = n / 2;
            ctx.out.factor *= n;
            ctx.out.colour_depth = 24;
        }
    }
    ctx.out.raster = new_raster(ctx, w, h, ctx.out.colour_depth > 8);
    if (!ctx.out.raster) {
        warn(ctx, 53);
        throw Fatal("Not enough memory in kalini!");
    }
    ctx.image.pixel_scale = scale_;
    cx_ = cy_ = 0;
}

Raster* ImageDriver::canvas(Context& ctx) {
    if (large_) {
        // Pixels written to the page since it was reduced go into the canvas
        // before anything is drawn over them.
        if (page_ahead_ && ctx.out.raster) box_enlarge(*ctx.out.raster, scale_, *large_);
        page_ahead_ = false;
        large_drawn_ = true;
        return large_.get();
    }
    return ctx.out.raster.get();
}

Raster* ImageDriver::drawing_raster(Context& ctx, int& shift) {
    end_stroke(ctx);
    shift = shift_;
    return canvas(ctx);
}

void ImageDriver::erase(Context& ctx) {
    sx_.clear();
    sy_.clear();
    if (ctx.out.raster) ctx.out.raster->clear();
    if (large_) large_->clear();
    large_drawn_ = false;
    page_ahead_ = false;
    std::fill(ctx.out.depth.depth.begin(), ctx.out.depth.depth.end(), std::numeric_limits<float>::infinity());
}

int ImageDriver::close(Context& ctx) {
    sync_raster(ctx);
    int result = device_ == DEV_VIRT ? 0 : 1;
    if (device_ != DEV_VIRT && ctx.out.file && ctx.out.raster) {
        const Raster& r = *ctx.out.raster;
        OutputSink sink(ctx.out.file);
        report_write(ctx, write_image(sink, file_kind(device_), file_region(ctx, r), write_options(ctx)));
    }
    keep_finished_page(ctx);
    release_raster(ctx);
    large_.reset();
    ctx.image.pixel_scale = 1;
    return result;
}

void ImageDriver::sync_raster(Context& ctx) {
    end_stroke(ctx);
    if (large_ && large_drawn_ && ctx.out.raster) box_reduce(*large_, scale_, *ctx.out.raster);
    large_drawn_ = false;
    page_ahead_ = large_ != nullptr;  // the caller may write pixels into the page now
}

Raster* ImageDriver::picture(Context& ctx, bool complete) {
    if (complete) end_stroke(ctx);
    if (large_ && large_drawn_ && ctx.out.raster && !page_ahead_) {
        box_reduce(*large_, scale_, *ctx.out.raster);
        large_drawn_ = false;
    }
    return ctx.out.raster.get();
}

void ImageDriver::raster_written(Context& ctx) {
    if (large_ && ctx.out.raster) box_enlarge(*ctx.out.raster, scale_, *large_);
    large_drawn_ = false;
    page_ahead_ = false;
}

double ImageDriver::stroke_width(const Context& ctx) const {
    const double u = ctx.page.units;
    const double units = std::floor(std::abs(ctx.line.width) * u + 0.5) / u;
    const double w = units * ctx.out.factor;
    return large_ ? std::max(w, double(scale_)) : w;
}

bool ImageDriver::stroking(const Context& ctx) const {
    return large_ || (ctx.line.width > 1 && stroke_width(ctx) > 1.0);
}

bool ImageDriver::line_width(Context& ctx, int) {
    end_stroke(ctx);
    return false;
}

bool ImageDriver::pen_width(Context& ctx, double) {
    end_stroke(ctx);
    return false;
}

void ImageDriver::line_join(Context& ctx, int join) {
    end_stroke(ctx);
    join_ = join;
}

void ImageDriver::line_cap(Context& ctx, int cap) {
    end_stroke(ctx);
    cap_ = cap;
}

void ImageDriver::end_short(Context& ctx, bool whole) {
    if (!short_pending_) return;
    short_pending_ = false;
    if (Raster* r = ctx.out.raster.get()) {
        if (whole)
            r->line(short_[0], short_[1], short_[2], short_[3]);
        else
            plot_dot(*r, short_);
    }
}

void ImageDriver::end_stroke(Context& ctx) {
    end_short(ctx, false);
    if (sx_.size() >= 2) {
        if (Raster* r = canvas(ctx)) {
            const StrokeStyle style{stroke_width(ctx), join_, cap_, ctx.line.miter};
            scan_.clear();
            add_stroke(scan_, sx_.data(), sy_.data(), int(sx_.size()), style, stroke_capped_, true);
            scan_.fill(*r, true);
        }
    }
    sx_.clear();
    sy_.clear();
}

void ImageDriver::stroke_to(Context& ctx, int x, int y, int pen) {
    if (pen != 2) {
        end_stroke(ctx);
        stroke_capped_ = true;
        return;
    }
    if (sx_.empty()) {
        sx_.push_back(cx_);
        sy_.push_back(cy_);
    }
    sx_.push_back(x);
    sy_.push_back(y);
    // A long line is filled in pieces; each next piece begins with the last
    // segment of the one before, so that the join there is drawn too.
    constexpr size_t PIECE = 2048;
    if (sx_.size() >= PIECE) {
        const double px = sx_[sx_.size() - 2], py = sy_[sy_.size() - 2];
        end_stroke(ctx);
        sx_ = {px, double(x)};
        sy_ = {py, double(y)};
        stroke_capped_ = false;
    }
}

void ImageDriver::move_draw(Context& ctx, double x, double y, int pen) {
    const int px = pixel(x) + shift_, py = pixel(y) + shift_;
    if (stroking(ctx)) {
        stroke_to(ctx, px, py, pen);
    } else if (pen == 2) {
        end_short(ctx, true);  // the piece goes on: its first segment is a line
        if (after_move_ && std::abs(px - cx_) <= 1 && std::abs(py - cy_) <= 1) {
            short_pending_ = true;
            short_[0] = cx_, short_[1] = cy_, short_[2] = px, short_[3] = py;
        } else if (ctx.out.raster) {
            ctx.out.raster->line(cx_, cy_, px, py);
        }
    } else {
        end_short(ctx, false);
    }
    after_move_ = pen != 2;
    cx_ = px;
    cy_ = py;
}

template <class ToPixels>
void ImageDriver::pixel_polyline(Context& ctx, int n, int first_pen, ToPixels to_pixels) {
    int i = 0;
    if (n > 0 && first_pen != 2) {
        to_pixels(0, 1, &cx_, &cy_);
        i = 1;
    }
    constexpr int CHUNK = 256;
    int px[CHUNK], py[CHUNK];
    while (i < n) {
        const int m = std::min(CHUNK, n - i);
        to_pixels(i, m, px, py);
        if (ctx.out.raster) ctx.out.raster->polyline(cx_, cy_, m, px, py);
        cx_ = px[m - 1];
        cy_ = py[m - 1];
        i += m;
    }
    after_move_ = false;
}

void ImageDriver::polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    if (stroking(ctx) || n <= 2 || short_pending_) {
        for (int i = 0; i < n; ++i) move_draw(ctx, x[i], y[i], i == 0 ? first_pen : 2);
        return;
    }
    pixel_polyline(ctx, n, first_pen, [x, y](int i, int m, int* px, int* py) {
        for (int k = 0; k < m; ++k) {
            px[k] = pixel(x[i + k]);
            py[k] = pixel(y[i + k]);
        }
    });
}

// Points within the window lie on the page: mapped and rounded to pixels
// in one pass (the same pixels as polyline gets from the mapped points).
void ImageDriver::window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                             const DeviceMap& map) {
    if (stroking(ctx) || n <= 2 || short_pending_ || !map.rounded) {
        Driver::window_run(ctx, n, x, y, first_pen, map);
        return;
    }
    pixel_polyline(ctx, n, first_pen, [&map, x, y](int i, int m, int* px, int* py) {
        map.apply_rounded(m, x + i, y + i, px, py);
    });
}

void ImageDriver::colour(Context& ctx, int value) {
    end_stroke(ctx);
    if (ctx.out.raster) ctx.out.raster->set_colour(value);
    if (large_) large_->set_colour(value);
}

bool ImageDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    end_stroke(ctx);
    Raster* canvas_raster = canvas(ctx);
    if (!canvas_raster) return true;
    Raster& r = *canvas_raster;
    const DevicePoint a = device_point(ctx, x1, y1), b = device_point(ctx, x2, y2);
    const Raster::Pen previous = r.pen();
    r.set_colour(value);
    r.fill_rect(pixel(a.x) + shift_, pixel(a.y) + shift_, pixel(b.x) + shift_, pixel(b.y) + shift_);
    r.set_pen(previous);
    return true;
}

bool ImageDriver::fill_triangle(Context& ctx, const double* x, const double* y, int value) {
    end_stroke(ctx);
    Raster* r = canvas(ctx);
    if (!r) return true;
    int px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        const DevicePoint d = device_point(ctx, x[i], y[i]);
        px[i] = pixel(d.x) + shift_;
        py[i] = pixel(d.y) + shift_;
    }
    r->set_colour(value);
    r->fill_triangle(px, py);
    return true;
}

void ImageDriver::scan_polygon(Context& ctx, int n, const double* x, const double* y) {
    DeviceMap map = current_map(ctx);
    map.rounded = false;
    std::vector<double>& px = fx_;
    std::vector<double>& py = fy_;
    px.resize(size_t(n));
    py.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = map(x[i], y[i]);
        px[size_t(i)] = d.x + shift_;
        py[size_t(i)] = d.y + shift_;
    }
    scan_.clear();
    scan_.add_contour(px.data(), py.data(), n, false);
    scan_.fill(*canvas(ctx), false);
}

// The pixels the solid pattern's fill lines would set (one line per scan
// line of the hatch spacing, each ending where the device rounds its end
// points), set straight into the raster. The spans are gathered first so
// that a polygon the scan refuses (warning 26) draws nothing, as before.
// Text ink as PDF and SVG renderers fill it: the pixels whose centres lie
// inside the polygon (even-odd), so that glyphs keep their weight instead
// of gaining the boundary pixels that the fill lines take. A pixel's centre
// is the device point that rounds to it.
void ImageDriver::fill_by_centres(Context& ctx, int n, const double* x, const double* y) {
    DeviceMap map = current_map(ctx);
    map.rounded = false;
    fx_.resize(size_t(n));
    fy_.resize(size_t(n));
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = map(x[i], y[i]);
        if (!std::isfinite(d.x) || !std::isfinite(d.y)) return;
        fx_[size_t(i)] = d.x;
        fy_[size_t(i)] = d.y;
        lo = std::min(lo, d.y);
        hi = std::max(hi, d.y);
    }
    Raster& r = *ctx.out.raster;
    const double first = std::max(std::ceil(lo), -1.0), last = std::min(std::floor(hi), double(r.height()));
    for (double row = first; row <= last; ++row) {
        crossings_.clear();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double y0 = fy_[size_t(j)], y1 = fy_[size_t(i)];
            if ((y0 <= row) == (y1 <= row)) continue;
            const double x0 = fx_[size_t(j)], x1 = fx_[size_t(i)];
            crossings_.push_back(x0 + (row - y0) * (x1 - x0) / (y1 - y0));
        }
        std::sort(crossings_.begin(), crossings_.end());
        for (size_t k = 0; k + 1 < crossings_.size(); k += 2) {
            const double a = std::max(std::ceil(crossings_[k]), -1.0);
            const double b = std::min(std::ceil(crossings_[k + 1]) - 1, double(r.width()));
            if (a <= b) r.line(int(a), int(row), int(b), int(row));
        }
    }
}

bool ImageDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    end_stroke(ctx);
    if (!ctx.out.raster) return true;
    const LineState& l = ctx.line;
    if (large_) {
        // Smoothed: the polygon itself, by the centres of the canvas pixels.
        if (lines_transformed(l) || l.circle_clip || l.offset != 0) return false;
        scan_polygon(ctx, n, x, y);
        return true;
    }
    if (ctx.out.text_fill && !lines_transformed(l) && !l.circle_clip && l.offset == 0) {
        fill_by_centres(ctx, n, x, y);
        return true;
    }
    // Fill lines that the line layer would transform, widen or clip to a
    // circle take the general path.
    if (lines_transformed(l) || l.width != 1 || l.circle_clip || l.offset != 0) return false;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y, d = ctx.colour.hatch_spacing;
    fx_.resize(size_t(n));
    fy_.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        fx_[size_t(i)] = x[i] - ox;
        fy_[size_t(i)] = y[i] - oy;
    }
    double first = 0;
    long long lines = 0;
    if (!scan_lines(fy_.data(), n, d, -1e300, 1e300, first, lines)) return true;
    spans_.clear();
    const DeviceMap& map = current_map(ctx);
    for (long long i = 0; i < lines; ++i) {
        const double ys = (first + double(i)) * d;
        if (!scan_crossings(ctx, fx_.data(), fy_.data(), n, ys, crossings_)) return true;
        for (size_t k = 0; k + 1 < crossings_.size(); k += 2) {
            const DevicePoint a = map(crossings_[k] + ox, ys + oy);
            const DevicePoint b = map(crossings_[k + 1] + ox, ys + oy);
            const int span[4] = {pixel(a.x), pixel(a.y), pixel(b.x), pixel(b.y)};
            // Scan lines finer than the pixels repeat spans: each is set once.
            const size_t m = spans_.size();
            if (m >= 4 && std::equal(span, span + 4, spans_.end() - 4)) continue;
            spans_.insert(spans_.end(), span, span + 4);
        }
    }
    Raster& r = *ctx.out.raster;
    for (size_t k = 0; k + 3 < spans_.size(); k += 4) {
        const int* xy = &spans_[k];
        if (std::abs(xy[2] - xy[0]) <= 1 && std::abs(xy[3] - xy[1]) <= 1)
            plot_dot(r, xy);  // as the line of a lone short span
        else
            r.line(xy[0], xy[1], xy[2], xy[3]);
    }
    return true;
}

void ImageDriver::push_palette(Context& ctx) {
    if (!ctx.out.raster) return;
    end_stroke(ctx);
    for (Raster* r : {ctx.out.raster.get(), large_.get()}) {
        if (!r) continue;
        load_table_palette(ctx, *r);
        // Re-resolve the current colour against the new palette.
        r->set_colour(ctx.out.current_colour);
    }
}

}  // namespace kal
