// The line layer and the fill primitives, observed through a recording
// driver: buffering, dashes, clipping, thick lines, pattern fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/context.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/primitives.h"
#include "util/array_scan.h"

namespace {

struct Call {
    double x, y;
    int pen;
};

class Recorder : public kal::Driver {
public:
    explicit Recorder(std::vector<Call>* calls) : calls_(calls) {}
    void move_draw(kal::Context&, double x, double y, int pen) override { calls_->push_back({x, y, pen}); }

private:
    std::vector<Call>* calls_;
};

// A context whose device points equal plot points (no device family).
struct Page {
    kal::Context ctx;
    std::vector<Call> calls;
    Page() {
        ctx.frame.unit = kal::UNIT_NONE;
        ctx.frame.level = 1;
        ctx.page.width = 2969;
        ctx.page.height = 2099;
        ctx.out.driver = std::make_unique<Recorder>(&calls);
        kal::reset_lines(ctx);
        kal::reset_clipping(ctx);
    }
    int count(int pen) const {
        int n = 0;
        for (const Call& c : calls) n += c.pen == pen;
        return n;
    }
    // Total drawn length.
    double ink() const {
        double total = 0;
        for (size_t i = 1; i < calls.size(); ++i)
            if (calls[i].pen == 2) total += std::hypot(calls[i].x - calls[i - 1].x, calls[i].y - calls[i - 1].y);
        return total;
    }
};

TEST(LineLayer, LongPolylineIsWrittenInBuffersWithoutABreak) {
    Page p;
    kal::line_move(p.ctx, 0, 500);
    for (int i = 1; i < 250; ++i) {
        kal::line_draw(p.ctx, i * 4.0, 500 + (i % 2));
        if (i == 98) { EXPECT_EQ(p.calls.size(), 0u); }  // a buffer holds 100 points
    }
    EXPECT_EQ(p.count(2), 99 + 99);                       // two full buffers written
    kal::line_flush(p.ctx);
    EXPECT_EQ(p.count(2), 249);   // every segment once
    EXPECT_EQ(p.count(3), 1);     // buffers join without a new move
    EXPECT_EQ(p.calls.back().x, 249 * 4.0);
}

// Around a corner: test_curves.py (a dashed curve's exact pieces).
TEST(LineLayer, DashesContinueAcrossBuffersAndMoves) {
    const double pattern[] = {10, 10};
    Page q;
    kal::set_dash_pattern(q.ctx, pattern, 2);
    kal::line_move(q.ctx, 0, 50);
    for (int i = 1; i <= 300; ++i) kal::line_draw(q.ctx, i, 50);  // across buffer boundaries
    kal::line_flush(q.ctx);
    EXPECT_NEAR(q.ink(), 150.0, 1e-9);
    EXPECT_EQ(q.count(3), 15);  // one move per dash

    Page r;  // the phase carries across moves
    kal::set_dash_pattern(r.ctx, pattern, 2);
    kal::line_move(r.ctx, 0, 0);
    kal::line_draw(r.ctx, 5, 0);
    kal::line_move(r.ctx, 0, 20);
    kal::line_draw(r.ctx, 20, 20);  // 5 drawn, 10 skipped, 5 drawn
    kal::line_flush(r.ctx);
    EXPECT_NEAR(r.ink(), 15.0, 1e-9);
}

TEST(Clipping, OutsideDroppedCrossingEndsOnTheEdgeAndCircle) {
    Page p;
    int* w = p.ctx.out.clip;
    w[0] = 100, w[1] = 100, w[2] = 200, w[3] = 200;
    kal::line_move(p.ctx, 300, 300);
    kal::line_draw(p.ctx, 400, 300);  // wholly outside
    kal::line_flush(p.ctx);
    EXPECT_TRUE(p.calls.empty());
    kal::line_move(p.ctx, 150, 150);
    kal::line_draw(p.ctx, 250, 150);  // leaves through x = 200
    kal::line_move(p.ctx, 50, 120);
    kal::line_draw(p.ctx, 250, 180);  // crosses both sides
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.calls.size(), 4u);
    EXPECT_NEAR(p.calls[1].x, 200.001, 1e-9);
    EXPECT_NEAR(p.calls[2].x, 99.999, 1e-9);
    EXPECT_NEAR(p.calls[2].y, 120 + 60 * (49.999 / 200), 1e-9);
    EXPECT_NEAR(p.calls[3].x, 200.001, 1e-9);
    p.calls.clear();
    kal::line_move(p.ctx, NAN, 0);  // segments with a non-finite end are dropped
    kal::line_draw(p.ctx, 100, INFINITY);
    kal::line_draw(p.ctx, 200, 200);
    kal::line_flush(p.ctx);
    EXPECT_TRUE(p.calls.empty());

