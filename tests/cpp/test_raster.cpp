// The raster: line, rectangle and triangle drawing with clipping, colours on
// palette and true-colour rasters, the octree quantizer, and the writers'
// byte layouts that an image viewer would not show (sizes, CRCs, codes).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "output/raster/image_readers.h"
#include "output/raster/image_writers.h"
#include "output/raster/octree.h"
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

Raster palette_raster(int w, int h) {
    Raster r;
    EXPECT_TRUE(r.create(w, h, false, false));
    uint32_t grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = uint32_t(i) * 0x010101u;
    r.load_palette(grey, 256);
    r.set_index(7);
    return r;
}

std::vector<uint8_t> to_memory(kal::FileKind kind, const Raster& r, const kal::WriteOptions& o = {}) {
    kal::OutputSink count(nullptr, 0);
    EXPECT_EQ(kal::write_image(count, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    std::vector<uint8_t> bytes(count.offset());
    kal::OutputSink sink(bytes.data(), bytes.size());
    EXPECT_EQ(kal::write_image(sink, kind, kal::whole_raster(r), o), kal::WRITE_OK);
    EXPECT_EQ(sink.offset(), bytes.size());
    return bytes;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(RasterLine, BresenhamStepsTheMinorAxisWhenTheErrorTurnsPositive) {
    Raster r = palette_raster(8, 4);
    r.line(0, 0, 5, 2);
    // d = 5, e = 2, error -2: 0, 2 (step), -1, 1 (step), -2.
    EXPECT_EQ(drawn(r), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    Raster back = palette_raster(8, 4);
    back.line(5, 2, 0, 0);
    EXPECT_EQ(drawn(back).size(), 6u);
    EXPECT_TRUE(drawn(back).count({0, 0}) && drawn(back).count({5, 2}));
}

TEST(RasterLine, HorizontalVerticalAndSinglePointRunsIncludeBothEnds) {
    Raster r = palette_raster(10, 10);
    r.line(7, 2, 2, 2);
    r.line(4, 9, 4, 5);
    r.line(9, 0, 9, 0);
    Pixels want{{9, 0}};
    for (int x = 2; x <= 7; ++x) want.insert({x, 2});
    for (int y = 5; y <= 9; ++y) want.insert({4, y});
    EXPECT_EQ(drawn(r), want);
}

// A line clipped by the raster edges sets exactly the pixels that the same
// line sets inside that window of a raster large enough to hold it whole.
TEST(RasterLine, ClippingKeepsThePixelsOfTheUnclippedLine) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(-150, 250);
    for (int i = 0; i < 400; ++i) {
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        Raster big = palette_raster(401, 401), small = palette_raster(100, 60);
        big.line(x1 + 150, y1 + 150, x2 + 150, y2 + 150);
        small.line(x1, y1, x2, y2);
        Pixels want;
        for (auto [x, y] : drawn(big))
            if (x - 150 >= 0 && x - 150 < 100 && y - 150 >= 0 && y - 150 < 60) want.insert({x - 150, y - 150});
        ASSERT_EQ(drawn(small), want) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST(RasterLine, FarAwayEndPointsDrawOnlyTheVisiblePart) {
    Raster r = palette_raster(50, 50);
    r.line(-2000000000, -2000000000, 2000000000, 2000000000);  // the diagonal
    Pixels want;
    for (int i = 0; i < 50; ++i) want.insert({i, i});
    EXPECT_EQ(drawn(r), want);
    Raster none = palette_raster(50, 50);
    none.line(-2000000000, 10, -5, 2000000000);
    EXPECT_TRUE(drawn(none).empty());
}

TEST(RasterRect, FillsRowsAndColumnsInclusivelyAndClips) {
    Raster r = palette_raster(10, 8);
    r.fill_rect(7, 6, 2, 3);  // corners in either order
    Pixels want;
    for (int y = 3; y <= 6; ++y)
        for (int x = 2; x <= 7; ++x) want.insert({x, y});
    EXPECT_EQ(drawn(r), want);
    Raster edge = palette_raster(10, 8);
    edge.fill_rect(-5, -5, 100, 0);
    EXPECT_EQ(drawn(edge).size(), 10u);
    edge.fill_rect(20, 20, 30, 30);
    EXPECT_EQ(drawn(edge).size(), 10u);
}

// Every pixel centre strictly inside the triangle is filled, and nothing
// outside its bounding box.
TEST(RasterTriangle, CoversTheInteriorAndStaysInItsBox) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 39);
    for (int t = 0; t < 200; ++t) {
        int x[3], y[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = coord(rng);
            y[i] = coord(rng);
        }
        Raster r = palette_raster(40, 40);
        r.fill_triangle(x, y);
        const Pixels p = drawn(r);
        auto side = [&](int i, int j, double px, double py) {
            return (x[j] - x[i]) * (py - y[i]) - (y[j] - y[i]) * (px - x[i]);
        };
        for (int py = 0; py < 40; ++py)
            for (int px = 0; px < 40; ++px) {
                const double a = side(0, 1, px, py), b = side(1, 2, px, py), c = side(2, 0, px, py);
                const bool inside = (a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0);
                if (inside) ASSERT_TRUE(p.count({px, py})) << t << ": " << px << "," << py;
            }
        for (auto [px, py] : p) {
            ASSERT_GE(px, std::min({x[0], x[1], x[2]}));
            ASSERT_LE(px, std::max({x[0], x[1], x[2]}));
            ASSERT_GE(py, std::min({y[0], y[1], y[2]}));
            ASSERT_LE(py, std::max({y[0], y[1], y[2]}));
        }
    }
}

TEST(RasterTriangle, OneRowAndClippedTriangles) {
    Raster flat = palette_raster(20, 5);
    const int fx[3] = {12, 3, 8}, fy[3] = {2, 2, 2};
    flat.fill_triangle(fx, fy);
    Pixels want;
    for (int x = 3; x <= 12; ++x) want.insert({x, 2});
    EXPECT_EQ(drawn(flat), want);

    // Clipped to the raster: the visible part of a triangle drawn on a larger raster.
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
        Pixels want_small;
        for (auto [px, py] : drawn(big))
            if (px >= 60 && px < 120 && py >= 60 && py < 110) want_small.insert({px - 60, py - 60});
        ASSERT_EQ(drawn(small), want_small) << t;
    }
}

TEST(RasterColour, DirectColoursTakeTheNearestIndexOnPaletteRasters) {
    Raster r;
    ASSERT_TRUE(r.create(4, 4, false, false));
    // SMAL-like table: only 9 entries count for the search.
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = 0x00FF00;  // pure green beyond entry 8
    const uint32_t smal[9] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF,
                              0xFFFF00, 0xFF8000, 0x00FFFF, 0xFF00FF};
    std::memcpy(table, smal, sizeof smal);
    r.load_palette(table, 9);
    r.set_colour(0x01000000 | 0x10 | 0xF0 << 8);  // (16, 240, 0): nearest green, entry 3
    EXPECT_EQ(r.colour_index(), 3);
    r.set_colour(0x01000000 | 200 | 100 << 8);  // (200, 100, 0): orange
    EXPECT_EQ(r.colour_index(), 6);
    r.set_colour(258);  // an index, modulo 256
    EXPECT_EQ(r.colour_index(), 2);
    r.plot(1, 1);
    EXPECT_EQ(r.pixel_rgb(1, 1).r, 255);
    EXPECT_EQ(r.pixel_rgb(1, 1).g, 0);

    Raster rgb;
    ASSERT_TRUE(rgb.create(3, 2, true, true));
    EXPECT_EQ(rgb.row(1)[5], 0xFF);  // white background
    rgb.load_palette(table, 9);
    rgb.set_colour(0x01000000 | 1 | 2 << 8 | 3 << 16);
    rgb.plot(2, 1);
    const Raster::Colour c = rgb.pixel_rgb(2, 1);
    EXPECT_EQ(c.r + 0, 1);
    EXPECT_EQ(c.g + 0, 2);
    EXPECT_EQ(c.b + 0, 3);
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

TEST(Octree, KeepsUpTo256ColoursExactly) {
    kal::OctreeQuantizer q;
    std::vector<std::array<int, 3>> colours;
    for (int i = 0; i < 256; ++i) colours.push_back({(i * 37) & 255, (i * 91) & 255, (i * 13 + 5) & 255});
    for (int pass = 0; pass < 3; ++pass)
        for (auto& c : colours) q.add(c[0], c[1], c[2]);
    uint8_t palette[256][3];
    const int n = q.make_palette(palette);
    EXPECT_LE(n, 256);
    for (auto& c : colours) {
        const int i = q.lookup(c[0], c[1], c[2]);
        EXPECT_EQ(palette[i][0], c[0]);
        EXPECT_EQ(palette[i][1], c[1]);
        EXPECT_EQ(palette[i][2], c[2]);
    }
}

TEST(Octree, ReducesManyColoursToAtMost256CloseOnes) {
    kal::OctreeQuantizer q;
    for (int r = 0; r < 256; r += 4)
        for (int g = 0; g < 256; g += 8)
            for (int b = 0; b < 256; b += 16) q.add(r, g, b);
    uint8_t palette[256][3];
    const int n = q.make_palette(palette);
    EXPECT_GT(n, 1);
    EXPECT_LE(n, 256);
    // Every colour maps to an entry of its own octree cell: within 64 per component.
    for (int r = 0; r < 256; r += 17)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 17) {
                const int i = q.lookup(r, g, b);
                ASSERT_LT(i, n);
                EXPECT_LE(std::abs(palette[i][0] - r), 64);
                EXPECT_LE(std::abs(palette[i][1] - g), 64);
                EXPECT_LE(std::abs(palette[i][2] - b), 64);
            }
}

TEST(PngWriter, CrcAgreesWithZlib) {
    std::vector<uint8_t> data(1000);
    std::mt19937 rng(3);
    for (auto& b : data) b = uint8_t(rng());
    for (size_t n : {size_t(0), size_t(1), size_t(17), data.size()})
        EXPECT_EQ(kal::crc32_update(0, data.data(), n), uint32_t(::crc32(0, data.data(), uInt(n)))) << n;
    const uint8_t iend[4] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(kal::crc32_update(0, iend, 4), 0xAE426082u);
}

TEST(PngWriter, ChunksAndTransparency) {
    Raster r = palette_raster(5, 3);
    kal::WriteOptions o;
    o.png_transparent = true;
    const std::vector<uint8_t> png = to_memory(kal::FileKind::Png, r, o);
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), sig, 8), 0);
    // Walk the chunks: names in order, CRCs right, tRNS one byte 0.
    std::vector<std::string> names;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t len = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        ASSERT_LE(at + 12 + len, png.size());
        names.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
        const uint32_t crc = uint32_t(png[at + 8 + len]) << 24 | png[at + 9 + len] << 16 |
                             png[at + 10 + len] << 8 | png[at + 11 + len];
        EXPECT_EQ(kal::crc32_update(0, &png[at + 4], len + 4), crc) << names.back();
        if (names.back() == "tRNS") {
            EXPECT_EQ(len, 1u);
            EXPECT_EQ(png[at + 8], 0);
        }
        if (names.back() == "PLTE") EXPECT_EQ(len, 768u);
        at += 12 + len;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
}

