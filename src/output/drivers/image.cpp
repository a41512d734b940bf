#include "output/drivers/image.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "core/devices.h"
#include "core/fatal.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"

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

}  // namespace

void ImageDriver::open(Context& ctx) {
    // PPM is always true colour (open_device has set 24 bits); the others
    // when RGB images were asked for with imgfmt.
    if (ctx.image.format == IMAGE_RGB) ctx.out.colour_depth = 24;
    ctx.image.active = false;
    ctx.image.own_raster = false;
    ctx.out.raster = new_raster(ctx, ctx.page.win_w, ctx.page.win_h, ctx.out.colour_depth > 8);
    if (!ctx.out.raster) {
        warn(ctx, 53);
        throw Fatal("Not enough memory in kalini!");
    }
    cx_ = cy_ = 0;
}

void ImageDriver::erase(Context& ctx) {
    if (ctx.out.raster) ctx.out.raster->clear();
}

int ImageDriver::close(Context& ctx) {
    int result = device_ == DEV_VIRT ? 0 : 1;
    if (device_ != DEV_VIRT && ctx.out.file && ctx.out.raster) {
        const Raster& r = *ctx.out.raster;
        OutputSink sink(ctx.out.file);
        report_write(ctx, write_image(sink, file_kind(device_), file_region(ctx, r), write_options(ctx)));
    }
    release_raster(ctx);
    return result;
}

void ImageDriver::move_draw(Context& ctx, double x, double y, int pen) {
    const int px = pixel(x), py = pixel(y);
    if (pen == 2 && ctx.out.raster) ctx.out.raster->line(cx_, cy_, px, py);
    cx_ = px;
    cy_ = py;
}

void ImageDriver::polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    int i = 0;
    if (n > 0 && first_pen != 2) {
        cx_ = pixel(x[0]);
        cy_ = pixel(y[0]);
        i = 1;
    }
    constexpr int CHUNK = 256;
    int px[CHUNK], py[CHUNK];
    while (i < n) {
        const int m = std::min(CHUNK, n - i);
        for (int k = 0; k < m; ++k) {
            px[k] = pixel(x[i + k]);
            py[k] = pixel(y[i + k]);
        }
        if (ctx.out.raster) ctx.out.raster->polyline(cx_, cy_, m, px, py);
        cx_ = px[m - 1];
        cy_ = py[m - 1];
        i += m;
    }
}

void ImageDriver::colour(Context& ctx, int value) {
    if (ctx.out.raster) ctx.out.raster->set_colour(value);
}

bool ImageDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    if (!ctx.out.raster) return true;
    Raster& r = *ctx.out.raster;
    const DevicePoint a = device_point(ctx, x1, y1), b = device_point(ctx, x2, y2);
    const Raster::Pen previous = r.pen();
    r.set_colour(value);
    r.fill_rect(pixel(a.x), pixel(a.y), pixel(b.x), pixel(b.y));
    r.set_pen(previous);
    return true;
}

bool ImageDriver::fill_triangle(Context& ctx, const double* x, const double* y, int value) {
    if (!ctx.out.raster) return true;
    int px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        const DevicePoint d = device_point(ctx, x[i], y[i]);
        px[i] = pixel(d.x);
        py[i] = pixel(d.y);
    }
    ctx.out.raster->set_colour(value);
    ctx.out.raster->fill_triangle(px, py);
    return true;
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
    if (!ctx.out.raster) return true;
    const LineState& l = ctx.line;
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
    for (size_t k = 0; k + 3 < spans_.size(); k += 4) r.line(spans_[k], spans_[k + 1], spans_[k + 2], spans_[k + 3]);
    return true;
}

void ImageDriver::push_palette(Context& ctx) {
    if (!ctx.out.raster) return;
    load_table_palette(ctx, *ctx.out.raster);
    // Re-resolve the current colour against the new palette.
    ctx.out.raster->set_colour(ctx.out.current_colour);
}

}  // namespace kal
