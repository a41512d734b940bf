// Saving the raster as an image file (rtiff, rpng, rppm, rbmp, rgif,
// rimage), as a PNG in memory (rbfpng), and drawing raster and TIFF files
// into it (wimage, wtiff).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "api/routines_raster_images_and_pixels.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/files.h"
#include "output/colour_table.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/driver.h"
#include "output/raster/image_readers.h"
#include "output/raster/pixel_access.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"

namespace kal {
namespace {

// The raster of a screen or raster device, or nullptr after warning 40.
// Lines drawn so far are in it: the pending polyline is written first.
Raster* device_raster(Context& ctx) {
    line_flush(ctx);
    if (!traits(ctx.page.device).own_raster || !ctx.out.raster) {
        warn(ctx, 40);
        return nullptr;
    }
    if (ctx.out.driver) ctx.out.driver->sync_raster(ctx);
    return ctx.out.raster.get();
}

void save(Context& ctx, FileKind kind, const char* name) {
    const Raster* r = device_raster(ctx);
    if (!r) return;
    std::string path;
    FILE* fp = create_file(ctx, name, "wb", path);
    if (!fp) {
        warn(ctx, 36);
        return;
    }
    OutputSink sink(fp);
    int result = write_image(sink, kind, file_region(ctx, *r), write_options(ctx));
    if (std::fclose(fp) != 0 && result == WRITE_OK) result = WRITE_IO;
    report_write(ctx, result);
}

// Reads a file for wimage and wtiff; false after warning 36 or 51.
bool load(Context& ctx, const char* name, std::vector<uint8_t>& bytes) {
    const int result = read_file(name, bytes);
    if (result != 0) warn(ctx, result);
    return result == 0;
}

}  // namespace

void rtiff(Context& ctx, const char* file) { save(ctx, FileKind::Tiff, file); }
void rpng(Context& ctx, const char* file) { save(ctx, FileKind::Png, file); }
void rppm(Context& ctx, const char* file) { save(ctx, FileKind::Ppm, file); }
void rbmp(Context& ctx, const char* file) { save(ctx, FileKind::Bmp, file); }
void rgif(Context& ctx, const char* file) { save(ctx, FileKind::Gif, file); }
void rimage(Context& ctx, const char* file) { save(ctx, FileKind::Imag, file); }

// A PNG of the raster in the caller's buffer. Size 0 (or no buffer) asks
// for the length the PNG needs. Outside image mode the call runs imgini and
// imgfin itself: on PostScript and PDF pages that makes a raster of the
// imgsiz size, whose PNG is returned and which then lands on the page as
// imgfin places it; a length query leaves the page alone.
int rbfpng(Context& ctx, char* buffer, int size) {
    if (size < 0) {
        warn_int(ctx, 2, size);
        return 0;
    }
    const bool own_mode = !ctx.image.active;
    if (own_mode && !begin_image_mode(ctx)) return 0;  // warning 40 or 53
    line_flush(ctx);
    if (ctx.out.driver) ctx.out.driver->sync_raster(ctx);
    if (!ctx.out.raster) return 0;
    const bool counting = size == 0 || !buffer;
    OutputSink sink(counting ? nullptr : buffer, size_t(size));
    const int result = write_png(sink, file_region(ctx, *ctx.out.raster), write_options(ctx));
    if (own_mode) end_image_mode(ctx, !counting);
    if (result == WRITE_IO) {
        custom_warning(ctx, 101, "Buffer too small for PNG file");
        return 0;
    }
    if (!report_write(ctx, result)) return 0;
    return sink.offset() > 0x7FFFFFFF ? 0 : static_cast<int>(sink.offset());
}

// A raster file drawn from the upper left corner: the part that overlaps
// the raster, row by row.
void wimage(Context& ctx, const char* file) {
    Raster* r = device_raster(ctx);
    if (!r) return;
    std::vector<uint8_t> bytes;
    if (!load(ctx, file, bytes)) return;
    FileImage img;
    // Windows read only the library's own raster files.
    const bool own = bytes.size() >= 14 && std::equal(bytes.begin(), bytes.begin() + 14, "!Bitmap KALVOR");
    if ((family(ctx.page.device) == Family::Screen && !own) || !read_imag(bytes, img)) {
        warn(ctx, 56);
        return;
    }
    const int w = std::min(img.width(), r->width()), h = std::min(img.height(), r->height());
    std::vector<uint8_t> row(size_t(w) * img.bytes_per_pixel());
    for (int y = 0; y < h; ++y) {
        img.row(y, 0, w, row.data());
        write_pixel_block(*r, row.data(), 0, y, w, 1, img.bytes_per_pixel());
    }
    if (ctx.out.driver) ctx.out.driver->raster_written(ctx);
}

// A TIFF file drawn at the tiforg position: the tifwin window of the file
// (or all of it), cut to the raster. A palette file replaces the colour
// table by its colour map.
void wtiff(Context& ctx, const char* file) {
    Raster* r = device_raster(ctx);
    if (!r) return;
    std::vector<uint8_t> bytes;
    if (!load(ctx, file, bytes)) return;
    FileImage img;
    if (!read_tiff(bytes, img)) {
        warn(ctx, 56);
        return;
    }
    const ImageState& s = ctx.image;
    long long x0 = 0, y0 = 0, w = img.width(), h = img.height();
    if (s.tiff_win_set) {
        x0 = s.tiff_win_x;
        y0 = s.tiff_win_y;
        w = std::min<long long>(s.tiff_win_w, img.width() - x0);
        h = std::min<long long>(s.tiff_win_h, img.height() - y0);
    }
    w = std::min<long long>(w, static_cast<long long>(r->width()) - s.tiff_org_x);
    h = std::min<long long>(h, static_cast<long long>(r->height()) - s.tiff_org_y);

    if (img.has_palette()) {
        for (int i = 0; i < 256; ++i)
            ctx.colour.table[i] = pack_entry(img.palette()[i][0], img.palette()[i][1], img.palette()[i][2]);
        push_colour_table(ctx);
        r->load_palette(ctx.colour.table, 256);
    }
    if (w <= 0 || h <= 0) return;
    const bool started = !ctx.image.active && begin_image_mode(ctx);
    std::vector<uint8_t> row(size_t(w) * img.bytes_per_pixel());
    for (long long y = 0; y < h; ++y) {
        img.row(int(y0 + y), int(x0), int(w), row.data());
        write_pixel_block(*r, row.data(), s.tiff_org_x, int(s.tiff_org_y + y), int(w), 1,
                          img.bytes_per_pixel());
    }
    if (started) end_image_mode(ctx);
}

}  // namespace kal
