// Where labels, names and titles land, read from the pixels of a raster
// page (one pixel per plot unit). The ink of a string lies a few units
// inside its text box (side bearings), hence the tolerances of edges. X labels
// centred on their ticks, Y labels justified against the label line, SHIF
// keeping labels inside the axis, the names of separate axes, the degree
// labels around a polar system, title lines above and below with underlining.
// Names of an axis system and labels left out where crossed axes meet are
// judged on whole systems in test_axis_plots.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    void add(int x, int y) { x1 = std::min(x1, x), x2 = std::max(x2, x), y1 = std::min(y1, y), y2 = std::max(y2, y); }
};

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        kal::entry::metafl("VIRT"), kal::entry::page(1200, 900), kal::entry::sclmod("FULL");
        kal::entry::winsiz(1201, 901);  // one pixel per plot unit
        kal::entry::kalini(), kal::entry::labdig(-1, "XY");
        ctx = kal::fetch_record();
        ctx->frame.warnings_on = false;
    }
    void TearDown() override { kal::entry::kalfin(); }

    // Pixels of the page, row after row.
    std::vector<int> snapshot() const {
        const kal::Raster& r = *ctx->out.raster;
        std::vector<int> out;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x) out.push_back(r.pixel_index(x, y));
        return out;
    }

    // Drawn pixels of the page (those not drawn in `before` when given),
    // split into groups by gaps of more than `gap` pixels along X (by_x) or Y
    // (at the default height a point stands 18 pixels off a narrow digit).
    std::vector<Box> groups(bool by_x, int gap = 20, const std::vector<int>& before = {}) const {
        const kal::Raster& r = *ctx->out.raster;
        std::vector<Box> columns(by_x ? r.width() : r.height());
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                if (r.pixel_index(x, y) != 0 && (before.empty() || before[y * r.width() + x] == 0))
                    columns[by_x ? x : y].add(x, y);
        std::vector<Box> out;
        int last = -1000;
        for (int i = 0; i < int(columns.size()); ++i) {
            const Box& c = columns[i];
            if (c.x2 < 0) continue;
            if (i - last > gap) out.push_back(Box{});
            out.back().add(c.x1, c.y1), out.back().add(c.x2, c.y2);
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
    // Erases the page, draws the labels of `s` and returns their groups along X.
    std::vector<Box> x_labels(const kal::AxisSide& s) {
        kal::entry::erase();
        kal::draw_axis_labels(*ctx, s);
        return groups(true);
    }
    kal::Context* ctx = nullptr;
};

// Centring on the ticks is also judged on whole systems in PNG and PDF (test_axis_plots.py).
TEST_F(Placement, XLabelsCentredOnTicksBelowAndAbove) {
    kal::entry::height(30);
    kal::AxisSide s = x_side(0, 4, 1);
    EXPECT_EQ(kal::draw_axis_labels(*ctx, s), 29);
    std::vector<Box> g = groups(true);
    ASSERT_EQ(g.size(), 5u);
    EXPECT_NEAR(g[4].cx(), 1000, 3);
    EXPECT_NEAR(g[4].y1, 600 + 24 + 24, 2);  // below ticks and label distance
    EXPECT_NEAR(g[4].y2, 600 + 48 + 29, 2);  // the baseline
    s.outer = true, s.side = 3;
    g = x_labels(s);
    ASSERT_EQ(g.size(), 5u);
    EXPECT_NEAR(g[2].y2, 600 - 48, 2);
}

TEST_F(Placement, ShiftKeepsEndLabelsInsideTheAxis) {
    kal::entry::labdig(3, "X");
    std::vector<Box> g = x_labels(x_side(0, 2, 1));
    ASSERT_EQ(g.size(), 3u);
    EXPECT_LT(g[0].x1, 200 - 10);
    EXPECT_GT(g[2].x2, 1000 + 10);
    kal::entry::labpos("SHIF", "X");
    g = x_labels(x_side(0, 2, 1));
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0].x1, 204, 5);
    EXPECT_NEAR(g[1].cx(), 600, 7);  // "1.000": the 1 stands a bearing into its advance
    EXPECT_NEAR(g[2].x2, 996, 5);
    // CENT: between the ticks, the last label left out.
    kal::entry::labpos("CENT", "X");
    g = x_labels(x_side(0, 2, 1));
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[0].cx(), 400, 3);
    EXPECT_NEAR(g[1].cx(), 800, 7);
}

