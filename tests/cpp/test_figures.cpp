// Elementary figures observed through a recording driver: the points of
// arcs, the closing of filled arcs, rectangles, wind barbs and the
// user-coordinate forms on a hand-made axis system.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "api/routines_colour_tables_and_colour_selection.h"
#include "api/routines_drawing_in_plot_coordinates.h"
#include "api/routines_figures_and_symbols.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "output/driver.h"
#include "output/line_layer.h"

namespace {

struct Pt {
    double x, y;
};

struct Log {
    std::vector<std::vector<Pt>> lines;      // polylines as drawn
    std::vector<std::vector<Pt>> polygons;   // native solid fills
};

class Recorder : public kal::Driver {
public:
    explicit Recorder(Log* log) : log_(log) {}
    void move_draw(kal::Context&, double x, double y, int pen) override {
        if (pen == 3 || log_->lines.empty()) log_->lines.emplace_back();
        log_->lines.back().push_back({x, y});
    }
    bool fill_polygon(kal::Context&, int n, const double* x, const double* y) override {
        log_->polygons.emplace_back();
        for (int i = 0; i < n; ++i) log_->polygons.back().push_back({x[i], y[i]});
        return true;
    }

private:
    Log* log_;
};

struct Page {
    kal::Context ctx;
    Log log;
    Page() {
        ctx.frame.unit = kal::UNIT_NONE;
        ctx.frame.level = 1;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.out.driver = std::make_unique<Recorder>(&log);
        kal::reset_lines(ctx);
        kal::reset_clipping(ctx);
        kal::FigureState::reset(ctx);
        kal::SymbolState::reset(ctx);
    }
    int warnings_after(auto draw) {
        const int before = ctx.frame.warnings;
        draw();
        kal::line_flush(ctx);
        return ctx.frame.warnings - before;
    }
    // Axes of 1000 plot units from (500, 1500) upwards and to the right:
    // X linear 0..10, Y logarithmic 1..1000 or linear 0..10.
    void axes(bool ylog) {
        ctx.frame.level = 2;
        ctx.axes.x = {0, 10, 0, 1, 99.9, 500, 0, 10, false, 1000};
        ctx.axes.y = ylog ? kal::AxisScale{0, 3, 0, 1, 333, 1500, 1, 1000, true, 1000}
                          : kal::AxisScale{0, 10, 0, 1, 99.9, 1500, 0, 10, false, 1000};
    }
};

double degrees(Pt p, Pt c) { return std::atan2(c.y - p.y, p.x - c.x) * 180 / M_PI; }

TEST(Arcs, PointCountsAndSpans) {
    Page p;
    // A radius whose point count truncates to 0 draws nothing; 1 to 4 points
    // become a pentagon.
    EXPECT_EQ(p.warnings_after([&] { kal::circle(p.ctx, 500, 500, 1); }), 0);
    EXPECT_TRUE(p.log.lines.empty());
    kal::circle(p.ctx, 500, 500, 3);
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.log.lines.size(), 1u);
    ASSERT_EQ(p.log.lines[0].size(), 6u);
    EXPECT_NEAR(p.log.lines[0][0].x, p.log.lines[0][5].x, 1e-9);

    // Equal angles: the whole ellipse, with its half axes in x and y.
    p.log.lines.clear();
    kal::arcell(p.ctx, 1000, 1000, 300, 100, 45, 45, 0);
    kal::line_flush(p.ctx);
    const auto& e = p.log.lines.at(0);
    double xmax = 0, ymax = 0;
    for (Pt q : e) {
        xmax = std::max(xmax, std::fabs(q.x - 1000));
        ymax = std::max(ymax, std::fabs(q.y - 1000));
    }
    EXPECT_NEAR(xmax, 300, 1);
    EXPECT_NEAR(ymax, 100, 1);
    EXPECT_NEAR(e.front().x, e.back().x, 1e-3);
    EXPECT_NEAR(e.front().y, e.back().y, 1e-3);

    // 350 to 10 degrees: a 20-degree arc across 0, counter-clockwise on the page.
    p.log.lines.clear();
    kal::arcell(p.ctx, 1000, 1000, 500, 200, 350, 10, 0);
    kal::line_flush(p.ctx);
    const auto& a = p.log.lines.at(0);
    EXPECT_NEAR(degrees(a.front(), {1000, 1000}), -10, 1e-3);
    EXPECT_NEAR(degrees(a.back(), {1000, 1000}), 10, 1e-3);
    for (Pt q : a) EXPECT_LT(std::fabs(degrees(q, {1000, 1000})), 10.001);
    EXPECT_GT(a[1].y, a.back().y);   // first steps lie below the end point on the page

    // Half axes below 1 warn and draw nothing.
    p.log.lines.clear();
    EXPECT_EQ(p.warnings_after([&] { kal::ellips(p.ctx, 10, 10, 0, 5); }), 1);
    EXPECT_TRUE(p.log.lines.empty());
}

