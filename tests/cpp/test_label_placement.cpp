// Where labels, names and titles land, read from the pixels of a raster
// page (one pixel per plot unit). The ink of a string lies a few units
// inside its text box (side bearings), hence the tolerances of edges. X labels centred on their ticks, Y labels justified against the
// label line, SHIF keeping labels inside the axis, names centred on their
// axis, title lines above and below with underlining.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "output/raster/raster.h"
#include "plot2d/labels.h"

namespace {

struct Box {
    int x1 = 1 << 30, y1 = 1 << 30, x2 = -1, y2 = -1;
    int cx() const { return (x1 + x2) / 2; }
    int cy() const { return (y1 + y2) / 2; }
};

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        kal::entry::metafl("VIRT");
        kal::entry::page(1200, 900);
        kal::entry::sclmod("FULL");
        kal::entry::winsiz(1201, 901);  // one pixel per plot unit
        kal::entry::kalini();
        ctx = kal::fetch_record();
        ctx->frame.warnings_on = false;
        kal::entry::labdig(-1, "XY");
    }
    void TearDown() override { kal::entry::kalfin(); }

    // Drawn pixels of the page, split into groups by gaps of more than
    // `gap` pixels along X (by_x) or Y.
    std::vector<Box> groups(bool by_x, int gap = 15) const {
        const kal::Raster& r = *ctx->out.raster;
        std::vector<Box> columns(by_x ? r.width() : r.height());
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                if (r.pixel_index(x, y) != 0) {
                    Box& b = columns[by_x ? x : y];
                    b.x1 = std::min(b.x1, x), b.x2 = std::max(b.x2, x);
                    b.y1 = std::min(b.y1, y), b.y2 = std::max(b.y2, y);
                }
        std::vector<Box> out;
        int last = -1000;
        for (int i = 0; i < int(columns.size()); ++i) {
            const Box& c = columns[i];
            if (c.x2 < 0) continue;
            if (i - last > gap) out.push_back(Box{});
            Box& b = out.back();
            b.x1 = std::min(b.x1, c.x1), b.x2 = std::max(b.x2, c.x2);
            b.y1 = std::min(b.y1, c.y1), b.y2 = std::max(b.y2, c.y2);
            last = i;
        }
        return out;
    }

    static kal::AxisSide x_side(double a, double e, double step) {
        kal::AxisSide s;
        s.a = a, s.e = e, s.first = a, s.step = step;
        s.length = 801, s.x0 = 200, s.y0 = 600, s.tick_space = 24;
        return s;
    }
    static kal::AxisSide y_side(bool right) {
        kal::AxisSide s;
        s.axis = kal::AXIS_Y, s.side = right ? 2 : 4, s.outer = right;
        s.a = 0, s.e = 3, s.first = 0, s.step = 1;
        s.length = 601, s.x0 = right ? 900 : 300, s.y0 = 700, s.tick_space = 24;
        return s;
    }
    kal::Context* ctx = nullptr;
};

TEST_F(Placement, XLabelsCentredOnTicksBelowAndAbove) {
    kal::entry::height(30);
    kal::AxisSide s = x_side(0, 4, 1);
    EXPECT_EQ(kal::draw_axis_labels(*ctx, s), 29);
    std::vector<Box> g = groups(true);
    ASSERT_EQ(g.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_NEAR(g[k].cx(), 200 + k * 200, 3) << k;
        EXPECT_NEAR(g[k].y1, 600 + 24 + 24, 2);  // below ticks and label distance
        EXPECT_NEAR(g[k].y2, 600 + 48 + 29, 2);  // the baseline
    }
    kal::entry::erase();
    s.outer = true, s.side = 3;
    kal::draw_axis_labels(*ctx, s);
    g = groups(true);
    ASSERT_EQ(g.size(), 5u);
    EXPECT_NEAR(g[2].y2, 600 - 48, 2);

    // A crossed system leaves out the label at 0.
    kal::entry::erase();
    s = x_side(-2, 2, 1);
    s.crossed = true;
    kal::draw_axis_labels(*ctx, s);
    EXPECT_EQ(groups(true).size(), 4u);
}

TEST_F(Placement, ShiftKeepsEndLabelsInsideTheAxis) {
    kal::entry::labdig(3, "X");
    kal::draw_axis_labels(*ctx, x_side(0, 2, 1));
    std::vector<Box> g = groups(true);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_LT(g[0].x1, 200 - 10);
    EXPECT_GT(g[2].x2, 1000 + 10);
    kal::entry::erase();
    kal::entry::labpos("SHIF", "X");
    kal::draw_axis_labels(*ctx, x_side(0, 2, 1));
    g = groups(true);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0].x1, 204, 5);
    EXPECT_NEAR(g[1].cx(), 600, 3);
    EXPECT_NEAR(g[2].x2, 996, 5);
    // CENT: between the ticks, the last label left out.
    kal::entry::erase();
    kal::entry::labpos("CENT", "X");
    kal::draw_axis_labels(*ctx, x_side(0, 2, 1));
    g = groups(true);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[0].cx(), 400, 3);
    EXPECT_NEAR(g[1].cx(), 800, 3);
}

