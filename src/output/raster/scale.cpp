#include "output/raster/scale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "output/raster/raster.h"

namespace kal {

void box_reduce(const Raster& large, int n, Raster& out) {
    const int w = std::min(out.width(), large.width() / n), h = std::min(out.height(), large.height() / n);
    if (w < 1 || h < 1 || !large.true_colour()) return;
    const unsigned area = unsigned(n) * unsigned(n), half = area / 2;
    std::vector<unsigned> sum(size_t(w) * 3);
    std::vector<uint8_t> row(size_t(w) * 3);
    // The last colour looked up in the palette and its entry: blocks of one
    // colour follow each other in long runs.
    int last_rgb = -1, last_index = 0;
    for (int y = 0; y < h; ++y) {
        std::fill(sum.begin(), sum.end(), 0u);
        for (int j = 0; j < n; ++j) {
            const uint8_t* src = large.row(y * n + j);
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = src + size_t(x) * n * 3;
                unsigned* s = &sum[size_t(x) * 3];
                for (int i = 0; i < n; ++i, p += 3) {
                    s[0] += p[0];
                    s[1] += p[1];
                    s[2] += p[2];
                }
            }
        }
        for (size_t k = 0; k < row.size(); ++k) row[k] = static_cast<uint8_t>((sum[k] + half) / area);
        if (out.true_colour()) {
            std::copy(row.begin(), row.end(), out.row(y));
            continue;
        }
        uint8_t* dst = out.row(y);
        for (int x = 0; x < w; ++x) {
            const uint8_t* c = &row[size_t(x) * 3];
            const int rgb = c[0] << 16 | c[1] << 8 | c[2];
            if (rgb != last_rgb) {
                last_rgb = rgb;
                last_index = out.nearest(c[0], c[1], c[2]);
            }
            dst[x] = static_cast<uint8_t>(last_index);
        }
    }
}

void box_enlarge(const Raster& small, int n, Raster& large) {
    const int w = std::min(small.width(), large.width() / n), h = std::min(small.height(), large.height() / n);
    if (w < 1 || h < 1 || !large.true_colour()) return;
    std::vector<uint8_t> rgb(size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
        small.rgb_row(0, y, w, rgb.data());
        uint8_t* dst = large.row(y * n);
        for (int x = 0; x < w; ++x)
            for (int i = 0; i < n; ++i) std::copy_n(&rgb[size_t(x) * 3], 3, dst + (size_t(x) * n + i) * 3);
        for (int j = 1; j < n; ++j) std::copy_n(dst, size_t(w) * n * 3, large.row(y * n + j));
    }
}

}  // namespace kal
