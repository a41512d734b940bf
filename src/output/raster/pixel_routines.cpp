// The image settings and the pixel routines: imgini ... imgfin, single
// pixels, rows and blocks.
#include <algorithm>
#include <cstring>

#include "api/routines_life_cycle.h"
#include "api/routines_raster_images_and_pixels.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/threads.h"
#include "output/colour_table.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/raster/pixel_access.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"

namespace kal {
namespace {

// The smallest of the values that break "x, y >= 0 and w, h >= 1".
bool bad_window(Context& ctx, int x, int y, int w, int h) {
    if (x >= 0 && y >= 0 && w >= 1 && h >= 1) return false;
    int bad = x < 0 ? x : y < 0 ? y : w < 1 ? w : h;
    warn_int(ctx, 2, bad);
    return true;
}

// imgclp and tifwin: the window must also lie inside the output size, which
// is known from kalini on.
bool bad_output_window(Context& ctx, int x, int y, int w, int h) {
    if (bad_window(ctx, x, y, w, h)) return true;
    const PageState& p = ctx.page;
    if (ctx.frame.level >= 1) {
        if (static_cast<long long>(x) + w > p.win_w) {
            warn_int(ctx, 2, w);
            return true;
        }
        if (static_cast<long long>(y) + h > p.win_h) {
            warn_int(ctx, 2, h);
            return true;
        }
    }
    return false;
}

// The raster of image mode, or nullptr after warning 55. Pixels are read
// and written in drawing order: the pending polyline goes in first.
Raster* image_raster(Context& ctx) {
    line_flush(ctx);
    if (!ctx.image.active || !ctx.out.raster) {
        warn(ctx, 55);
        return nullptr;
    }
    if (ctx.out.driver && !ctx.image.own_raster) ctx.out.driver->sync_raster(ctx);
    return ctx.out.raster.get();
}

int bytes_per_pixel(const Context& ctx) { return ctx.image.pixel_mode == 1 ? 3 : 1; }

// The rows j and columns i of an nw x nh block at (x, y) that lie on the
// raster: j0 <= j < j1, i0 <= i < i1.
struct BlockRange {
    long long j0, j1, i0, i1;
    bool empty() const { return j0 >= j1 || i0 >= i1; }
};

BlockRange block_range(const Raster& r, int x, int y, int nw, int nh) {
    return {std::max(0LL, -static_cast<long long>(y)),
            std::min<long long>(nh, static_cast<long long>(r.height()) - y),
            std::max(0LL, -static_cast<long long>(x)),
            std::min<long long>(nw, static_cast<long long>(r.width()) - x)};
}

}  // namespace

void reset_image_settings(Context& ctx) {
    ImageState& s = ctx.image;
    s.pixel_mode = 0;
    s.box_set = false;
    s.size_set = false;
    s.clip_set = false;
    s.tiff_org_x = 0;
    s.tiff_org_y = 0;
    s.tiff_win_set = false;
    s.file_box_set = false;
}

void reset_image_clip(Context& ctx) { ctx.image.clip_set = false; }

void ImageState::reset(Context& ctx) {
    reset_image_settings(ctx);
    ctx.image.finished_page.reset();
}
namespace {
void reset_file_box(Context& ctx) { ctx.image.file_box_set = false; }
void reset_antialias(Context& ctx) { ctx.image.antialias = false; }
const ResetKey IMAGE_KEYS[] = {{"IMGC", reset_image_clip}, {"FILB", reset_file_box}, {"AAMO", reset_antialias}};
}  // namespace
const ResetKeys ImageState::reset_keys = IMAGE_KEYS;

void release_raster(Context& ctx) {
    ctx.out.raster.reset();
    ctx.out.depth = DepthBuffer{};
    ctx.image.active = false;
    ctx.image.own_raster = false;
}

int pixel_buffer_bytes() {
    const Context* ctx = fetch_record();
    return ctx ? bytes_per_pixel(*ctx) : 1;
}

void write_pixel_block(Raster& r, const uint8_t* buf, int x, int y, int nw, int nh, int bpp) {
    const BlockRange b = block_range(r, x, y, nw, nh);
    if (b.empty() || !buf) return;
    const size_t n = static_cast<size_t>(b.i1 - b.i0);
    for (long long j = b.j0; j < b.j1; ++j) {
        const uint8_t* src = buf + (static_cast<size_t>(j) * size_t(nw) + size_t(b.i0)) * bpp;
        const int row = static_cast<int>(y + j), col = static_cast<int>(x + b.i0);
        if (bpp == r.bytes_per_pixel()) {
            std::memcpy(r.row(row) + size_t(col) * bpp, src, n * bpp);
        } else if (bpp == 1) {
            for (size_t i = 0; i < n; ++i) r.put_index(col + int(i), row, src[i]);
        } else {
            for (size_t i = 0; i < n; ++i, src += 3) r.put_rgb(col + int(i), row, src[0], src[1], src[2]);
        }
    }
}

void read_pixel_block(const Raster& r, uint8_t* buf, int x, int y, int nw, int nh, int bpp) {
    const BlockRange b = block_range(r, x, y, nw, nh);
    if (b.empty() || !buf) return;
    const size_t n = static_cast<size_t>(b.i1 - b.i0);
    for (long long j = b.j0; j < b.j1; ++j) {
        uint8_t* dst = buf + (static_cast<size_t>(j) * size_t(nw) + size_t(b.i0)) * bpp;
        const int row = static_cast<int>(y + j), col = static_cast<int>(x + b.i0);
        if (bpp == r.bytes_per_pixel()) {
            std::memcpy(dst, r.row(row) + size_t(col) * bpp, n * bpp);
        } else if (bpp == 1) {
            for (size_t i = 0; i < n; ++i) dst[i] = static_cast<uint8_t>(r.pixel_index(col + int(i), row));
        } else {
            r.rgb_row(col, row, static_cast<int>(n), dst);
        }
    }
}

bool begin_image_mode(Context& ctx) {
    line_flush(ctx);
    ImageState& s = ctx.image;
    if (s.active) {
        warn(ctx, 54);
        return false;
    }
    const DeviceTraits& t = traits(ctx.page.device);
    if (t.own_raster) {
        if (!ctx.out.raster) {
            warn(ctx, 40);
            return false;
        }
        if (ctx.out.driver) ctx.out.driver->sync_raster(ctx);
    } else if (t.image_on_page) {
        {
            const int w = s.size_set ? s.size_w : ctx.page.win_w;
            const int h = s.size_set ? s.size_h : ctx.page.win_h;
            std::unique_ptr<Raster> r = new_raster(ctx, w, h, true);
            if (!r) {
                warn(ctx, 53);
                return false;
            }
            ctx.out.raster = std::move(r);
            s.own_raster = true;
        }
    } else {
        warn(ctx, 40);
        return false;
    }
    s.active = true;
    return true;
}

void end_image_mode(Context& ctx, bool place) {
    line_flush(ctx);
    ImageState& s = ctx.image;
    if (s.own_raster && ctx.out.raster) {
        const PageState& p = ctx.page;
        if (place && ctx.out.driver) {
            if (s.box_set)
                ctx.out.driver->image(ctx, *ctx.out.raster, s.box_x, s.box_y, s.box_w, s.box_h);
            else
                ctx.out.driver->image(ctx, *ctx.out.raster, 0, 0, p.width + 1.0, p.height + 1.0);
        }
        ctx.out.raster.reset();
        s.own_raster = false;
    } else if (ctx.out.driver) {
        ctx.out.driver->raster_written(ctx);  // the device draws on from the pixels as they are now
    }
    s.active = false;
}

void finish_image_mode(Context& ctx) {
    if (ctx.image.active) end_image_mode(ctx);
}

// ---- settings ----

void imgfmt(Context& ctx, const char* format) {
    const int i = keyword(ctx, "IND +RGB +BIL ", format);
    if (i) ctx.image.format = i - 1;
}

void imgmod(Context& c, const char* mode) {
    const int i = keyword(c, "IND +RGB ", mode);
    if (i) c.image.pixel_mode = i - 1;
}

void imgbox(Context& c, int nx, int ny, int nw, int nh) {
    if (bad_window(c, nx, ny, nw, nh)) return;
    ImageState& s = c.image;
    s.box_set = true;
    s.box_x = nx;
    // With page origin BOTT the box is given by its lower left corner.
    s.box_y = c.page.page_origin == 1 ? clamp_int(double(c.page.height) - ny - nh) : ny;
    s.box_w = nw;
    s.box_h = nh;
}

void imgsiz(Context& c, int nw, int nh) {
    if (nw < 1 || nh < 1) {
        warn_int(c, 2, nw < 1 ? nw : nh);
        return;
    }
    c.image.size_set = true;
    c.image.size_w = nw;
    c.image.size_h = nh;
}

void imgclp(Context& c, int nx, int ny, int nw, int nh) {
    if (bad_output_window(c, nx, ny, nw, nh)) return;
    ImageState& s = c.image;
    s.clip_set = true;
    s.clip_x = nx;
    s.clip_y = ny;
    s.clip_w = nw;
    s.clip_h = nh;
}

void gifmod(Context& ctx, const char* mode, const char* key) {
    const int m = keyword(ctx, "OFF +ON  ", mode);
    if (!m) return;
    if (!keyword(ctx, "TRAN", key)) return;
    ctx.image.gif_transparent = m == 2;
}

void aamode(Context& ctx, const char* mode) {
    const int m = keyword(ctx, "OFF +ON  ", mode);
    if (m) ctx.image.antialias = m == 2;
}

void tifmod(Context& ctx, int n, const char* unit, const char* key) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    const int u = keyword(ctx, "INCH+CM  ", unit);
    if (!u) return;
    if (!keyword(ctx, "RESO", key)) return;
    ctx.image.tiff_resolution = n;
    ctx.image.tiff_unit = u == 1 ? 2 : 3;
}