TEST(PngWriter, TooSmallBufferFailsAndCountingGivesTheLength) {
    Raster r = palette_raster(30, 20);
    r.line(0, 0, 29, 19);
    kal::OutputSink count(nullptr, 0);
    ASSERT_EQ(kal::write_png(count, kal::whole_raster(r), {}), kal::WRITE_OK);
    std::vector<uint8_t> small(count.offset() - 1);
    kal::OutputSink tight(small.data(), small.size());
    EXPECT_EQ(kal::write_png(tight, kal::whole_raster(r), {}), kal::WRITE_IO);
}

TEST(BmpWriter, TenByTenPaletteImageHasRowsOf12Bytes) {
    Raster r = palette_raster(10, 10);
    const std::vector<uint8_t> bmp = to_memory(kal::FileKind::Bmp, r);
    EXPECT_EQ(bmp.size(), 1198u);  // 120 + 1024 + 54
    EXPECT_EQ(le32(bmp, 2), 1198u);
    EXPECT_EQ(le32(bmp, 10), 54u + 1024u);
    EXPECT_EQ(le32(bmp, 34), 120u);       // image size: 10 rows of 12 bytes
    EXPECT_EQ(le32(bmp, 38), 2500u);      // pixels per metre
}

TEST(GifWriter, StreamStartsWithClearAndEndsWithTrailer) {
    Raster r = palette_raster(7, 5);
    r.line(0, 0, 6, 4);
    for (bool transparent : {false, true}) {
        kal::WriteOptions o;
        o.gif_transparent = transparent;
        const std::vector<uint8_t> gif = to_memory(kal::FileKind::Gif, r, o);
        EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), transparent ? "GIF89a" : "GIF87a");
        EXPECT_EQ(gif[10], 0xF7);
        const size_t image = 13 + 768 + (transparent ? 8 : 0);
        EXPECT_EQ(gif[image], 0x2C);
        EXPECT_EQ(gif[image + 10], 8);  // LZW minimum code size
        // First sub-block: the first 9-bit code is the clear code 256.
        const int first = gif[image + 12] | (gif[image + 13] & 1) << 8;
        EXPECT_EQ(first, 256);
        EXPECT_EQ(gif[gif.size() - 2], 0);
        EXPECT_EQ(gif.back(), 0x3B);
    }
}