TEST_F(Placement, YLabelsJustifiedAgainstTheLabelLine) {
    kal::entry::labels("MYLA", "Y");
    const char* texts[] = {"1", "22222", "333", "4444444"};
    for (int i = 0; i < 4; ++i) kal::entry::mylab(texts[i], i + 1, "Y");
    const struct {
        bool right;
        const char* mode;
        bool ends_at_line;  // else all start at one place
    } cases[] = {{false, "AUTO", true}, {false, "INWA", true}, {false, "OUTW", false},
                 {true, "AUTO", true},  {true, "INWA", false}, {true, "LEFT", false}};
    for (const auto& c : cases) {
        kal::entry::erase();
        kal::entry::labjus(c.mode, "Y");
        const kal::AxisSide s = y_side(c.right);
        const int m = kal::draw_axis_labels(*ctx, s);
        const std::vector<Box> g = groups(false, 10);
        ASSERT_EQ(g.size(), 4u) << c.mode;
        const int line = c.right ? 900 + 48 : 300 - 48;
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(g[3 - k].cy(), 700 - k * 200, 3) << c.mode;  // groups run top-down
            const Box& b = g[3 - k];
            const int edge = c.ends_at_line ? b.x2 : b.x1;
            const int want = c.right ? (c.ends_at_line ? line + m : line) : (c.ends_at_line ? line : line - m);
            EXPECT_NEAR(edge, want, 8) << c.mode;
        }
    }
}

TEST_F(Placement, NamesCentredOnTheirAxis) {
    kal::entry::name("Distance in metres", "XY");
    kal::AxisSide s = x_side(0, 1, 1);
    s.draw_labels = false;
    kal::draw_axis_name(*ctx, s, 0);
    std::vector<Box> g = groups(false);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_NEAR(g[0].cx(), 600, 5);
    EXPECT_NEAR(g[0].y1, 600 + 24 + 30, 5);  // ticks and namdis
    for (bool right : {false, true}) {
        kal::entry::erase();
        s = y_side(right);
        kal::draw_axis_name(*ctx, s, 40);
        g = groups(true);
        ASSERT_EQ(g.size(), 1u);
        EXPECT_NEAR(g[0].cy(), 400, 5);  // the middle of the Y axis
        // Beyond the ticks, labdis, the label extent and namdis.
        if (right) EXPECT_NEAR(g[0].x1, 900 + 24 + 24 + 40 + 30, 5);
        else EXPECT_NEAR(g[0].x2, 300 - 24 - 24 - 40 - 30, 5);
    }
}

TEST_F(Placement, TitlesAboveAndBelowWithUnderline) {
    ctx->axes.x.start = 200, ctx->axes.x.length = 801;
    ctx->axes.y.start = 700, ctx->axes.y.length = 401;
    ctx->frame.level = 2;
    kal::entry::height(30);
    for (int i = 1; i <= 4; ++i) kal::entry::titlin(("Line " + std::to_string(i)).c_str(), i);
    kal::entry::title();
    const std::vector<Box> four = groups(false, 5);
    ASSERT_EQ(four.size(), 4u);
    EXPECT_NEAR(four[3].y2, 700 - 400 - 3 * 30, 8);  // line 4 lowest, 3 h above the system
    EXPECT_NEAR(four[0].cx(), 600, 3);
    // Line 2 alone keeps its place.
    kal::entry::erase();
    kal::entry::reset("TITLIN");
    kal::entry::titlin("Line 2", -2);
    kal::entry::title();
    const std::vector<Box> alone = groups(false, 5);
    ASSERT_EQ(alone.size(), 2u);  // the text and its underline
    EXPECT_EQ(alone[0].y1, four[1].y1);
    const int len = kal::entry::nlmess("Line 2");
    EXPECT_NEAR(alone[1].x2 - alone[1].x1, len + 30, 2);
    EXPECT_NEAR(alone[1].y1, 700 - 400 - 2 * 45 - 3 * 30 - 29 + 36, 2);  // 1.2 h below the box top
    // Below: the lines drawn stack down from 4 h under the lower edge.
    kal::entry::erase();
    kal::entry::titpos("BELO");
    kal::entry::titlin("Line 3", 3);
    kal::entry::title();
    const std::vector<Box> below = groups(false, 5);
    ASSERT_GE(below.size(), 2u);
    EXPECT_NEAR(below.front().y2, 700 + 4 * 30, 2);  // baselines
    EXPECT_NEAR(below.back().y2, 700 + 4 * 30 + 45, 2);
}

}  // namespace
