// BMP, PPM and the library's own raster file: uncompressed formats written
// row by row.
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "output/raster/image_writers.h"

namespace kal {

// BMP: 54-byte header, 256 palette entries (blue, green, red, 0) for palette
// images, rows from the bottom padded to multiples of 4 bytes, RGB pixels as
// blue, green, red.
int write_bmp(OutputSink& out, const ImageRegion& region, const WriteOptions& o) {
    const bool rgb = o.format == IMAGE_RGB;
    std::optional<IndexedPixels> indexed;
    if (!rgb) indexed.emplace(region);
    const uint32_t w = static_cast<uint32_t>(region.w), h = static_cast<uint32_t>(region.h);
    const uint32_t bits = rgb ? 24 : 8, colours = rgb ? 0 : 256;
    const uint32_t row_size = (w * (bits / 8) + 3) & ~3u;
    const uint32_t image_size = row_size * h;

    out.write("BM", 2);
    out.le32(image_size + 4 * colours + 54);
    out.le16(0);
    out.le16(0);
    out.le32(54 + 4 * colours);
    out.le32(40);
    out.le32(w);
    out.le32(h);
    out.le16(1);
    out.le16(bits);
    out.le32(0);
    out.le32(image_size);
    out.le32(2500);
    out.le32(2500);
    out.le32(colours);
    out.le32(colours);
    if (!rgb) {
        const auto& pal = indexed->palette();
        for (int i = 0; i < 256; ++i) {
            const uint8_t entry[4] = {pal[i][2], pal[i][1], pal[i][0], 0};
            out.write(entry, 4);
        }
    }
    std::vector<uint8_t> line(row_size, 0);
    for (uint32_t k = 0; k < h; ++k) {
        const int y = static_cast<int>(h - 1 - k);
        if (rgb) {
            region.raster->rgb_row(region.x, region.y + y, region.w, line.data());
            for (uint32_t x = 0; x < w; ++x) std::swap(line[3 * x], line[3 * x + 2]);
        } else {
            indexed->row(y, line.data());
        }
        out.write(line.data(), row_size);
    }
    return out.failed() ? WRITE_IO : WRITE_OK;
}

// PPM: binary P6 with maximum value 255.
int write_ppm(OutputSink& out, const ImageRegion& region) {
    char header[64];
    const int n = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", region.w, region.h);
    out.write(header, static_cast<size_t>(n));
    std::vector<uint8_t> line(size_t(region.w) * 3);
    for (int y = 0; y < region.h; ++y) {
        region.raster->rgb_row(region.x, region.y + y, region.w, line.data());
        out.write(line.data(), line.size());
    }
    return out.failed() ? WRITE_IO : WRITE_OK;
}

// The raster file: an 80-character text header, then the rows as they are
// held (one index or three RGB bytes per pixel) from the top.
int write_imag(OutputSink& out, const ImageRegion& region, bool screen) {
    const Raster& r = *region.raster;
    const int bpp = r.bytes_per_pixel();
    const int stride = region.w * bpp;
    char header[128];
    int n = std::snprintf(header, sizeof header, "!Bitmap KALVOR %s %5d %5d %5d %5d %5d %5d %5d %5d %5d",
                          screen ? "WIN " : "VIRT", region.w, region.h, 8, stride, 8 * bpp, 32, 0, 1, 0);
    if (n < 0 || n > 80) return WRITE_IO;  // a row of more than 99999 bytes does not fit the header
    while (n < 80) header[n++] = ' ';
    out.write(header, 80);
    for (int y = 0; y < region.h; ++y)
        out.write(r.row(region.y + y) + size_t(region.x) * bpp, size_t(stride));
    return out.failed() ? WRITE_IO : WRITE_OK;
}

}  // namespace kal