TEST(TiffWriter, ReadsBackThroughTheReaderInEveryFormat) {
    Raster r;
    ASSERT_TRUE(r.create(13, 4, true, false));
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(255 - i) << 16 | uint32_t(i) << 8 | 7;
    r.load_palette(table, 256);
    r.set_rgb(200, 10, 30);
    r.line(0, 0, 12, 3);
    r.set_rgb(255, 255, 255);
    r.plot(12, 0);
    for (int format : {kal::IMAGE_IND, kal::IMAGE_RGB, kal::IMAGE_BIL}) {
        kal::WriteOptions o;
        o.format = format;
        const std::vector<uint8_t> tif = to_memory(kal::FileKind::Tiff, r, o);
        kal::FileImage img;
        ASSERT_TRUE(kal::read_tiff(tif, img)) << format;
        ASSERT_EQ(img.width(), 13);
        ASSERT_EQ(img.height(), 4);
        for (int y = 0; y < 4; ++y) {
            uint8_t row[13 * 3];
            img.row(y, 0, 13, row);
            for (int x = 0; x < 13; ++x) {
                const Raster::Colour c = r.pixel_rgb(x, y);
                int got[3];
                if (img.indexed()) {
                    for (int k = 0; k < 3; ++k) got[k] = img.palette()[row[x]][k];
                } else {
                    for (int k = 0; k < 3; ++k) got[k] = row[3 * x + k];
                }
                if (format == kal::IMAGE_BIL) {
                    const int v = (c.r || c.g || c.b) ? 255 : 0;  // black page: non-black is white
                    EXPECT_EQ(got[0], v) << x << "," << y;
                } else {
                    EXPECT_EQ(got[0], c.r);
                    EXPECT_EQ(got[1], c.g);
                    EXPECT_EQ(got[2], c.b);
                }
            }
        }
    }
}

