// PNG: signature, IHDR, PLTE (palette images), tRNS (transparency), one
// IDAT chunk of unfiltered rows deflated by zlib (run lengths only), IEND.
#include <zlib.h>

#include <cstring>
#include <optional>
#include <vector>

#include "output/raster/image_writers.h"

namespace kal {
namespace {

// Run-length matching only: plots are mostly runs of one colour. On an
// 853 x 603 page it deflates three times as fast as zlib's default
// strategy, for files of 6 to 10 KB instead of 5 to 7 KB.
constexpr int STRATEGY = Z_RLE;

bool chunk(OutputSink& out, const char* type, const uint8_t* data, size_t n) {
    uint32_t crc = crc32_update(0, reinterpret_cast<const uint8_t*>(type), 4);
    crc = crc32_update(crc, data, n);
    return out.be32(static_cast<uint32_t>(n)) && out.write(type, 4) && out.write(data, n) &&
           out.be32(crc);
}

void put_be32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Deflates the rows, each preceded by filter byte 0, into `z`.
int deflate_rows(const ImageRegion& region, bool rgb, const IndexedPixels* indexed,
                 std::vector<uint8_t>& z) {
    const size_t row_bytes = size_t(region.w) * (rgb ? 3 : 1);
    const size_t raw = (row_bytes + 1) * size_t(region.h);
    std::vector<uint8_t> line(row_bytes + 1, 0);
    // Plots deflate to a few percent of their rows: start small (a zeroed
    // buffer of the rows' size cost more than the deflating) and double.
    z.resize(std::min<size_t>(raw / 16 + 1024, size_t(1) << 20));

    z_stream s;
    std::memset(&s, 0, sizeof s);
    if (deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, STRATEGY) != Z_OK)
        return WRITE_ZLIB_INIT;
    size_t done = 0;  // bytes of z filled
    auto drain = [&](int flush) -> int {
        for (;;) {
            if (done == z.size()) {
                try {
                    z.resize(z.size() * 2);
                } catch (const std::bad_alloc&) {
                    return WRITE_MEMORY;
                }
            }
            s.next_out = z.data() + done;
            s.avail_out = static_cast<uInt>(std::min<size_t>(z.size() - done, 1u << 30));
            const uInt before = s.avail_out;
            const int rc = deflate(&s, flush);
            done += before - s.avail_out;
            if (rc == Z_STREAM_END) return WRITE_OK;
            if (rc != Z_OK && rc != Z_BUF_ERROR) return WRITE_ZLIB_DEFLATE;
            if (flush == Z_NO_FLUSH && s.avail_in == 0) return WRITE_OK;
            if (rc == Z_BUF_ERROR && s.avail_out != 0) return WRITE_ZLIB_DEFLATE;
        }
    };
    int result = WRITE_OK;
    for (int y = 0; y < region.h && result == WRITE_OK; ++y) {
        if (rgb)
            region.raster->rgb_row(region.x, region.y + y, region.w, line.data() + 1);
        else
            indexed->row(y, line.data() + 1);
        s.next_in = line.data();
        s.avail_in = static_cast<uInt>(line.size());
        result = drain(Z_NO_FLUSH);
    }
    if (result == WRITE_OK) {
        s.next_in = nullptr;
        s.avail_in = 0;
        result = drain(Z_FINISH);
    }
    const int end = deflateEnd(&s);
    if (result == WRITE_OK && end != Z_OK) result = WRITE_ZLIB_END;
    z.resize(done);
    return result;
}

}  // namespace

int write_png(OutputSink& out, const ImageRegion& region, const WriteOptions& o) {
    const bool rgb = o.format == IMAGE_RGB;
    std::optional<IndexedPixels> indexed;
    if (!rgb) indexed.emplace(region);

    std::vector<uint8_t> z;
    const int rc = deflate_rows(region, rgb, indexed ? &*indexed : nullptr, z);
    if (rc != WRITE_OK) return rc;

    static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    uint8_t ihdr[13];
    put_be32(ihdr, static_cast<uint32_t>(region.w));
    put_be32(ihdr + 4, static_cast<uint32_t>(region.h));
    ihdr[8] = 8;              // bit depth
    ihdr[9] = rgb ? 2 : 3;    // colour type: RGB or palette
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    bool ok = out.write(SIGNATURE, 8) && chunk(out, "IHDR", ihdr, 13);
    if (ok && !rgb) ok = chunk(out, "PLTE", &indexed->palette()[0][0], 768);
    if (ok && o.png_transparent) {
        static const uint8_t PALETTE_ALPHA[1] = {0};
        static const uint8_t WHITE[6] = {0, 255, 0, 255, 0, 255};
        ok = rgb ? chunk(out, "tRNS", WHITE, 6) : chunk(out, "tRNS", PALETTE_ALPHA, 1);
    }
    ok = ok && chunk(out, "IDAT", z.data(), z.size()) && chunk(out, "IEND", nullptr, 0);
    return ok ? WRITE_OK : WRITE_IO;
}

}  // namespace kal
