// The raster: line, rectangle and triangle drawing with clipping, colours on
// palette rasters and the octree quantizer.
// The written files are judged by independent readers in test_raster.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "output/raster/raster.h"

namespace {

using kal::Raster;
using Pixels = std::set<std::pair<int, int>>;

// The set pixels (index != 0) of a palette raster.
Pixels drawn(const Raster& r) {
    Pixels p;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (r.row(y)[x] != 0) p.insert({x, y});
    return p;
}

// n pixels from (x, y) in steps of (dx, dy).
Pixels run(int x, int y, int dx, int dy, int n) {
    Pixels p;
    for (int i = 0; i < n; ++i) p.insert({x + i * dx, y + i * dy});
    return p;
}

Raster palette_raster(int w, int h) {
    Raster r;
    EXPECT_TRUE(r.create(w, h, false, false));
    uint32_t grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = uint32_t(i) * 0x010101u;
    r.load_palette(grey, 256);
    r.set_index(7);
    return r;
}

TEST(RasterLine, DrawsBothEndsInBresenhamSteps) {
    // d = 5, e = 2, error -2: 0, 2 (step), -1, 1 (step), -2; the same pixels backwards.
    const Pixels shallow{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
    const Pixels steep{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}};
    const int far = 2000000000;
    const struct {
        int x1, y1, x2, y2;
        Pixels want;
    } cases[] = {
        {0, 0, 5, 2, shallow}, {5, 2, 0, 0, shallow}, {0, 0, 2, 5, steep},
        {7, 2, 2, 2, run(2, 2, 1, 0, 6)}, {4, 9, 4, 5, run(4, 5, 0, 1, 5)}, {9, 0, 9, 0, {{9, 0}}},
        {-far, -far, far, far, run(0, 0, 1, 1, 50)},  // only the visible part is walked
        {-far, 10, -5, far, {}},
    };
    for (const auto& c : cases) {
        Raster r = palette_raster(50, 50);
        r.line(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(drawn(r), c.want) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

// Random triangles, many partly off the raster: every pixel centre strictly
// inside is filled, nothing outside the bounding box, and a smaller raster
// gets exactly the part of the triangle that lies on it.
TEST(RasterTriangle, CoversTheInteriorStaysInItsBoxAndClips) {
    Raster flat = palette_raster(20, 5);
    const int fx[3] = {12, 3, 8}, fy[3] = {2, 2, 2};
    flat.fill_triangle(fx, fy);
    EXPECT_EQ(drawn(flat), run(3, 2, 1, 0, 10));

    std::mt19937 rng(99);
    std::uniform_int_distribution<int> coord(-60, 120);
    for (int t = 0; t < 200; ++t) {
        int x[3], y[3], bx[3], by[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = coord(rng);
            y[i] = coord(rng);
            bx[i] = x[i] + 60;
            by[i] = y[i] + 60;
        }
        Raster big = palette_raster(181, 181), small = palette_raster(60, 50);
        big.fill_triangle(bx, by);
        small.fill_triangle(x, y);
        const auto [xlo, xhi] = std::minmax({bx[0], bx[1], bx[2]});
        const auto [ylo, yhi] = std::minmax({by[0], by[1], by[2]});
        auto side = [&](int i, int j, int px, int py) {
            return (bx[j] - bx[i]) * (py - by[i]) - (by[j] - by[i]) * (px - bx[i]);
        };
        for (int py = ylo; py <= yhi; ++py)
            for (int px = xlo; px <= xhi; ++px) {
                const int a = side(0, 1, px, py), b = side(1, 2, px, py), c = side(2, 0, px, py);
                if ((a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0)) {
                    ASSERT_NE(big.row(py)[px], 0) << t << ": " << px << "," << py;
                }
            }
        Pixels want;
        for (auto [px, py] : drawn(big)) {
            ASSERT_TRUE(px >= xlo && px <= xhi && py >= ylo && py <= yhi) << t << ": " << px << "," << py;
            if (px >= 60 && px < 120 && py >= 60 && py < 110) want.insert({px - 60, py - 60});
        }
        ASSERT_EQ(drawn(small), want) << t;
    }
}

TEST(RasterCreate, RefusesSizesItCannotHold) {
    Raster r;
    EXPECT_FALSE(r.create(0, 10, false, false));
    EXPECT_FALSE(r.create(10, -1, true, false));
    EXPECT_FALSE(r.create(Raster::MAX_SIDE + 1, 1, false, false));
    EXPECT_FALSE(r.create(40000, 40000, true, false));  // 4.8 GB
    EXPECT_EQ(r.width(), 0);
    r.line(0, 0, 5, 5);  // an empty raster draws nothing
    EXPECT_TRUE(r.create(2, 2, false, false));
}

}  // namespace