TEST_F(Placement, YLabelsJustifiedAgainstTheLabelLine) {
    kal::entry::labels("MYLA", "Y");
    const char* texts[] = {"8", "22222", "333", "4444444"};
    for (int i = 0; i < 4; ++i) kal::entry::mylab(texts[i], i + 1, "Y");
    const struct { bool right; const char* mode; bool ends_at_line; /* else all start at one place */ } cases[] = {{false, "AUTO", true}, {false, "INWA", true}, {false, "OUTW", false},
                 {true, "AUTO", true},  {true, "INWA", false}, {true, "LEFT", false}};
    for (const auto& c : cases) {
        kal::entry::erase(), kal::entry::labjus(c.mode, "Y");
        const int m = kal::draw_axis_labels(*ctx, y_side(c.right));
        const std::vector<Box> g = groups(false, 10);
        ASSERT_EQ(g.size(), 4u) << c.mode;
        const int line = c.right ? 900 + 48 : 300 - 48;
        for (int k = 0; k < 4; ++k) {
            const Box& b = g[3 - k];  // groups run top-down
            EXPECT_NEAR(b.cy(), 700 - k * 200, 3) << c.mode;
            const int edge = c.ends_at_line ? b.x2 : b.x1;
            const int want = c.right ? (c.ends_at_line ? line + m : line) : (c.ends_at_line ? line : line - m);
            EXPECT_NEAR(edge, want, 8) << c.mode;
        }
    }
}

TEST_F(Placement, SeparateAxesDrawTheirOwnName) {
    kal::entry::labels("NONE", "XY"), kal::entry::ticks(0, "XY");
    kal::entry::height(36);  // the name height
    const int len = kal::entry::nlmess("Alto");
    kal::entry::name("A much longer name setting", "XY");
    kal::entry::xaxis(0, 1, 0, 1, 801, "Alto", 0, 200, 600);
    std::vector<Box> g = groups(false);
    ASSERT_EQ(g.size(), 2u);  // the axis line and the name below it
    EXPECT_NEAR(g[1].cx(), 600, 4);
    EXPECT_NEAR(g[1].x2 - g[1].x1, len, 6);
    EXPECT_NEAR(g[1].y1, 600 + 30, 5);  // namdis
    kal::entry::erase();
    kal::entry::xaxis(0, 1, 0, 1, 801, "", 0, 200, 600);
    EXPECT_EQ(groups(false).size(), 1u);
    kal::entry::erase();
    kal::entry::yaxis(0, 1, 0, 1, 601, "Alto", 1, 900, 700);  // labels right: name reads downwards
    g = groups(true);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[1].cy(), 400, 4);
    EXPECT_NEAR(g[1].y2 - g[1].y1, len, 6);
    EXPECT_NEAR(g[1].x1, 900 + 30, 5);
}

