// Shared pieces of the image writers: regions, the indexed view of a raster,
// the CRC-32 table, and the dispatch by file kind.
#include "output/raster/image_writers.h"

#include <algorithm>
#include <array>
#include <new>

#include "output/raster/octree.h"

namespace kal {
namespace {

constexpr std::array<uint32_t, 256> make_crc_table() {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}

constexpr std::array<uint32_t, 256> CRC_TABLE = make_crc_table();

}  // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t n) {
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = CRC_TABLE[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

ImageRegion whole_raster(const Raster& r) { return {&r, 0, 0, r.width(), r.height()}; }

ImageRegion clipped_region(const Raster& r, int x, int y, int w, int h) {
    const long long x1 = std::max<long long>(x, 0), y1 = std::max<long long>(y, 0);
    const long long x2 = std::min<long long>(static_cast<long long>(x) + w, r.width());
    const long long y2 = std::min<long long>(static_cast<long long>(y) + h, r.height());
    if (x1 >= x2 || y1 >= y2) return {&r, 0, 0, 0, 0};
    return {&r, int(x1), int(y1), int(x2 - x1), int(y2 - y1)};
}

IndexedPixels::IndexedPixels(const ImageRegion& region) : region_(region) {
    const Raster& r = *region.raster;
    if (!r.true_colour()) {
        for (int i = 0; i < 256; ++i) {
            const Raster::Colour c = r.palette(i);
            palette_[i][0] = c.r;
            palette_[i][1] = c.g;
            palette_[i][2] = c.b;
        }
        return;
    }
    quantizer_ = std::make_unique<OctreeQuantizer>();
    for (int y = 0; y < region.h; ++y) {
        const uint8_t* p = r.row(region.y + y) + size_t(region.x) * 3;
        for (int x = 0; x < region.w; ++x, p += 3) quantizer_->add(p[0], p[1], p[2]);
    }
    quantizer_->make_palette(palette_);
}

IndexedPixels::~IndexedPixels() = default;

void IndexedPixels::row(int y, uint8_t* out) const {
    const Raster& r = *region_.raster;
    const uint8_t* p = r.row(region_.y + y) + size_t(region_.x) * r.bytes_per_pixel();
    if (!quantizer_) {
        std::copy(p, p + region_.w, out);
        return;
    }
    int last = -1, last_index = 0;
    for (int x = 0; x < region_.w; ++x, p += 3) {
        const int rgb = (p[0] << 16) | (p[1] << 8) | p[2];
        if (rgb != last) {
            last = rgb;
            last_index = quantizer_->lookup(p[0], p[1], p[2]);
        }
        out[x] = static_cast<uint8_t>(last_index);
    }
}

int IndexedPixels::background_index() const {
    if (!quantizer_) return 0;
    const int v = region_.raster->white() ? 255 : 0;
    return quantizer_->lookup(v, v, v);
}

int write_image(OutputSink& out, FileKind kind, const ImageRegion& region, const WriteOptions& o) {
    int result = WRITE_IO;
    try {
        switch (kind) {
            case FileKind::Tiff: result = write_tiff(out, region, o); break;
            case FileKind::Imag: result = write_imag(out, region, o.screen); break;
            case FileKind::Png: result = write_png(out, region, o); break;
            case FileKind::Ppm: result = write_ppm(out, region); break;
            case FileKind::Bmp: result = write_bmp(out, region, o); break;
            case FileKind::Gif: result = write_gif(out, region, o); break;
        }
    } catch (const std::bad_alloc&) {
        result = WRITE_MEMORY;
    }
    // A file sink may still hold the last bytes, and with them the first
    // sign of a write error.
    if (!out.flush() && result == WRITE_OK) result = WRITE_IO;
    return result;
}

}  // namespace kal
