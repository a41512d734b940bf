// A run of points handed to a document writer at once (Driver::polyline)
// writes the same bytes as the same points handed over one at a time: SVG,
// PostScript, EPS and PDF, compressed and not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/primitives.h"
#include "read_back.h"

namespace {

struct PointRun {
    int first, count, pen;
};

TEST(VectorRuns, SameBytesAsPointByPoint) {
    // A long wavy line in device units: many 50-point paths and, as PDF
    // operators, several 300000-byte content streams. Within it points far
    // outside what the formats hold, not numbers, and infinities, so that
    // the lines leave and re-enter the limit square.
    std::vector<double> x, y;
    for (int i = 0; i < 60000; ++i) {
        x.push_back(10.0 + 0.01 * i);
        y.push_back(300.0 + 250.0 * std::sin(0.013 * i) + 0.37 * (i % 7));
    }
    x[70] = 3e8;
    y[71] = -2e7;
    x[130] = NAN;
    y[131] = INFINITY;
    x[132] = -INFINITY;
    x[200] = y[200] = -5e9;
    const std::vector<PointRun> runs = {{0, 1, 3},     {1, 49, 2},     {50, 1, 2},   {51, 100, 2},
                                   {151, 256, 3}, {407, 3, 2},    {410, 2, 3},  {412, 255, 2},
                                   {667, 1, 3},   {668, 59332, 2}};
    const struct {
        int device;
        bool compress;
    } cases[] = {{kal::DEV_SVG, false}, {kal::DEV_EPS, false}, {kal::DEV_PS, false},
                 {kal::DEV_PDF, false}, {kal::DEV_PDF, true}};
    for (const auto& c : cases) {
        Document whole(c.device, 2, c.compress), single(c.device, 2, c.compress);
        for (const PointRun& r : runs) {
            whole.ctx.out.driver->polyline(whole.ctx, r.count, &x[r.first], &y[r.first], r.pen);
            for (int i = r.first; i < r.first + r.count; ++i)
                single.ctx.out.driver->move_draw(single.ctx, x[i], y[i], i == r.first ? r.pen : 2);
        }
        const std::string a = whole.finish(), b = single.finish();
        EXPECT_GT(a.size(), 100000u) << c.device;
        size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
        EXPECT_TRUE(a == b) << "device " << c.device << (c.compress ? " compressed" : "")
                            << ": first difference at byte " << at << " of " << a.size() << " and "
                            << b.size();
    }
}

}  // namespace