void tiforg(Context& c, int nx, int ny) {
    if (nx < 0 || ny < 0) {
        warn_int(c, 2, nx < 0 ? nx : ny);
        return;
    }
    c.image.tiff_org_x = nx;
    c.image.tiff_org_y = ny;
}

void tifwin(Context& c, int nx, int ny, int nw, int nh) {
    if (bad_output_window(c, nx, ny, nw, nh)) return;
    ImageState& s = c.image;
    s.tiff_win_set = true;
    s.tiff_win_x = nx;
    s.tiff_win_y = ny;
    s.tiff_win_w = nw;
    s.tiff_win_h = nh;
}

// ---- image mode and pixels ----

void imgini(Context& ctx) {
    begin_image_mode(ctx);
}

void imgfin(Context& ctx) {
    if (!ctx.image.active) {
        warn(ctx, 55);
        return;
    }
    end_image_mode(ctx);
}

void wpixel(Context& ctx, int ix, int iy, int colour) {
    Raster* r = image_raster(ctx);
    if (!r || !r->inside(ix, iy)) return;
    if (colour == -1) colour = ctx.out.current_colour;
    const uint32_t v = static_cast<uint32_t>(colour);
    if (ctx.image.pixel_mode == 1 || is_direct(colour))
        r->put_rgb(ix, iy, v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    else
        r->put_index(ix, iy, static_cast<int>(v % 256u));
}

int rpixel(Context& ctx, int ix, int iy) {
    const Raster* r = image_raster(ctx);
    if (!r) return -1;
    if (!r->inside(ix, iy)) {
        warn(ctx, 58);
        return -1;
    }
    if (ctx.image.pixel_mode == 0) return r->pixel_index(ix, iy);
    const Raster::Colour p = r->pixel_rgb(ix, iy);
    return direct_colour(p.r, p.g, p.b);
}

void wpixls(Context& ctx, const unsigned char* pixels, int ix, int iy, int nw, int nh) {
    if (Raster* r = image_raster(ctx)) write_pixel_block(*r, pixels, ix, iy, nw, nh, bytes_per_pixel(ctx));
}

void rpixls(Context& ctx, unsigned char* pixels, int ix, int iy, int nw, int nh) {
    if (const Raster* r = image_raster(ctx)) read_pixel_block(*r, pixels, ix, iy, nw, nh, bytes_per_pixel(ctx));
}

void wpxrow(Context& ctx, const unsigned char* pixels, int ix, int iy, int n) {
    if (Raster* r = image_raster(ctx)) write_pixel_block(*r, pixels, ix, iy, n, 1, bytes_per_pixel(ctx));
}

void rpxrow(Context& ctx, unsigned char* pixels, int ix, int iy, int n) {
    if (const Raster* r = image_raster(ctx)) read_pixel_block(*r, pixels, ix, iy, n, 1, bytes_per_pixel(ctx));
}

}  // namespace kal