TEST(ImagWriter, HeaderIsEightyCharacters) {
    Raster r = palette_raster(12, 3);
    const std::vector<uint8_t> img = to_memory(kal::FileKind::Imag, r);
    ASSERT_EQ(img.size(), 80u + 36u);
    EXPECT_EQ(std::string(img.begin(), img.begin() + 80),
              "!Bitmap KALVOR VIRT    12     3     8    12     8    32     0     1     0       ");
    Raster rgb;
    ASSERT_TRUE(rgb.create(12, 3, true, false));
    const std::vector<uint8_t> img24 = to_memory(kal::FileKind::Imag, rgb);
    EXPECT_EQ(img24.size(), 80u + 108u);
    EXPECT_EQ(std::string(img24.begin() + 20, img24.begin() + 50), "   12     3     8    36    24 ");
}

TEST(Regions, ImageWindowIsCutToTheRaster) {
    Raster r = palette_raster(20, 10);
    const kal::ImageRegion a = kal::clipped_region(r, 15, 5, 10, 10);
    EXPECT_EQ(a.x, 15);
    EXPECT_EQ(a.w, 5);
    EXPECT_EQ(a.h, 5);
    EXPECT_EQ(kal::clipped_region(r, 30, 0, 5, 5).w, 0);
    r.set_index(9);
    r.plot(16, 6);
    const std::vector<uint8_t> ppm = [&] {
        kal::OutputSink count(nullptr, 0);
        kal::write_ppm(count, a);
        std::vector<uint8_t> b(count.offset());
        kal::OutputSink sink(b.data(), b.size());
        kal::write_ppm(sink, a);
        return b;
    }();
    const std::string header = "P6\n5 5\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 75);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + header.size()), header);
    EXPECT_EQ(ppm[header.size() + 3 * (1 * 5 + 1)], 9);  // pixel (16, 6) at (1, 1) of the window
}

}  // namespace