TEST(Arcs, FilledArcClosesThroughTheCentre) {
    Page p;
    kal::arcell(p.ctx, 800, 800, 200, 200, 0, 90, 0);
    kal::line_flush(p.ctx);
    EXPECT_TRUE(p.log.polygons.empty());
    EXPECT_NE(p.log.lines.at(0).back().x, 800);   // open: ends on the arc

    p.log.lines.clear();
    kal::shdpat(p.ctx, 16);
    kal::arcell(p.ctx, 800, 800, 200, 200, 0, 90, 0);
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.log.polygons.size(), 1u);
    const auto& poly = p.log.polygons[0];
    const Pt centre = poly[poly.size() - 2];
    EXPECT_DOUBLE_EQ(centre.x, 800);
    EXPECT_DOUBLE_EQ(centre.y, 800);
    EXPECT_EQ(p.log.lines.at(0).size(), poly.size());   // the outline follows the same closed path
}

TEST(Rectangles, ZeroWidthWarnsOneWidthDraws) {
    Page p;
    EXPECT_EQ(p.warnings_after([&] { kal::rectan(p.ctx, 100, 100, 0, 50); }), 1);
    EXPECT_TRUE(p.log.lines.empty());
    EXPECT_EQ(p.warnings_after([&] { kal::rectan(p.ctx, 100, 100, 1, 50); }), 0);
    ASSERT_EQ(p.log.lines.size(), 1u);
    for (Pt q : p.log.lines[0]) EXPECT_EQ(q.x, 100);

    // Rounded corners stay inside the rectangle and touch its sides.
    p.log.lines.clear();
    kal::rndrec(p.ctx, 100, 100, 400, 200, 9);
    kal::line_flush(p.ctx);
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (Pt q : p.log.lines.at(0)) {
        x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
    }
    EXPECT_NEAR(x0, 100, 1e-6);
    EXPECT_NEAR(x1, 499, 1e-6);
    EXPECT_NEAR(y0, 100, 1e-6);
    EXPECT_NEAR(y1, 299, 1e-6);
    EXPECT_EQ(p.warnings_after([&] { kal::rndrec(p.ctx, 0, 0, 10, 10, 10); }), 1);
}

TEST(WindBarbs, PennantBarbsAndCalm) {
    Page p;
    kal::hsymbl(p.ctx, 60);
    kal::windbr(p.ctx, 65, 1000, 1000, 400, 90);   // shaft towards +x
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.log.polygons.size(), 1u);           // one pennant
    for (Pt q : p.log.polygons[0]) EXPECT_GE(q.x, 1400 - 20 - 1e-9);   // at the far end
    // Strokes leaving the shaft below the pennant: a full barb 60 across
    // leaning 20 outwards, then a half barb 30 across leaning 10.
    std::vector<Pt> barbs;
    for (const auto& l : p.log.lines)
        for (size_t i = 1; i < l.size(); ++i)
            if (std::fabs(l[i - 1].y - 1000) < 0.01 && l[i].y > 1001 && l[i - 1].x < 1370)
                barbs.push_back({l[i].x - l[i - 1].x, l[i].y - l[i - 1].y});
    ASSERT_EQ(barbs.size(), 2u);
    EXPECT_NEAR(barbs[0].x, 20, 0.01);
    EXPECT_NEAR(barbs[0].y, 60, 0.01);
    EXPECT_NEAR(barbs[1].x, 10, 0.01);
    EXPECT_NEAR(barbs[1].y, 30, 0.01);

    // Calm: two circles of diameters 60 and 48, nothing else.
    p.log = {};
    kal::windbr(p.ctx, 0.4f, 1000, 1000, 400, 90);
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.log.lines.size(), 2u);
    EXPECT_TRUE(p.log.polygons.empty());
    EXPECT_NEAR(p.log.lines[0][0].x - 1000, 30, 1e-6);
    EXPECT_NEAR(p.log.lines[1][0].x - 1000, 24, 1e-6);
}

TEST(UserForms, LogAxesAndLengths) {
    Page p;
    p.axes(true);
    EXPECT_EQ(p.warnings_after([&] { kal::rlcirc(p.ctx, 5, 0, 1); }), 1);
    EXPECT_TRUE(p.log.lines.empty());
    EXPECT_EQ(p.warnings_after([&] { kal::rlcirc(p.ctx, 5, 10, 1); }), 0);
    // Centre (5, 10) at (1000, 1167), radius one X unit of 99.9 plot units.
    ASSERT_EQ(p.log.lines.size(), 1u);
    EXPECT_NEAR(p.log.lines[0][0].x, 1000 + 100, 1e-6);
    EXPECT_NEAR(p.log.lines[0][0].y, 1167, 1e-6);

    // The window narrows to the axis system for the figure only.
    Page q;
    q.axes(false);
    kal::rline(q.ctx, -5, 5, 15, 5);
    kal::line_flush(q.ctx);
    ASSERT_EQ(q.log.lines.size(), 1u);
    EXPECT_NEAR(q.log.lines[0][0].x, 500, 1e-2);
    EXPECT_NEAR(q.log.lines[0][1].x, 1499, 1e-2);
    EXPECT_EQ(q.ctx.out.clip[2], 2969);
}

}  // namespace
