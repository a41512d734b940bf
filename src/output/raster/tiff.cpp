// TIFF, uncompressed, one strip per row, little-endian: header, one
// directory, strip offsets and byte counts, resolutions, bits per sample or
// colour map, pixel rows.
#include <algorithm>
#include <optional>
#include <vector>

#include "output/raster/image_writers.h"

namespace kal {
namespace {

enum : int { SHORT = 3, LONG = 4, RATIONAL = 5 };

struct Entry {
    int tag, type;
    uint32_t count, value;  // value: inline data or offset
};

// A SHORT or pair of SHORTs stored in the value field (left-justified).
uint32_t shorts(uint32_t a, uint32_t b = 0) { return (a & 0xFFFF) | ((b & 0xFFFF) << 16); }

}  // namespace

int write_tiff(OutputSink& out, const ImageRegion& region, const WriteOptions& o) {
    const int kind = o.format == IMAGE_RGB ? IMAGE_RGB : o.format == IMAGE_BIL ? IMAGE_BIL : IMAGE_IND;
    const uint32_t w = static_cast<uint32_t>(region.w), h = static_cast<uint32_t>(region.h);
    const uint32_t row_bytes = kind == IMAGE_RGB ? 3 * w : kind == IMAGE_IND ? w : (w + 7) / 8;
    std::optional<IndexedPixels> indexed;
    if (kind == IMAGE_IND) indexed.emplace(region);

    // Rows wider than 65535 bytes get 32-bit byte counts.
    const bool long_counts = row_bytes > 0xFFFF;
    const int entries = kind == IMAGE_IND ? 14 : 13;
    uint32_t pos = 8 + 2 + 12 * entries + 4;
    const uint32_t offsets_size = 4 * h, counts_size = (long_counts ? 4 : 2) * h;
    const uint32_t offsets_at = offsets_size > 4 ? pos : 0;
    if (offsets_size > 4) pos += offsets_size;
    const uint32_t counts_at = counts_size > 4 ? pos : 0;
    if (counts_size > 4) pos += counts_size;
    const uint32_t xres_at = pos, yres_at = pos + 8;
    pos += 16;
    const uint32_t extra_at = pos;  // bits per sample (RGB) or colour map (palette)
    if (kind == IMAGE_RGB) pos += 6;
    if (kind == IMAGE_IND) pos += 3 * 256 * 2;
    const uint32_t data_at = pos;

    const int photometric = kind == IMAGE_IND ? 3 : kind == IMAGE_RGB ? 2 : 1;
    uint32_t counts_value = 0;
    if (counts_size <= 4) counts_value = long_counts ? row_bytes : shorts(row_bytes, h == 2 ? row_bytes : 0);
    std::vector<Entry> dir = {
        {254, LONG, 1, 0},
        {256, LONG, 1, w},
        {257, LONG, 1, h},
        kind == IMAGE_RGB ? Entry{258, SHORT, 3, extra_at}
                          : Entry{258, SHORT, 1, shorts(kind == IMAGE_BIL ? 1 : 8)},
        {259, SHORT, 1, shorts(1)},
        {262, SHORT, 1, shorts(photometric)},
        {273, LONG, h, offsets_size > 4 ? offsets_at : data_at},
        {277, SHORT, 1, shorts(kind == IMAGE_RGB ? 3 : 1)},
        {278, LONG, 1, 1},
        {279, long_counts ? LONG : SHORT, h, counts_size > 4 ? counts_at : counts_value},
        {282, RATIONAL, 1, xres_at},
        {283, RATIONAL, 1, yres_at},
        {296, SHORT, 1, shorts(static_cast<uint32_t>(o.tiff_unit))},
    };
    if (kind == IMAGE_IND) dir.push_back({320, SHORT, 3 * 256, extra_at});

    out.write("II", 2);
    out.le16(42);
    out.le32(8);
    out.le16(static_cast<uint32_t>(dir.size()));
    for (const Entry& e : dir) {
        out.le16(static_cast<uint32_t>(e.tag));
        out.le16(static_cast<uint32_t>(e.type));
        out.le32(e.count);
        out.le32(e.value);
    }
    out.le32(0);
    if (offsets_size > 4)
        for (uint32_t y = 0; y < h; ++y) out.le32(data_at + y * row_bytes);
    if (counts_size > 4)
        for (uint32_t y = 0; y < h; ++y) long_counts ? out.le32(row_bytes) : out.le16(row_bytes);
    const uint32_t resolution = static_cast<uint32_t>(o.tiff_resolution);
    out.le32(resolution);
    out.le32(1);
    out.le32(resolution);
    out.le32(1);
    if (kind == IMAGE_RGB) {
        out.le16(8);
        out.le16(8);
        out.le16(8);
    }
    if (kind == IMAGE_IND) {
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 256; ++i) out.le16(indexed->palette()[i][c] * 257u);
    }

    std::vector<uint8_t> rgb(size_t(w) * 3), line(row_bytes);
    for (uint32_t y = 0; y < h; ++y) {
        if (kind == IMAGE_IND) {
            indexed->row(static_cast<int>(y), line.data());
        } else if (kind == IMAGE_RGB) {
            region.raster->rgb_row(region.x, region.y + int(y), region.w, line.data());
        } else {
            region.raster->rgb_row(region.x, region.y + int(y), region.w, rgb.data());
            std::fill(line.begin(), line.end(), 0);
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p = &rgb[3 * x];
                const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
                const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
                if (o.white_background ? white : !black) line[x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        }
        out.write(line.data(), line.size());
    }
    return out.failed() ? WRITE_IO : WRITE_OK;
}

}  // namespace kal
