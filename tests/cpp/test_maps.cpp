// Map projections (round trips of every projection, the edge cases of the
// table) and the map data readers on synthetic and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "maps/grid_labels.h"
#include "maps/map_data.h"
#include "maps/projection.h"
#include "output/raster/raster.h"

namespace {

using namespace kal;

Projection made(int code) {
    Projection p;
    p.code = code;
    p.centre = 10;
    if (map_family(code) == FAMILY_CONIC) set_cone(p, 30, 50, 40);
    set_pole(p, 10, 40);
    return p;
}

TEST(Projections, EveryInverseRoundTripsOnItsMap) {
    for (int i = 0; i < PROJECTION_COUNT - 1; ++i) {
        const Projection p = made(PROJECTION_CODES[i]);
        const MapFamily fam = map_family(p.code);
        double worst = 0;
        for (double lat = -85; lat <= 85; lat += 8.5)
            for (double lon = -160; lon <= 180; lon += 10.3) {
                const double l = lon - 10;
                if (fam == FAMILY_AZIMUTHAL && pole_distance(p, lon, lat) > (p.code == PROJ_GNOM ? 1.4 : 2.8)) continue;
                if (p.code == PROJ_OBLI && pole_distance(p, lon, lat) < 0.02) continue;
                if (p.code == PROJ_POLY && std::fabs(l) > 90) continue;  // folded beyond
                double x, y, lo, la;
                ASSERT_TRUE(project(p, lon, lat, x, y)) << p.code;
                ASSERT_TRUE(unproject(p, x, y, lo, la)) << p.code << " " << lon << " " << lat;
                worst = std::max(worst, std::fabs(std::remainder(lo - lon, 360.0)) + std::fabs(la - lat));
            }
        EXPECT_LT(worst, 1e-9) << p.code;
    }
}

TEST(Projections, EdgeCasesOfTheTable) {
    double x, y, lo, la;
    // Mercator at the pole is 89.99 degrees: high up, not at the bottom.
    const Projection merc = made(PROJ_MERC);
    ASSERT_TRUE(project(merc, 0, 90, x, y));
    EXPECT_NEAR(y, std::log(std::tan(M_PI / 4 + 89.99 * M_PI / 360)), 1e-12);
    // ORTH beyond 90 degrees lies outside the unit circle (2 - sin c).
    const Projection orth = made(PROJ_ORTH);
    ASSERT_TRUE(project(orth, 10, -60, x, y));  // 100 degrees from the pole
    EXPECT_NEAR(std::hypot(x, y), 2 - std::sin(100 * M_PI / 180), 1e-12);
    // The antipode of an azimuthal map: direction 0.
    const Projection lamb = made(PROJ_LAMB);
    ASSERT_TRUE(project(lamb, -170, -40, x, y));
    EXPECT_NEAR(x, 2, 1e-9);
    EXPECT_NEAR(y, 0, 1e-6);
    // GNOM has no image of the far hemisphere; inverses off the map are NaN.
    EXPECT_FALSE(project(made(PROJ_GNOM), -170, 0, x, y));
    EXPECT_FALSE(unproject(made(PROJ_MOLL), 0, 2, lo, la));
    EXPECT_TRUE(std::isnan(lo) && std::isnan(la));
    EXPECT_FALSE(unproject(made(PROJ_HAMM), 3, 0, lo, la));
    // Two-parallel ALBE is equal-area: the area of a small cell is its
    // spherical area anywhere on the map.
    const Projection albe = made(PROJ_ALBE);
    for (double lat : {25.0, 45.0, 70.0}) {
        double x0, y0, x1, y1, x2, y2;
        const double d = 0.01;
        project(albe, 10, lat, x0, y0);
        project(albe, 10 + d, lat, x1, y1);
        project(albe, 10, lat + d, x2, y2);
        const double a = std::fabs((x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0));
        const double r = d * M_PI / 180;
        EXPECT_NEAR(a / (r * r * std::cos((lat + d / 2) * M_PI / 180)), 1, 1e-3) << lat;
    }
}

// ---- degree labels on discs ----

// A disc's degree labels lie outside its rim, touch no other label, name
// each meridian once, and cover the ink they draw (one pixel per plot unit).
TEST(GridLabels, DiscLabelsStayOutsideTheRimAndApart) {
    struct Case {
        const char* proj;
        float step;
        int every;
    };
    for (const Case c : {Case{"ORTH", 30, 1}, Case{"LAMB", 10, 1}, Case{"AZIM", 15, 2}}) {
        kal::entry::metafl("VIRT");
        kal::entry::page(2000, 2000);
        kal::entry::sclmod("FULL");
        kal::entry::winsiz(2001, 2001);
        kal::entry::kalini();
        Context* ctx = kal::fetch_record();
        ctx->frame.warnings_on = false;
        kal::entry::axspos(300, 1700);
        kal::entry::axslen(1400, 1400);
        kal::entry::projct(c.proj);
        kal::entry::mappol(10, 45);
        kal::entry::grafmp(-180, 180, -180, c.step, -90, 90, -90, c.step);
        const std::vector<GridLabel> labels = place_grid_labels(*ctx, c.every, c.every);
        const MapState& m = ctx->map;
        ASSERT_TRUE(m.disc) << c.proj;
        EXPECT_GE(labels.size(), 8u) << c.proj;
        for (size_t i = 0; i < labels.size(); ++i) {
            const GridLabel& a = labels[i];
            // the box's point nearest the centre lies beyond the rim
            const double nx = std::clamp(m.clip_cx, a.x, a.x + a.w), ny = std::clamp(m.clip_cy, a.y, a.y + a.h);
            EXPECT_GT(std::hypot(nx - m.clip_cx, ny - m.clip_cy), m.clip_r) << c.proj << " " << a.value;
            for (size_t j = 0; j < i; ++j) {
                const GridLabel& b = labels[j];
                EXPECT_FALSE(a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h)
                    << c.proj << " " << a.value << " on " << b.value;
                if (a.meridian && b.meridian) {
                    EXPECT_NE(std::remainder(a.value - b.value, 360.0), 0.0);
                }
            }
        }
        // Only the labels drawn: every inked pixel in some box (2 units slack).
        Raster& r = *ctx->out.raster;
        r.clear();
        draw_grid_labels(*ctx, c.every, c.every);
        long ink = 0, stray = 0;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x) {
                if (r.pixel_index(x, y) == 0) continue;
                ++ink;
                stray += std::none_of(labels.begin(), labels.end(), [&](const GridLabel& l) {
                    return x >= l.x - 2 && x <= l.x + l.w + 2 && y >= l.y - 2 && y <= l.y + l.h + 2;
                });
            }
        EXPECT_GT(ink, 100) << c.proj;
        EXPECT_EQ(stray, 0) << c.proj;
        kal::entry::endgrf();
        kal::entry::kalfin();
    }
}

