// The predefined colour tables entry by entry, the settings setvlt derives
// for each device, colour resolution, the colour scale, the colour models,
// fill patterns and saving and loading a table.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "api/entries.h"
#include "colour3d/colour.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/threads.h"

namespace {

using kal::Rgb;

std::string text(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

TEST(ColourTables, DocumentedEntries) {
    struct E { int table, i, r, g, b; };
    // Documented values and waypoints of each table; the reversed tables
    // read their originals backwards.
    const E cases[] = {{kal::TABLE_SPEC, 2, 250, 0, 255},  {kal::TABLE_SPEC, 52, 0, 0, 255},
                       {kal::TABLE_TEMP, 149, 253, 55, 0}, {kal::TABLE_TEMP, 150, 255, 57, 0},
                       {kal::TABLE_RAIN, 30, 0, 0, 255},   {kal::TABLE_RAIN, 138, 0, 255, 0},
                       {kal::TABLE_RAIN, 254, 255, 0, 0},  {kal::TABLE_RRAI, 225, 0, 0, 255},
                       {kal::TABLE_GREY, 100, 100, 100, 100}, {kal::TABLE_RGRE, 100, 155, 155, 155},
                       {kal::TABLE_SMAL, 6, 255, 128, 0},  {kal::TABLE_VGA, 6, 170, 85, 0}};
    for (const E& e : cases) {
        uint32_t t[256];
        kal::fill_predefined(t, e.table);
        EXPECT_EQ(t[e.i], kal::pack_entry(e.r, e.g, e.b)) << "table " << e.table << " entry " << e.i;
    }
}

// ---- setvlt for a device ---------------------------------------------------

class ColourDevice : public ::testing::Test {
protected:
    kal::Context* ctx = nullptr;
    void SetUp() override {
        bool created;
        ctx = &kal::acquire_record(created);
        ctx->frame.unit = kal::UNIT_NONE, ctx->frame.level = 1, ctx->page.scale = 1.0;
        device(kal::DEV_VEKM, 8);
    }
    void TearDown() override {
        ctx->frame.level = 0, ctx->page.scale = 1.0, ctx->colour.user_table_pending = false;
        device(0, 8);
    }
    void device(int number, int depth, int background = 0) {
        ctx->page.device = number, ctx->out.colour_depth = depth, ctx->page.background = background;
    }
    Rgb at(int i) const { return kal::unpack_entry(ctx->colour.table[i]); }
    int white() const { return ctx->colour.named[kal::NAMED_WHITE]; }
    int black() const { return ctx->colour.named[kal::NAMED_BLACK]; }
    // Runs `call` and returns the number of warnings it gave.
    int warnings(const std::function<void()>& call) const {
        const int before = ctx->frame.warnings;
        call();
        return ctx->frame.warnings - before;
    }
};

const int W = kal::direct_colour(255, 255, 255);
const int K = kal::direct_colour(0, 0, 0);

// The named white and black and the index settings a table gets on a device
// (-1: not checked).
TEST_F(ColourDevice, NamedColoursAndIndexRangesFollowTableAndDevice) {
    using namespace kal;
    struct Case { int table, device, depth, want[8]; };  // white, black, fg, bg, under, over, first, last
    const Case cases[] = {
        {TABLE_SMAL, DEV_POST, 24, {K, K, -1, -1, -1, -1, -1, -1}}, {TABLE_SMAL, DEV_VEKM, 8, {W, W, 1, 0, 0, 9, 1, 8}},
        {TABLE_GREY, DEV_POST, 24, {W, W, -1, -1, -1, -1, -1, -1}}, {TABLE_GREY, DEV_CGM, 24, {K, W, -1, -1, -1, -1, -1, -1}},
        {TABLE_RAIN, DEV_POST, 24, {W, K, 0, 255, 0, 255, 1, 254}}, {TABLE_RAIN, DEV_CGM, 24, {K, K, -1, -1, -1, -1, -1, -1}},
        {TABLE_RAIN, DEV_VEKM, 8, {W, K, 255, 0, 0, 255, 1, 254}}, {TABLE_RSPE, DEV_SVG, 24, {W, K, -1, -1, -1, -1, -1, -1}},
        {TABLE_RRAI, DEV_VEKM, 8, {K, W, -1, -1, -1, -1, -1, -1}},  {TABLE_RGRE, DEV_WMF, 24, {K, K, -1, -1, -1, -1, -1, -1}},
        {TABLE_VGA, DEV_VEKM, 8, {W, K, -1, -1, -1, -1, -1, -1}},   {TABLE_VGA, DEV_SVG, 24, {-1, -1, 15, 0, 0, 15, 1, 14}},
        {TABLE_RSPE, DEV_POST, 24, {-1, -1, 255, 0, 0, 255, 1, 254}},
    };
    for (const Case& c : cases) {
        device(c.device, c.depth), select_table(*ctx, c.table);
        SCOPED_TRACE(testing::Message() << "table " << c.table << " device " << c.device);
        const ColourState& s = ctx->colour;
        const int got[8] = {white(), black(), s.foreground, s.background, s.under, s.over, s.range_first, s.range_last};
        for (int i = 0; i < 8; ++i) if (c.want[i] != -1) { EXPECT_EQ(got[i], c.want[i]) << i; }
    }
}

// Entries 0 and `j` after loading a table: short tables are turned for paper
// devices; REVERS on a white page steps the table round (not on POST).
TEST_F(ColourDevice, TurnedAndReversedTables) {
    using namespace kal;
    struct Case { int device, depth, background, table, j; const char* entries; int under, white, black; };  // -1: not checked
    const Case cases[] = {
        {DEV_CGM, 24, 0, TABLE_SMAL, 1, "(255,255,255)(0,0,0)", -1, -1, -1},
        {DEV_VEKM, 8, 0, TABLE_VGA, 15, "(0,0,0)(255,255,255)", -1, -1, -1},
        {DEV_PDF, 24, 2, TABLE_RAIN, 255, "(255,255,255)(0,0,0)", 255, K, W},  // exchanged
        {DEV_SVG, 24, 2, TABLE_SMAL, 1, "(255,255,255)(0,0,0)", 9, K, K},
        {DEV_PNG, 8, 2, TABLE_GREY, 0, "(255,255,255)(255,255,255)", -1, K, K},
        {DEV_POST, 24, 2, TABLE_RAIN, 0, "(0,0,0)(0,0,0)", 0, -1, -1},
        {DEV_PDF, 24, 0, TABLE_RAIN, 0, "(0,0,0)(0,0,0)", -1, -1, -1},
    };
    for (const Case& c : cases) {
        device(c.device, c.depth, c.background), select_table(*ctx, c.table);
        SCOPED_TRACE(testing::Message() << "device " << c.device << " table " << c.table);
        EXPECT_EQ(text(at(0)) + text(at(c.j)), c.entries);
        const int got[3] = {ctx->colour.under, white(), black()}, want[3] = {c.under, c.white, c.black};
        for (int i = 0; i < 3; ++i) if (want[i] != -1) { EXPECT_EQ(got[i], want[i]) << i; }
    }
    device(DEV_KYOC, 8), select_table(*ctx, TABLE_TEMP);  // always loads SMAL
    EXPECT_STREQ(table_name_lower(*ctx), "smal");
    EXPECT_EQ(ctx->colour.foreground, 1);
    device(DEV_VEKM, 8), entry::setvlt("TEMP");
    entry::revscr();  // exchanges entry 0 with the foreground entry
    EXPECT_EQ(text(at(0)) + text(at(255)), "(255,255,255)(0,0,0)");
}

TEST_F(ColourDevice, CurveColourCycleRepeatsEightNamedColours) {
    kal::select_table(*ctx, kal::TABLE_RAIN);
    const int *n = ctx->colour.named, *cyc = ctx->colour.cycle;
    EXPECT_EQ(std::vector<int>({cyc[1], cyc[8], cyc[29]}),  // slot 30: 30 mod 8 = 6
              std::vector<int>({n[kal::NAMED_RED], n[kal::NAMED_WHITE], n[kal::NAMED_ORANGE]}));
    kal::entry::clrcyc(3, 77);
    EXPECT_EQ(cyc[2], 77);
    EXPECT_EQ(warnings([] { kal::entry::clrcyc(31, 1); kal::entry::clrcyc(1, -1); }), 2);
}

TEST_F(ColourDevice, SetvltKeywordsAndNames) {
    const char* keys[] = {"small", "spectrum", "RSPE", "rgrey"};
    const char* names[] = {"SMALL", "SPEC", "RSPEC", "RGREY"};
    for (int i = 0; i < 4; ++i) {
        kal::entry::setvlt(keys[i]);
        EXPECT_STREQ(kal::entry::getvlt(), names[i]);
    }
    EXPECT_EQ(kal::entry::getclr(), ctx->colour.foreground);  // the new table's foreground is current
}

TEST_F(ColourDevice, MyvltValidatesEverythingFirst) {
    kal::entry::setvlt("GREY");
    const float ok[2] = {0.2f, 0.4f}, bad[2] = {0.2f, 1.5f};
    EXPECT_EQ(warnings([&] { kal::entry::myvlt(ok, ok, bad, 2), kal::entry::myvlt(ok, ok, ok, 0), kal::entry::myvlt(ok, ok, ok, 257); }), 3);
    EXPECT_EQ(text(at(0)) + text(at(1)), "(0,0,0)(1,1,1)");  // nothing changed
    kal::entry::myvlt(ok, ok, ok, 2);
    EXPECT_EQ(at(1).b, 102);
}

// ---- single entries and resolution -----------------------------------------

// The warnings of these routines are checked end to end in test_colour.py;
// here the tolerance at the ends of the range and exact round trips.
TEST_F(ColourDevice, SetindGetindIntrgbIndrgb) {
    kal::entry::setvlt("RAIN"), kal::entry::setind(7, 1.0f, 0.5f, 0.0f);
    float r, g, b;
    kal::entry::getind(7, &r, &g, &b);
    EXPECT_EQ(std::vector<float>({r, g, b}), std::vector<float>({1.0f, 128 / 255.0f, 0.0f}));
    EXPECT_EQ(kal::entry::intrgb(1.0005f, -0.0005f, 0.0f), 0x010000FF);
    EXPECT_EQ(warnings([] { EXPECT_EQ(kal::entry::intrgb(1.01f, 0, 0), -1); }), 0);  // silently
    EXPECT_EQ(warnings([&] { kal::entry::setind(7, 0, 1.001f, 0); }), 1);
    EXPECT_EQ(kal::entry::indrgb(1.0f, 0.5f, 0.0f), 7);   // exact match
}

TEST_F(ColourDevice, ResolutionOfDirectAndIndexValues) {
    kal::entry::setvlt("SMALL");
    EXPECT_EQ(text(kal::resolve_rgb(*ctx, 256 + 2)), "(255,0,0)");   // index 2, modulo 256
    EXPECT_EQ(text(kal::resolve_rgb(*ctx, 0x010000FF)), "(255,0,0)");
    // Only the first nine entries count while SMAL is loaded.
    ctx->colour.table[100] = kal::pack_entry(10, 20, 30);
    EXPECT_EQ(kal::nearest_index(*ctx, 10, 20, 30, true), 0);
    // (255,64,0) lies 64 from red (2) and from orange (6): the lower index wins.
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 64, 0, false), 2);
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 192, 0, false), 5);  // 63 from yellow
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 128, 0, false), 6);

    ctx->out.colour_depth = 8;
    auto device_colour = [&](int colour) {
        const kal::DeviceColour d = kal::resolve_device_colour(*ctx, colour);
        return std::to_string(d.index) + text(d.rgb);
    };
    EXPECT_EQ(device_colour(0x0100FF00), "3(0,255,0)");
    ctx->out.colour_depth = 24;
    EXPECT_EQ(device_colour(0x0100FF00).substr(0, 2), "-1");
    EXPECT_EQ(device_colour(4), "4(0,0,255)");
}