TEST_F(Placement, PolarLabelsAlongTheRadiusAndAroundTheCircle) {
    auto draw = [](const char* x_labels, const char* y_labels) {
        kal::entry::erase(), kal::entry::labels(x_labels, "X"), kal::entry::labels(y_labels, "Y");
        kal::entry::polar(1, 0, 0.5, 0, 30), kal::entry::endgrf();
    };
    kal::entry::labdig(1, "X");
    kal::entry::axspos(300, 800);  // the circle from y 200 to 800, labels inside the page
    draw("NONE", "NONE");
    const std::vector<int> bare = snapshot();
    kal::entry::polar(1, 0, 0.5, 0, 30);
    const double cx = kal::entry::xposn(0), cy = kal::user_to_plot(*ctx, 0, 0).y, r = kal::entry::xposn(1) - cx;
    kal::entry::endgrf();
    const double beyond = 24 + 24;  // major tick and labdis

    // Radius labels 0.0, 0.5 and 1.0 centred on their ticks below the radius axis.
    draw("FLOA", "NONE");
    std::vector<Box> g = groups(true, 20, bare);
    ASSERT_EQ(g.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(g[k].cx(), cx + r * k / 2, 7) << k;  // 1.0 starts after the 1's bearing
        EXPECT_NEAR(g[k].y1, cy + beyond, 4) << k;
    }

    // Twelve degree labels outside the circle: each box is centred on the
    // ray of its tick and its nearest point lies just beyond the tick end.
    draw("NONE", "FLOA");
    const kal::Raster& ras = *ctx->out.raster;
    std::vector<Box> at(12);
    for (int y = 0; y < ras.height(); ++y)
        for (int x = 0; x < ras.width(); ++x) {
            if (ras.pixel_index(x, y) == 0 || bare[y * ras.width() + x] != 0) continue;
            const double deg = std::atan2(cy - y, x - cx) * 180 / 3.14159265358979;
            at[int(std::lround((deg < -15 ? deg + 360 : deg) / 30)) % 12].add(x, y);
        }
    for (int k = 0; k < 12; ++k) {
        const Box& b = at[k];
        ASSERT_GE(b.x2, 0) << k;
        const double c = std::cos(k * 30 * 3.14159265358979 / 180), s = -std::sin(k * 30 * 3.14159265358979 / 180);
        const double mx = (b.x1 + b.x2) / 2.0 - cx, my = (b.y1 + b.y2) / 2.0 - cy;
        EXPECT_NEAR(mx * s - my * c, 0, 8) << k;  // on the ray (the raised "o" adds ink above)
        // Distance of the box's nearest point from the centre.
        const double near = std::hypot(std::max({b.x1 - cx, 0.0, cx - b.x2}), std::max({b.y1 - cy, 0.0, cy - b.y2}));
        EXPECT_NEAR(near, r + beyond, 8) << k;
    }
}

TEST_F(Placement, TitlesAboveAndBelowWithUnderline) {
    ctx->axes.x.start = 200, ctx->axes.x.length = 801;
    ctx->axes.y.start = 700, ctx->axes.y.length = 401;
    ctx->frame.level = 2, kal::entry::height(30);
    for (int i = 1; i <= 4; ++i) kal::entry::titlin(("Line " + std::to_string(i)).c_str(), i);
    kal::entry::title();
    const std::vector<Box> four = groups(false, 5);
    ASSERT_EQ(four.size(), 4u);
    EXPECT_NEAR(four[3].y2, 700 - 400 - 3 * 30, 8);  // line 4 lowest, 3 h above the system
    EXPECT_NEAR(four[0].cx(), 600, 3);
    // Line 2 alone keeps its place.
    kal::entry::erase(), kal::entry::reset("TITLIN");
    kal::entry::titlin("Line 2", -2), kal::entry::title();
    const std::vector<Box> alone = groups(false, 5);
    ASSERT_EQ(alone.size(), 2u);  // the text and its underline
    EXPECT_EQ(alone[0].y1, four[1].y1);
    EXPECT_NEAR(alone[1].x2 - alone[1].x1, kal::entry::nlmess("Line 2") + 30, 2);
    EXPECT_NEAR(alone[1].y1, 700 - 400 - 2 * 45 - 3 * 30 - 29 + 36, 2);  // 1.2 h below the box top
    // Below: the lines drawn stack down from 4 h under the lower edge.
    kal::entry::erase(), kal::entry::titpos("BELO");
    kal::entry::titlin("Line 3", 3), kal::entry::title();
    const std::vector<Box> below = groups(false, 5);
    ASSERT_GE(below.size(), 2u);
    EXPECT_NEAR(below.front().y2, 700 + 4 * 30, 2);  // baselines
    EXPECT_NEAR(below.back().y2, 700 + 4 * 30 + 45, 2);
}

}  // namespace
