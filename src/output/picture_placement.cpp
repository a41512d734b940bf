// A decoded BMP or GIF picture on the page. PostScript and PDF pages embed
// it through image mode (the image settings saved and restored around it);
// raster devices draw it straight into their pixels, scaled by nearest
// neighbour onto the pixels the box covers, as a PDF viewer shows it.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "core/context.h"
#include "core/devices.h"
#include "output/file_inclusion.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/raster/image_readers.h"
#include "output/raster/pixel_access.h"
#include "output/raster/raster.h"

namespace kal {
namespace {

long long pixel(double v) { return static_cast<long long>(std::clamp(v, -1e9, 1e9)); }

void embed(Context& ctx, const FileImage& picture, const PageBox& box) {
    const ImageState saved = ctx.image;
    ImageState& s = ctx.image;
    s.box_set = true;
    s.box_x = int(box.x);
    s.box_y = int(box.y);
    s.box_w = int(box.w);
    s.box_h = int(box.h);
    s.size_set = true;
    s.size_w = picture.width();
    s.size_h = picture.height();
    s.pixel_mode = 1;
    if (begin_image_mode(ctx)) {
        Raster& r = *ctx.out.raster;
        std::vector<uint8_t> row(size_t(picture.width()) * 3);
        for (int y = 0; y < picture.height(); ++y) {
            picture.row(y, 0, picture.width(), row.data());
            write_pixel_block(r, row.data(), 0, y, picture.width(), 1, 3);
        }
        end_image_mode(ctx);
    }
    ctx.image = saved;
}

void draw_scaled(Context& ctx, const FileImage& picture, const PageBox& box) {
    line_flush(ctx);
    Raster& r = *ctx.out.raster;
    const DevicePoint a = device_point(ctx, box.x, box.y);
    const DevicePoint b = device_point(ctx, box.x + box.w, box.y + box.h);
    const long long x0 = pixel(std::min(a.x, b.x)), x1 = pixel(std::max(a.x, b.x));
    const long long y0 = pixel(std::min(a.y, b.y)), y1 = pixel(std::max(a.y, b.y));
    const long long pw = x1 - x0, ph = y1 - y0;
    if (pw < 1 || ph < 1) return;
    const long long cx0 = std::max(0LL, x0), cx1 = std::min<long long>(x1, r.width());
    const long long cy0 = std::max(0LL, y0), cy1 = std::min<long long>(y1, r.height());
    if (cx0 >= cx1 || cy0 >= cy1) return;
    std::vector<int> source_x(size_t(cx1 - cx0));
    for (long long i = cx0; i < cx1; ++i)
        source_x[size_t(i - cx0)] = int(((i - x0) * 2 + 1) * picture.width() / (2 * pw));
    std::vector<uint8_t> row(size_t(picture.width()) * 3);
    std::unordered_map<uint32_t, int> nearest;  // 8-bit rasters: colour -> palette index
    int loaded = -1;
    for (long long y = cy0; y < cy1; ++y) {
        const int sy = int(((y - y0) * 2 + 1) * picture.height() / (2 * ph));
        if (sy != loaded) {
            picture.row(sy, 0, picture.width(), row.data());
            loaded = sy;
        }
        uint8_t* out = r.row(int(y));
        for (long long x = cx0; x < cx1; ++x) {
            const uint8_t* c = row.data() + 3 * size_t(source_x[size_t(x - cx0)]);
            if (r.true_colour()) {
                std::copy(c, c + 3, out + 3 * x);
                continue;
            }
            const uint32_t key = uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2];
            auto it = nearest.find(key);
            if (it == nearest.end()) it = nearest.emplace(key, r.nearest(c[0], c[1], c[2])).first;
            out[x] = uint8_t(it->second);
        }
    }
}

}  // namespace

void place_picture(Context& ctx, const FileImage& picture, const PageBox& box) {
    const DeviceTraits& t = traits(ctx.page.device);
    if (t.own_raster && ctx.out.raster)
        draw_scaled(ctx, picture, box);
    else if (t.image_on_page)
        embed(ctx, picture, box);
}

}  // namespace kal