// On a disc round a geographic pole the meridians come out of the pole:
// each is labelled once outside the rim, where it leaves the disc; the
// parallels, circles inside the rim, on one meridian, outwards in order.
TEST(GridLabels, PolarDiscMeridiansAtTheRimParallelsOnOneMeridian) {
    for (const double pole : {-90.0, 90.0}) {
        kal::entry::metafl("VIRT");
        kal::entry::kalini();
        Context* ctx = kal::fetch_record();
        kal::entry::axspos(300, 1700);
        kal::entry::axslen(1400, 1400);
        kal::entry::projct("STER");
        kal::entry::mappol(0, pole);
        kal::entry::grafmp(-180, 180, -180, 30, -90, 90, -90, 15);
        const MapState& m = ctx->map;
        ASSERT_TRUE(m.disc);
        std::vector<double> meridians, radii, turns;
        for (const GridLabel& l : place_grid_labels(*ctx, 1, 1)) {
            const double nx = std::clamp(m.clip_cx, l.x, l.x + l.w), ny = std::clamp(m.clip_cy, l.y, l.y + l.h);
            const double mx = l.x + l.w / 2 - m.clip_cx, my = l.y + l.h / 2 - m.clip_cy;
            if (l.meridian) {
                EXPECT_GT(std::hypot(nx - m.clip_cx, ny - m.clip_cy), m.clip_r) << pole << " " << l.value;
                meridians.push_back(l.value);
            } else if (std::fabs(l.value) < 89) {
                radii.push_back(std::hypot(mx, my));
                turns.push_back(std::atan2(my, mx));
                EXPECT_LT(radii.back(), m.clip_r) << pole << " " << l.value;
            }
        }
        std::sort(meridians.begin(), meridians.end());
        EXPECT_EQ(meridians, (std::vector<double>{-180, -150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150})) << pole;
        ASSERT_EQ(radii.size(), 5u) << pole;  // 15 .. 75 degrees from the rim
        for (size_t i = 1; i < radii.size(); ++i) {
            EXPECT_NEAR(turns[i], turns[0], 0.02) << pole;
            // from the south: away from a south pole, towards a north pole
            EXPECT_TRUE(pole < 0 ? radii[i] > radii[i - 1] : radii[i] < radii[i - 1]) << pole;
        }
        kal::entry::endgrf();
        kal::entry::kalfin();
    }
}

TEST(GridLabels, PseudoCylindricalRimMeridianOnce) {
    // Both sides of a Mollweide map are the meridian -180 = 180: one label,
    // at the left end of the equator, where no latitude label "0" competes.
    kal::entry::metafl("VIRT");
    kal::entry::kalini();
    Context* ctx = kal::fetch_record();
    kal::entry::axslen(2800, 1400);
    kal::entry::projct("MOLL");
    kal::entry::grafmp(-180, 180, -180, 30, -90, 90, -90, 30);
    std::vector<GridLabel> meridians;
    for (const GridLabel& l : place_grid_labels(*ctx, 1, 1)) {
        if (l.meridian)
            meridians.push_back(l);
        else
            EXPECT_NE(l.value, 0.0);
    }
    ASSERT_EQ(meridians.size(), 12u);  // -180, -150, ..., 150
    const auto leftmost = std::min_element(meridians.begin(), meridians.end(),
                                           [](const GridLabel& a, const GridLabel& b) { return a.x < b.x; });
    EXPECT_EQ(leftmost->value, -180.0);
    EXPECT_EQ(std::count_if(meridians.begin(), meridians.end(),
                            [](const GridLabel& l) { return std::fabs(l.value) == 180; }),
              1);
    kal::entry::endgrf();
    kal::entry::kalfin();
}

