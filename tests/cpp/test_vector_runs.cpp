// A run of points handed to a document writer at once (Driver::polyline)
// writes the same bytes as the same points handed over one at a time: SVG,
// PostScript, EPS and PDF, compressed and not, with thinning set aside. And
// thinned, the path written is the unthinned one without the points that lie
// on it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
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

TEST(VectorRuns, SameBytesAsPointByPointWithoutThinning) {
    setenv("KALVOR_THINNING", "OFF", 1);
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
    unsetenv("KALVOR_THINNING");
}

using Path = std::vector<std::pair<double, double>>;

// The line paths of a document as its numbers are written (uncompressed
// PDF "m"/"l", PostScript "u"/"d", SVG polyline and line elements), a path
// that starts where the last one ended joined to it.
std::vector<Path> written_paths(const std::string& doc, int device) {
    std::vector<Path> paths;
    const auto add = [&](double x, double y, bool start) {
        if (start && !(paths.size() && paths.back().back() == std::make_pair(x, y))) paths.emplace_back();
        if (!start) paths.back().emplace_back(x, y);
        else if (paths.back().empty()) paths.back().emplace_back(x, y);
    };
    if (device == kal::DEV_SVG) {
        static const std::regex element(R"re(<polyline points="([^"]*)"|<line x1="([^"]*)" y1="([^"]*)" x2="([^"]*)" y2="([^"]*)")re");
        for (std::sregex_iterator m(doc.begin(), doc.end(), element), end; m != end; ++m) {
            std::vector<double> v;
            if ((*m)[1].matched) {
                std::string points = (*m)[1];
                for (char& c : points) if (c == ',') c = ' ';
                std::istringstream in(points);
                for (double d; in >> d;) v.push_back(d);
            } else {
                for (int i = 2; i <= 5; ++i) v.push_back(std::stod((*m)[i]));
            }
            for (size_t i = 0; i + 1 < v.size(); i += 2) add(v[i], v[i + 1], i == 0);
        }
        return paths;
    }
    const std::string move = device == kal::DEV_PDF ? "m" : "u", draw = device == kal::DEV_PDF ? "l" : "d";
    std::istringstream in(doc);
    std::string a, b, t;
    for (; in >> t; a = b, b = t)
        if (t == move || t == draw) add(std::stod(a), std::stod(b), t == move);
    return paths;
}

double distance_to_segment(std::pair<double, double> p, std::pair<double, double> a, std::pair<double, double> b) {
    const double dx = b.first - a.first, dy = b.second - a.second;
    const double l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((p.first - a.first) * dx + (p.second - a.second) * dy) / l2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    return std::hypot(p.first - a.first - t * dx, p.second - a.second - t * dy);
}

TEST(VectorRuns, ThinningLeavesOutOnlyPointsOnTheWrittenPath) {
    const struct {
        int device;
        double step;   // what the writer rounds to, in device units
    } cases[] = {{kal::DEV_SVG, 0.01}, {kal::DEV_EPS, 1.0}, {kal::DEV_PDF, 0.01}};
    for (const auto& c : cases) {
        // Points on a slope of the writer's grid, each written three times,
        // with teeth one step high (the least a written point can be off),
        // then a dense bend off the grid; handed over in runs of varying
        // length, with a colour change inside.
        std::vector<double> x, y;
        int teeth = 0;
        for (int i = 0; i < 20000; ++i) {
            if (i < 9000) {
                const int k = i / 3;
                const bool tooth = k % 7 == 3 && i % 3 == 1;
                teeth += tooth;
                x.push_back((40 + 3 * k) * c.step);
                y.push_back((300 + k + tooth) * c.step);
            } else {
                const double t = (i - 9000) * c.step / 3;
                x.push_back((40 + 9000) * c.step + t);
                y.push_back((300 + 3000) * c.step + 0.31 * t + 2e-3 * t * t / c.step);
            }
        }
        std::vector<Path> written[2];
        for (int thin = 0; thin < 2; ++thin) {
            setenv("KALVOR_THINNING", thin ? "ON" : "OFF", 1);
            Document doc(c.device, false);
            kal::Driver& d = *doc.ctx.out.driver;
            for (int at = 0, k = 1; at < 20000; at += k, k = k * 7 % 601 + 1) {
                const int n = std::min(k, 20000 - at);
                d.polyline(doc.ctx, n, &x[at], &y[at], at == 0 ? 3 : 2);
                if (at < 9000 && at + n >= 9000) d.colour(doc.ctx, 2);
            }
            written[thin] = written_paths(doc.finish(), c.device);
        }
        unsetenv("KALVOR_THINNING");
        const std::vector<Path>& all = written[0];
        const std::vector<Path>& thinned = written[1];
        ASSERT_EQ(all.size(), thinned.size()) << c.device;
        size_t kept = 0, total = 0;
        double worst = 0;
        for (size_t p = 0; p < all.size(); ++p) {
            const Path &a = all[p], &t = thinned[p];
            ASSERT_EQ(a.front(), t.front()) << c.device;
            ASSERT_EQ(a.back(), t.back()) << c.device;
            // Every kept point is one of the written points, in order; the
            // points between two kept ones lie on the segment joining them.
            size_t j = 0;
            for (size_t i = 1; i < t.size(); ++i) {
                const size_t from = j;
                while (j < a.size() && a[j] != t[i]) ++j;
                ASSERT_LT(j, a.size()) << c.device << ": a kept point that was never written";
                for (size_t q = from + 1; q < j; ++q)
                    worst = std::fmax(worst, distance_to_segment(a[q], t[i - 1], t[i]));
            }
            kept += t.size();
            total += a.size();
        }
        // Every point left out lies on the written path; every tooth and
        // its two corners stay.
        EXPECT_LE(worst, 1e-9 * c.step) << c.device;
        EXPECT_GE(kept, size_t(3 * teeth)) << c.device;
        EXPECT_LT(kept, total / 2) << c.device;
    }
}

}  // namespace