    Page c;  // a circular window
    c.ctx.line.circle_clip = true;
    c.ctx.line.clip_cx = 500, c.ctx.line.clip_cy = 500, c.ctx.line.clip_r = 100;
    kal::line_move(c.ctx, 300, 500);
    kal::line_draw(c.ctx, 700, 500);  // through the centre: 200 long inside
    kal::line_move(c.ctx, 300, 700);
    kal::line_draw(c.ctx, 700, 700);  // misses the circle
    kal::line_flush(c.ctx);
    ASSERT_EQ(c.calls.size(), 2u);
    EXPECT_NEAR(c.calls[0].x, 400, 1e-9);
    EXPECT_NEAR(c.calls[1].x, 600, 1e-9);
}

// A fixed skew x' = x + y / 2 through the projection hook.
class Skew final : public kal::LineProjection {
public:
    void project(int n, const double* x, const double* y, bool, kal::ProjectedPieces& out) override {
        std::vector<double> px(x, x + n);
        for (int i = 0; i < n; ++i) px[size_t(i)] += y[i] / 2;
        ++calls;
        out.piece(n, px.data(), y);
    }
    int calls = 0;
};

TEST(Clipping, ProjectedLinesAreClippedAfterTheProjectionThenTransformed) {
    Page p;
    Skew skew;
    p.ctx.line.projection = &skew;
    int* w = p.ctx.out.clip;
    w[0] = 100, w[1] = 100, w[2] = 200, w[3] = 200;
    kal::line_move(p.ctx, 0, 150);
    kal::line_draw(p.ctx, 100, 150);  // lands on 75 .. 175: enters through x = 100
    const double x[] = {150, 190}, y[] = {180, 180};
    kal::line_polyline(p.ctx, 2, x, y);  // inside as given, beyond x = 200 once projected
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.calls.size(), 2u);
    EXPECT_NEAR(p.calls[0].x, 99.999, 1e-9);
    EXPECT_EQ(p.calls[0].y, 150);
    EXPECT_EQ(p.calls[1].x, 175);
    EXPECT_EQ(skew.calls, 2);  // once per flushed polyline

    p.calls.clear();
    p.ctx.line.transform = true;  // the page transformation follows the projection
    p.ctx.line.g = 10;
    kal::line_move(p.ctx, 100, 100);
    kal::line_draw(p.ctx, 120, 100);
    kal::line_flush(p.ctx);
    ASSERT_EQ(p.calls.size(), 2u);
    EXPECT_EQ(p.calls[0].x, 150);
    EXPECT_EQ(p.calls[0].y, 110);
    EXPECT_EQ(p.calls[1].x, 170);

    // A filled square becomes the skewed parallelogram: its fill lines are
    // laid on the page between the skewed sides.
    Page q;
    q.ctx.line.projection = &skew;
    q.ctx.colour.pattern_type = 1;
    q.ctx.colour.hatch_spacing = 10;
    const double sx[4] = {0, 100, 100, 0}, sy[4] = {300, 300, 400, 400};
    kal::fill_polygon(q.ctx, 4, sx, sy);
    int spans = 0;
    for (size_t i = 1; i < q.calls.size(); ++i) {
        if (q.calls[i].pen != 2) continue;
        const Call &a = q.calls[i - 1], &b = q.calls[i];
        EXPECT_NEAR(std::min(a.x, b.x), a.y / 2, 1e-9);
        EXPECT_NEAR(std::max(a.x, b.x), 100 + a.y / 2, 1e-9);
        ++spans;
    }
    EXPECT_GE(spans, 10);
}