// ---- readers ----

std::FILE* memory(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

void be32(std::string& s, int32_t v) {
    const uint32_t u = uint32_t(v);
    for (int sh : {24, 16, 8, 0}) s.push_back(char((u >> sh) & 0xff));
}

std::string gshhs_polygon(int n, int level, const std::vector<std::pair<double, double>>& pts) {
    std::string s;
    const int32_t head[8] = {1, n, level, 0, 0, 0, 0, 0};
    for (int32_t v : head) be32(s, v);
    s.append(4, '\0');
    for (auto [lon, lat] : pts) {
        be32(s, int32_t(std::lround(lon * 1e6)));
        be32(s, int32_t(std::lround(lat * 1e6)));
    }
    return s;
}

struct Collected {
    std::vector<MapPolyline> lines;
    std::function<void(const MapPolyline&)> take() {
        return [this](const MapPolyline& p) { lines.push_back(p); };
    }
};

TEST(MapReaders, GshhsLevelsPenUpAndWrappedLongitudes) {
    std::string s = gshhs_polygon(4, 1, {{10, 0}, {11, 1}, {350, 2}, {351, 3}}) +
                    gshhs_polygon(2, 2, {{0, 0}, {1, 1}});
    Collected all, lakes;
    std::FILE* f = memory(s);
    EXPECT_EQ(read_gshhs(f, 0, all.take()), MapRead::OK);
    std::rewind(f);
    EXPECT_EQ(read_gshhs(f, 2, lakes.take()), MapRead::OK);
    std::fclose(f);
    ASSERT_EQ(all.lines.size(), 3u);       // 11 -> -10: pen up
    EXPECT_DOUBLE_EQ(all.lines[1].lon[0], -10);
    ASSERT_EQ(lakes.lines.size(), 1u);
    EXPECT_EQ(lakes.lines[0].code, 2);
}

TEST(MapReaders, HostileGshhsWarnsAndKeepsWhatCame) {
    const std::string good = gshhs_polygon(2, 1, {{0, 0}, {1, 1}});
    const std::string cases[] = {
        good + gshhs_polygon(2000000000, 1, {{0, 0}}),   // count beyond the file
        good + gshhs_polygon(-5, 1, {}),                  // negative count
        good + gshhs_polygon(3, 1, {{0, 0}, {1, 1}}),     // truncated
        good + gshhs_polygon(2, 1, {{0, 0}, {1e3, 1}}),   // wild coordinates
        good + std::string(10, '\x7f'),                   // short header
    };
    for (const std::string& s : cases) {
        Collected c;
        std::FILE* f = memory(s);
        EXPECT_EQ(read_gshhs(f, 0, c.take()), MapRead::DAMAGED);
        std::fclose(f);
        ASSERT_GE(c.lines.size(), 1u);
        EXPECT_EQ(c.lines[0].lon.size(), 2u);
    }
    Collected empty;
    std::FILE* f = memory("");
    EXPECT_EQ(read_gshhs(f, 0, empty.take()), MapRead::OK);
    std::fclose(f);
    EXPECT_TRUE(empty.lines.empty());
}

TEST(MapReaders, MapgLinesLongLinesAndNonsense) {
    const std::string text = "# one\n1 2\n3 4\n" + std::string(300, '5') + "\n5 6\nnan 3\nabc\n#\n200 1\n201 2\n";
    Collected c;
    std::FILE* f = memory(text);
    EXPECT_EQ(read_mapg(f, c.take()), MapRead::DAMAGED);
    std::fclose(f);
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.lines[0].lon.size(), 3u);
    EXPECT_DOUBLE_EQ(c.lines[1].lon[0], -160);
}

TEST(MapReaders, OwnDataCodesLimitsAndMissingEnd) {
    std::string s;
    auto pair = [&](double lon, double lat) {
        be32(s, int32_t(std::lround((lon + 180) * 1000)));
        be32(s, int32_t(std::lround((lat + 90) * 1000)));
    };
    be32(s, 3000), be32(s, 0), be32(s, -1);
    pair(0, 0), pair(1, 0), pair(1, 1);
    be32(s, 5000), be32(s, 0), be32(s, -1), be32(s, -1000);
    pair(2, 2), pair(3, 2), pair(3, 3), pair(4, 4);
    Collected c;
    long dropped = 0;
    std::FILE* f = memory(s);  // no -9000: the open polygon still counts
    EXPECT_EQ(read_own_map(f, 3, dropped, c.take()), MapRead::NO_END);
    std::fclose(f);
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.lines[0].code, 3);
    EXPECT_EQ(c.lines[1].code, 5);
    EXPECT_EQ(c.lines[0].lon.size(), 3u);
    EXPECT_EQ(dropped, 1);  // the fourth point of the second polygon
}

}  // namespace