// ---- colour scale ------------------------------------------------------------

TEST_F(ColourDevice, ValueToIndexOnLinearDescendingAndLogarithmicScales) {
    kal::entry::setvlt("RAIN");
    struct Case { double a, b; bool log, limits; double lo, hi, value; int index; };
    const Case cases[] = {
        {0, 1, false, false, 0, 0, 1.0, 254},  {0, 1, false, false, 0, 0, 0.0, 1},
        {0, 1, false, false, 0, 0, 1.5, 255},  {0, 1, false, false, 0, 0, -0.5, 0},
        {0, 1, false, false, 0, 0, 0.5, 128},  {1, 0, false, false, 0, 0, 2.0, 0},   // axis runs downward
        {1, 0, false, false, 0, 0, -1.0, 255}, {1, 0, false, false, 0, 0, 0.0, 254},
        {0, 2, true, false, 0, 0, 10.0, 128},  {0, 2, true, false, 0, 0, 0.5, 0},    // 1 .. 100
        {0, 2, true, false, 0, 0, 0.0, 0},     {0, 2, true, true, 50, 5, 2.0, 0},    // limits sorted
        {0, 2, true, true, 50, 5, 200.0, 255},
    };
    for (const Case& c : cases) {
        kal::set_colour_scale(*ctx, c.a, c.b, c.log, c.limits, c.lo, c.hi);
        EXPECT_EQ(kal::colour_index(*ctx, c.value), c.index) << c.a << ".." << c.b << " at " << c.value;
    }
    kal::entry::colran(10, 19);
    kal::set_colour_scale(*ctx, 0.0, 10.0, false, false, 0, 0);
    for (int v = 0; v < 10; ++v) EXPECT_EQ(kal::colour_index(*ctx, v + 0.5), 10 + v) << v;
}