// The extent of the outlines of a thick line from (100, 100) to (200, 100).
TEST(ThickLines, OutlinesAtGrowingDistancesAndLongCaps) {
    struct Case { int width, cap; double left, top, right, bottom; int draws; };  // -1 draws: not counted
    const Case cases[] = {
        {7, 0, NAN, 96.5, NAN, 103.5, 1 + 2 * 4},  // (7 + 1) / 3 = 2 passes at 1.5 and 3.5
        {4, 2, 98, NAN, 202, NAN, -1},             // one pass at half the width, caps beyond the ends
    };
    for (const Case& c : cases) {
        Page p;
        p.ctx.page.units = 1.0;
        p.ctx.line.width = c.width;
        p.ctx.line.cap = c.cap;
        kal::line_move(p.ctx, 100, 100);
        kal::line_draw(p.ctx, 200, 100);
        kal::line_flush(p.ctx);
        double box[4] = {1e9, 1e9, -1e9, -1e9};
        for (const Call& k : p.calls) {
            box[0] = std::min(box[0], k.x), box[1] = std::min(box[1], k.y);
            box[2] = std::max(box[2], k.x), box[3] = std::max(box[3], k.y);
        }
        const double want[4] = {c.left, c.top, c.right, c.bottom};  // NAN: not checked
        for (int i = 0; i < 4; ++i) if (!std::isnan(want[i])) { EXPECT_NEAR(box[i], want[i], 1e-9) << c.width << " " << i; }
        if (c.draws > 0) { EXPECT_EQ(p.count(2), c.draws); }
    }
}

// Two spans a line under the notch of a concave shape; a comb of 120
// crossings warns; a spacing below the coordinates' precision still ends.
TEST(ScanFill, ConcaveSpansCrossingLimitAndTinySpacing) {
    Page p;
    std::vector<std::vector<double>> rows;
    std::vector<double> ys;
    const double x[8] = {0, 30, 30, 70, 70, 100, 100, 0}, y[8] = {0, 0, 50, 50, 0, 0, 100, 100};
    ASSERT_TRUE(kal::scan_fill(p.ctx, x, y, 8, 10.0, rows, ys));
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].size(), ys[i] < 50 ? 4u : 2u) << ys[i];
    std::vector<double> cx = {0, 1200}, cy = {200, 200};  // the back, then the teeth
    for (int i = 119; i >= 0; --i) {
        cx.push_back(i * 10);
        cy.push_back(i % 2 ? 0 : 100);
    }
    const int before = p.ctx.frame.warnings;
    EXPECT_FALSE(kal::scan_fill(p.ctx, cx.data(), cy.data(), int(cx.size()), 10.0, rows, ys));
    EXPECT_EQ(p.ctx.frame.warnings, before + 1);
    const double tx[4] = {0, 100, 100, 0}, ty[4] = {1e6, 1e6, 1e6 + 1, 1e6 + 1};
    kal::scan_fill(p.ctx, tx, ty, 4, 2e-38, rows, ys);  // returns, whatever it finds
    EXPECT_LE(rows.size(), 1000000u);
}

