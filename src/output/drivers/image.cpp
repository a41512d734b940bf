#include "output/drivers/image.h"

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "core/devices.h"
#include "core/fatal.h"
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

void ImageDriver::push_palette(Context& ctx) {
    if (!ctx.out.raster) return;
    load_table_palette(ctx, *ctx.out.raster);
    // Re-resolve the current colour against the new palette.
    ctx.out.raster->set_colour(ctx.out.current_colour);
}

}  // namespace kal
