// The depth buffer's triangles on a small true-colour page (VIRT): shared
// edges, colours across a triangle, and corners that cannot be drawn. The
// depth test and what the routines draw in files: test_zbuffer.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "output/raster/raster.h"
#include "plot3d/zbuffer.h"

namespace {

using kal::Rgb;
using kal::ZVertex;

struct Page {
    kal::Context* ctx;
    Page() {
        kal::entry::metafl("VIRT");
        kal::entry::imgfmt("RGB");
        kal::entry::winsiz(200, 150);
        kal::entry::kalini();
        kal::entry::errmod("PROT", "OFF");
        ctx = kal::fetch_record();
    }
    ~Page() {
        kal::entry::kalfin();
        kal::entry::imgfmt("IND");
    }
    kal::Raster& raster() { return *ctx->out.raster; }
    // A corner at the centre of pixel (px, py).
    ZVertex at(double px, double py, double depth = 0.5, Rgb c = {1, 2, 3}) const {
        ZVertex v;
        v.x = px / ctx->out.factor;
        v.y = py / ctx->out.factor;
        v.depth = depth;
        v.colour = c;
        return v;
    }
    void triangle(const ZVertex& a, const ZVertex& b, const ZVertex& c) {
        const ZVertex v[3] = {a, b, c};
        kal::zbuffer_triangle(*ctx, v, false);
    }
    // Raster and buffer as new.
    void clear() {
        raster().clear();
        std::fill(ctx->out.depth.depth.begin(), ctx->out.depth.depth.end(), std::numeric_limits<float>::infinity());
    }
    // Whether the pixel differs from the empty page (black).
    bool set(int x, int y) const {
        const auto c = ctx->out.raster->pixel_rgb(x, y);
        return c.r != 0 || c.g != 0 || c.b != 0;
    }
    // How often each pixel was set by the triangles drawn one at a time.
    std::vector<int> coverage(const std::vector<std::array<ZVertex, 3>>& triangles) {
        std::vector<int> count(size_t(raster().width() * raster().height()));
        for (const auto& t : triangles) {
            clear();
            triangle(t[0], t[1], t[2]);
            for (int y = 0; y < raster().height(); ++y)
                for (int x = 0; x < raster().width(); ++x) count[size_t(y * raster().width() + x)] += set(x, y);
        }
        return count;
    }
};

TEST(ZBuffer, TrianglesSharingEdgesSetEachPixelOnce) {
    Page p;
    kal::ZBufferUse use(*p.ctx);
    ASSERT_TRUE(use.ok());
    // A fan of thin triangles round an inner point at arbitrary positions:
    // no pixel twice, and every row of the convex whole without a hole.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    std::vector<std::array<ZVertex, 3>> fan;
    const double cx = 100.3 + jitter(random), cy = 75.7 + jitter(random);
    const int n = 37;
    auto rim = [&](int i) {
        const double a = 2 * M_PI * i / n;
        return p.at(cx + 60 * std::cos(a), cy + 60 * std::sin(a));
    };
    for (int i = 0; i < n; ++i) fan.push_back({p.at(cx, cy), rim(i), rim(i + 1)});
    const std::vector<int> c = p.coverage(fan);
    int total = 0;
    for (int y = 0; y < 150; ++y) {
        int runs = 0;
        for (int x = 0; x < 200; ++x) {
            const int k = c[size_t(y * 200 + x)];
            ASSERT_LE(k, 1) << x << "," << y;
            runs += k && (x == 0 || !c[size_t(y * 200 + x - 1)]);
            total += k;
        }
        EXPECT_LE(runs, 1) << "row " << y;
    }
    const double area = 0.5 * n * 60 * 60 * std::sin(2 * M_PI / n);
    EXPECT_NEAR(total, area, 0.01 * area);
}

TEST(ZBuffer, ColoursFollowThePageLinearlyAndUnusableCornersDrawNothing) {
    Page p;
    kal::ZBufferUse use(*p.ctx);
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const ZVertex bad[][3] = {{p.at(nan, 10), p.at(100, 10), p.at(10, 100)},
                              {p.at(10, 10), p.at(1e30, 10), p.at(10, 100)},
                              {p.at(10, 10), p.at(100, 10, inf), p.at(10, 100)},
                              {p.at(10, 10), p.at(100, 10, nan), p.at(10, 100)},
                              {p.at(10, 10), p.at(50, 50), p.at(90, 90)}};  // no area
    for (const auto& t : bad) kal::zbuffer_triangle(*p.ctx, t, false);  // a pixel set here fails below

    const double xs[3] = {20, 180, 60}, ys[3] = {20, 20, 130};  // corner 0 on a top and a left edge
    const Rgb cs[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    p.triangle(p.at(xs[0], ys[0], 0.5, cs[0]), p.at(xs[1], ys[1], 0.5, cs[1]), p.at(xs[2], ys[2], 0.5, cs[2]));
    const double area = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
    int drawn = 0, corners = 0;
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (!p.set(x, y)) continue;
            ++drawn;
            // Barycentric weights of the pixel centre.
            const double l1 = ((x - xs[0]) * (ys[2] - ys[0]) - (y - ys[0]) * (xs[2] - xs[0])) / area;
            const double l2 = ((xs[1] - xs[0]) * (y - ys[0]) - (ys[1] - ys[0]) * (x - xs[0])) / area;
            const double l0 = 1 - l1 - l2;
            ASSERT_GE(std::min({l0, l1, l2}), -1e-9) << x << "," << y;
            const auto got = p.raster().pixel_rgb(x, y);
            EXPECT_NEAR(got.r, 255 * l0, 0.51);
            EXPECT_NEAR(got.g, 255 * l1, 0.51);
            EXPECT_NEAR(got.b, 255 * l2, 0.51);
            for (int k = 0; k < 3; ++k) {
                if (x == xs[k] && y == ys[k]) {
                    ++corners;
                    EXPECT_EQ(got.r, cs[k].r);
                    EXPECT_EQ(got.g, cs[k].g);
                    EXPECT_EQ(got.b, cs[k].b);
                }
            }
        }
    }
    EXPECT_NEAR(drawn, area / 2, 0.02 * area / 2);
    EXPECT_EQ(corners, 1);
}

}  // namespace
