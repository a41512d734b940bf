// The SVG writer on its driver class: prologue, path buffer, groups,
// rectangles and polygons (characters: test_text.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/context.h"
#include "output/drivers/svg.h"
#include "read_back.h"

namespace {

constexpr int RED = 0x010000FF;     // 0x01BBGGRR
constexpr int TEAL = 0x01808000;

// An SVG driver for the upright default page (2969 x 2099) on the 853 x 603
// canvas at 0.5 pixels per plot unit; without a file after "Open error".
struct Svg {
    kal::Context ctx;
    kal::SvgDriver driver;
    FILE* fp;

    explicit Svg(FILE* file = std::tmpfile()) : fp(file) {
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        ctx.page.device = 801;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.page.win_w = 853;
        ctx.page.win_h = 603;
        ctx.page.background = 2;
        ctx.out.factor = 0.5;
        ctx.out.file = fp;   // the record closes it
        driver.attach(std::make_unique<kal::OutputSink>(fp));
        driver.open(ctx);
    }
    std::string all() {
        return read_back(fp);
    }
    // Everything after the prologue, once the document is finished.
    std::string body() {
        EXPECT_EQ(driver.close(ctx), 1);
        const std::string s = all();
        const size_t at = s.find("xlink\">\n\n");
        return at == std::string::npos ? s : s.substr(at + 9);
    }
    void move(double x, double y) { driver.path(x, y, kal::SvgDriver::MODE_MOVE); }
    void draw(double x, double y) { driver.path(x, y, kal::SvgDriver::MODE_DRAW); }
};

TEST(SvgWriter, Prologue) {
    Svg svg;
    EXPECT_EQ(svg.driver.close(svg.ctx), 1);
    EXPECT_EQ(svg.all(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?>\n"
              "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 20010904//EN\"\n"
              "  \"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\">\n"
              "<!-- Created by KALVOR (https://kalvor.org)\n"
              "Version:  9.1\n"
              "Date   : 14.11.2023 22:13:20\n"
              "-->\n"
              "<svg width=\"853\" height=\"603\"\n"
              "  xmlns=\"http://www.w3.org/2000/svg\"\n"
              "  xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n"
              "\n"
              "</svg>\n");
}

TEST(SvgWriter, PolylinesHoldFiftyPointsAndBreakEveryFifth) {
    Svg svg;
    svg.move(0, 0);
    for (int i = 1; i <= 59; ++i) svg.draw(i, i % 3);
    // Points 0..49, then 49..59: a full buffer goes on from its last point;
    // a line break after every fifth point.
    auto polyline = [](int from, int to) {
        std::string out = "<polyline points=\"\n";
        for (int i = from; i <= to; ++i) {
            out += " " + std::to_string(i) + ".00, " + std::to_string(i % 3) + ".00";
            if ((i - from) % 5 == 4 && i != to) out += "\n";
        }
        return out + "\"/>\n";
    };
    EXPECT_EQ(svg.body(), "<g fill=\"none\" stroke=\"#000000\" stroke-width=\"1.000\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n" + polyline(0, 49) +
                              polyline(49, 59) + "</g>\n</svg>\n");
}

// Colour, width, cap and join each open a new group. The page starts with the
// projecting caps PostScript and PDF start with: dots of one plot unit need them.
TEST(SvgWriter, ColourWidthCapAndJoinOpenNewGroups) {
    Svg svg;
    svg.move(1, 1);
    svg.draw(2, 2);
    svg.driver.colour(svg.ctx, RED);            // ends the path
    svg.draw(3, 3);                             // goes on from (2, 2)
    EXPECT_TRUE(svg.driver.line_width(svg.ctx, 3));    // 3 plot units = 1.5 pixels
    svg.draw(4, 4);
    EXPECT_TRUE(svg.driver.pen_width(svg.ctx, 0.25));  // never thinner than 1 pixel
    svg.driver.colour(svg.ctx, TEAL);
    svg.move(7, 7);
    svg.draw(8, 8);
    svg.driver.line_cap(svg.ctx, 1);
    svg.driver.line_join(svg.ctx, 0);
    svg.draw(9, 9);
    EXPECT_EQ(svg.body(),
              "<g fill=\"none\" stroke=\"#000000\" stroke-width=\"1.000\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n"
              "<line x1=\"1.00\" y1=\"1.00\" x2=\"2.00\" y2=\"2.00\"/>\n"
              "</g>\n"
              "<g fill=\"none\" stroke=\"#ff0000\" stroke-width=\"1.000\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n"
              "<line x1=\"2.00\" y1=\"2.00\" x2=\"3.00\" y2=\"3.00\"/>\n"
              "</g>\n"
              "<g fill=\"none\" stroke=\"#ff0000\" stroke-width=\"1.500\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n"
              "<line x1=\"3.00\" y1=\"3.00\" x2=\"4.00\" y2=\"4.00\"/>\n"
              "</g>\n"
              "<g fill=\"none\" stroke=\"#008080\" stroke-width=\"1.000\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n"
              "<line x1=\"7.00\" y1=\"7.00\" x2=\"8.00\" y2=\"8.00\"/>\n"
              "</g>\n"
              "<g fill=\"none\" stroke=\"#008080\" stroke-width=\"1.000\" stroke-linecap=\"round\" stroke-linejoin=\"miter\">\n"
              "<line x1=\"8.00\" y1=\"8.00\" x2=\"9.00\" y2=\"9.00\"/>\n"
              "</g>\n</svg>\n");
}

TEST(SvgWriter, RectanglesAndPolygons) {
    Svg svg;
    svg.driver.colour(svg.ctx, TEAL);
    svg.move(0, 0);
    svg.draw(5, 5);                 // written before the rectangle
    EXPECT_TRUE(svg.driver.fill_rect(svg.ctx, 100, 200, 301, 400, RED));
    const double x[] = {0, 10, 20, 30, 40, 50, 60}, y[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_TRUE(svg.driver.fill_polygon(svg.ctx, 7, x, y));
    EXPECT_EQ(svg.body(),
              "<g fill=\"none\" stroke=\"#008080\" stroke-width=\"1.000\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n"
              "<line x1=\"0.00\" y1=\"0.00\" x2=\"5.00\" y2=\"5.00\"/>\n"
              "<rect x=\"50.00\" y=\"100.00\" width=\"101.50\" height=\"101.00\"\n"
              " fill=\"#ff0000\" stroke=\"none\"/>\n"
              "<polygon fill=\"#008080\" points=\"\n"
              " 0.00, 0.50 5.00, 1.00 10.00, 1.50 15.00, 2.00 20.00, 2.50\n"
              " 25.00, 3.00 30.00, 3.50\"/>\n"
              "</g>\n</svg>\n");
}

}  // namespace

// The fast two-decimal writer gives printf's digits, ties and signs included.
#include <algorithm>
#include <random>
#include <vector>

#include "output/drivers/fixed2.h"
#include "output/drivers/path_thinning.h"

namespace {

void expect_like_printf(double v) {
    char fast[kal::FIXED2_MAX + 1], slow[kal::FIXED2_MAX + 1];
    *kal::put_fixed2(fast, v) = '\0';
    std::snprintf(slow, sizeof slow, "%.2f", v);
    ASSERT_STREQ(fast, slow) << v;
    // The hundredths the thinning counts in are those written.
    if (std::fabs(v) <= 1e7) {
        ASSERT_EQ(kal::fixed2_steps_near(v), kal::fixed2_steps(v)) << v;
    }
}

TEST(Fixed2, SameDigitsAsPrintf) {
    for (double v : {0.0, -0.0, 0.005, 0.015, 0.125, 0.375, -0.125, 2.675, 1.005, -0.001, -0.005,
                     0.995, 9.995, 99.995, 1e12 + 0.125, 123456789.125, -5e-324, 1e13, -1e300})
        expect_like_printf(v);
    // Exact ties k/8 and values near every hundredth.
    for (int k = -100000; k <= 100000; ++k) {
        expect_like_printf(k / 8.0);
        expect_like_printf(k / 200.0);
        expect_like_printf(std::nextafter(k / 200.0, 1e9));
        expect_like_printf(std::nextafter(k / 200.0, -1e9));
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-1e7, 1e7), narrow(-2.0, 2.0);
    for (int i = 0; i < 300000; ++i) {
        expect_like_printf(wide(rng));
        expect_like_printf(narrow(rng));
    }
}

// The thinner's block loops, with and without a branch, keep what its
// point-by-point form keeps: a walk of repeated points, straight rows and
// turns, and far points.
TEST(PathThinner, BlocksKeepWhatSinglePointsKeep) {
    std::mt19937_64 rng(3);
    std::vector<double> x(20000), y(20000);
    double u = 0, v = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        // A noisy first half, then straight rows with a turn now and then.
        const int step = i < 10000 ? int(rng() % 5) : rng() % 50 ? 1 : 4;
        u += step == 0 ? 0 : 0.01 * (step % 2);
        v += step < 3 ? 0 : 0.01 * (step - 3) - 0.004;
        x[i] = i % 997 == 0 ? 4e5 : u + 0.001 * double(rng() % 3);   // written alike, given apart
        y[i] = v;
    }
    std::vector<double> one, block(4 * x.size());
    kal::PathThinner a, b;
    a.start(0, 0);
    b.start(0, 0);
    const auto keep = [&](double px, double py, double qx, double qy) { one.insert(one.end(), {px, py, qx, qy}); };
    for (size_t i = 0; i < x.size(); ++i) a.add(kal::fixed2_steps(x[i]), kal::fixed2_steps(y[i]), x[i], y[i], keep);
    int k = 0;
    for (size_t i = 0, n = 1; i < x.size(); i += n, n = n % 300 + 7)
        k += b.add_block(int(std::min(n, x.size() - i)), &x[i], &y[i], kal::fixed2_steps,
                         [&](int j, double px, double py, double qx, double qy) {
                             std::copy_n(std::begin({px, py, qx, qy}), 4, &block[size_t(4 * (k + j))]);
                         });
    block.resize(size_t(4 * k));
    EXPECT_EQ(block, one);
    EXPECT_LT(one.size(), 2 * x.size());   // most points left out
}

}  // namespace