// ---- colour models -------------------------------------------------------------

TEST_F(ColourDevice, HsvRoundTrips) {
    float r, g, b, h, s, v;
    kal::entry::rgbhsv(0.5f, 0.5f, 0.5f, &h, &s, &v);  // grey: no hue, no saturation
    EXPECT_EQ(std::vector<float>({h, s, v}), std::vector<float>({0.0f, 0.0f, 0.5f}));
    for (int hue = 0; hue < 360; hue += 7) {
        for (float sat : {0.25f, 0.6f, 1.0f}) {
            kal::entry::hsvrgb(float(hue), sat, 0.8f, &r, &g, &b);
            // Independent check: the largest component is the value, the
            // smallest value * (1 - saturation).
            EXPECT_NEAR(std::max({r, g, b}), 0.8f, 1e-5);
            EXPECT_NEAR(std::min({r, g, b}), 0.8f * (1 - sat), 1e-5);
            kal::entry::rgbhsv(r, g, b, &h, &s, &v);
            EXPECT_NEAR(h, hue, 1e-3) << hue << " " << sat;
            EXPECT_NEAR(s, sat, 1e-5);
            EXPECT_NEAR(v, 0.8f, 1e-6);
        }
    }
    EXPECT_EQ(warnings([&] {
        kal::entry::hsvrgb(360.001f, 1, 1, &r, &g, &b), kal::entry::hsvrgb(10, 1.01f, 1, &r, &g, &b);
        kal::entry::rgbhsv(0, 0, -0.01f, &h, &s, &v);
        kal::entry::hsvrgb(-0.00005f, 1, 1, &r, &g, &b);  // within the tolerance
    }), 3);
}