TEST(LineLayer, DashesUnderADegeneratePageTransformEnd) {
    Page p;
    const double pattern[] = {10, 10};
    kal::set_dash_pattern(p.ctx, pattern, 2);
    kal::LineState& l = p.ctx.line;
    l.transform = true;
    l.a = 3e38, l.b = 0, l.c = 0, l.d = 0, l.e = 1e-30, l.g = 0;
    kal::line_move(p.ctx, 0, 1e30);
    kal::line_draw(p.ctx, 0, -1);
    kal::line_flush(p.ctx);
    EXPECT_LE(p.calls.size(), 4u);
}

struct PatternCase {
    int type, density, spans;
};

class PatternTypes : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTypes, SpanCountOnASquare) {
    const PatternCase pc = GetParam();
    Page p;
    kal::ColourState& c = p.ctx.colour;
    c.pattern_type = pc.type;
    c.pattern_density = pc.density;
    c.hatch_spacing = 10;
    const double x[4] = {0, 100, 100, 0}, y[4] = {0, 0, 100, 100};
    kal::pattern_fill(p.ctx, 4, x, y);
    int spans = 0;  // solid spans are single draws from one move
    for (size_t i = 1; i < p.calls.size(); ++i)
        spans += p.calls[i].pen == 2 && p.calls[i - 1].pen == 3;
    if (pc.type < 5) EXPECT_EQ(spans, pc.spans);
    else EXPECT_GT(p.count(2), pc.spans);  // styled types are dashed into more pieces
}

INSTANTIATE_TEST_SUITE_P(All, PatternTypes,
                         ::testing::Values(PatternCase{1, 0, 10}, PatternCase{0, 0, 10},
                                           PatternCase{2, 1, 7},   // groups of 2, gaps of 1
                                           PatternCase{3, 2, 6},   // groups of 3, gaps of 2
                                           PatternCase{4, 0, 8},   // 8 drawn, then 4 skipped
                                           PatternCase{5, 0, 10}, PatternCase{6, 0, 10},
                                           PatternCase{7, 0, 10}));

}  // namespace

// The vector scans against the plain definitions, with the odd point (NaN,
// outside, a repeat) at every index of arrays of every length up to 9.
TEST(ArrayScans, AgreeWithThePlainDefinitionsAtEveryIndex) {
    for (int n = 1; n <= 9; ++n) {
        for (int at = 0; at < n; ++at) {
            for (int kind = 0; kind < 4; ++kind) {
                std::vector<double> x(n), y(n);
                std::vector<float> fx(n), fy(n);
                for (int i = 0; i < n; ++i) x[i] = fx[i] = float(i), y[i] = fy[i] = float(i % 3);
                if (kind == 0) x[at] = fx[at] = NAN;
                if (kind == 1) y[at] = fy[at] = 5;                          // outside [-1, 4]
                if (kind == 2 && at > 0) x[at] = x[at - 1], y[at] = y[at - 1];
                if (kind == 3) fy[at] = -7, fx[at] = 20;                    // new bounds
                bool plain = true;
                for (int i = 0; i < n; ++i) {
                    plain &= x[i] >= -1 && x[i] <= 10 && y[i] >= -1 && y[i] <= 4;
                    if (i > 0) plain &= !(x[i] == x[i - 1] && y[i] == y[i - 1]);
                }
                EXPECT_EQ(kal::distinct_within(x.data(), y.data(), n, -1, 10, -1, 4), plain) << n << at << kind;
                const kal::FloatBounds b = kal::float_bounds(fx.data(), fy.data(), n);
                EXPECT_EQ(b.nan, kind == 0) << n << at;
                if (kind == 0) continue;
                EXPECT_EQ(b.xmin, *std::min_element(fx.begin(), fx.end()));
                EXPECT_EQ(b.xmax, *std::max_element(fx.begin(), fx.end()));
                EXPECT_EQ(b.ymin, *std::min_element(fy.begin(), fy.end()));
                EXPECT_EQ(b.ymax, *std::max_element(fy.begin(), fy.end()));
            }
        }
    }
}