// ---- fill patterns ---------------------------------------------------------------

// A few predefined patterns, numbers read digit by digit, and mypat's own
// (a bad argument warns and leaves the pattern as it was).
TEST_F(ColourDevice, PatternsDecodeAndMypatChecks) {
    struct P { int number, angle, type, density, cross; };
    const P cases[] = {{0, 0, 0, 0, 0},   {2, 150, 4, 5, 0},  {5, 45, 1, 5, 1},
                       {16, 0, 1, 0, 0},  {17, 0, 5, 5, 0},  {4711, 4, 7, 1, 1}};
    for (const P& p : cases) {
        kal::entry::shdpat(p.number);
        const kal::ColourState& c = ctx->colour;
        EXPECT_EQ(kal::entry::getpat(), p.number);
        EXPECT_EQ(std::vector<int>({c.pattern_angle, c.pattern_type, c.pattern_density, c.pattern_cross}),
                  std::vector<int>({p.angle, p.type, p.density, p.cross}))
            << p.number;
    }
    kal::entry::mypat(45, 1, 3, 1);
    EXPECT_EQ(kal::entry::getpat(), 45131);
    EXPECT_EQ(warnings([] {
        kal::entry::mypat(180, 1, 1, 0), kal::entry::mypat(0, 8, 1, 0), kal::entry::mypat(0, 1, 10, 0), kal::entry::mypat(0, 1, 1, 2);
    }), 4);
    EXPECT_EQ(kal::entry::getpat(), 45131);
}

// ---- saving and loading ------------------------------------------------------------

class ColourFile : public ColourDevice {
protected:
    const std::string dir = testing::TempDir() + "kalvor_vlt_" + std::to_string(getpid());
    void SetUp() override { ColourDevice::SetUp(), std::filesystem::create_directories(dir); }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        ctx->page.file_mode = 0;
        ColourDevice::TearDown();
    }
};

TEST_F(ColourFile, SaveWritesTwoHundredFiftySixLinesAndLoadRestores) {
    kal::entry::setvlt("SPEC");
    const std::string name = dir + "/table.vlt";
    kal::entry::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, name);
    std::stringstream file;
    file << std::ifstream(name).rdbuf();
    const std::string text = file.str();
    ASSERT_EQ(text.size(), 256u * 31u);
    EXPECT_EQ(text.substr(0, 31) + text.substr(2 * 31, 31) + text.substr(255 * 31),  // SPEC 2: 250, 0, 255
              "  0.000000  0.000000  0.000000\n  0.980392  0.000000  1.000000\n  1.000000  1.000000  1.000000\n");

    uint32_t saved[256];
    std::copy(ctx->colour.table, ctx->colour.table + 256, saved);
    kal::entry::setvlt("GREY");
    kal::entry::vltfil(name.c_str(), "load");
    for (int i = 0; i < 256; ++i) EXPECT_EQ(ctx->colour.table[i], saved[i]) << i;

    // A second save counts versions, except in file mode DELE; a missing
    // file gives warning 36.
    kal::entry::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, dir + "/table_1.vlt");
    EXPECT_EQ(warnings([&] {
        kal::entry::vltfil((dir + "/none.vlt").c_str(), "LOAD");
        kal::entry::vltfil((dir + "/no/such/dir.vlt").c_str(), "SAVE"), kal::entry::vltfil(name.c_str(), "KEEP");
    }), 3);
    EXPECT_EQ(ctx->colour.saved_vlt_file, dir + "/table_1.vlt");
    ctx->page.file_mode = 1;  // DELE
    kal::entry::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, name);   // no new version

    // Short or bad files change nothing or only the good entries.
    kal::entry::setvlt("GREY");
    const std::string shorter = dir + "/short.vlt";
    auto load = [&](const std::string& first, int lines) {
        std::ofstream(shorter) << first;
        for (std::ofstream out(shorter, std::ios::app); lines > 0; --lines) out << "1 0 0\n";
        return warnings([&] { kal::entry::vltfil(shorter.c_str(), "LOAD"); });
    };
    EXPECT_EQ(load("", 100), 1);
    EXPECT_EQ(at(5).g, 5);  // unchanged
    EXPECT_EQ(load("0.5 2.0 0\n", 255), 1);  // one bad entry: warning 2 for it alone
    EXPECT_EQ(::text(at(0)) + ::text(at(200)), "(0,0,0)(255,0,0)");
}

}  // namespace
