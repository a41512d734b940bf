// The predefined colour tables entry by entry, the settings setvlt derives
// for each device, colour resolution, the colour scale, the colour models,
// fill patterns and saving and loading a table.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "api/routines.h"
#include "colour3d/colour.h"
#include "colour3d/colour_tables.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/threads.h"

namespace {

using kal::Rgb;

// Rounds to nearest with halves up; the small bias keeps exact halves that
// binary floating point cannot represent (1.7 * 5 = 8.5) from falling short.
int nearest(double x) { return static_cast<int>(std::floor(x + 0.5 + 1e-9)); }

Rgb entry(const uint32_t* t, int i) {
    return {int(t[i] >> 16 & 0xFF), int(t[i] >> 8 & 0xFF), int(t[i] & 0xFF)};
}

// ---- the formulas, written out independently ------------------------------

Rgb rainbow(int i) {
    if (i == 0) return {0, 0, 0};
    if (i == 255) return {255, 255, 255};
    static const int W[13][4] = {{1, 34, 0, 68},     {5, 51, 0, 102},    {13, 51, 0, 170},
                                 {18, 34, 0, 204},   {22, 34, 0, 238},   {26, 17, 0, 255},
                                 {30, 0, 0, 255},    {96, 0, 255, 255},  {117, 0, 255, 170},
                                 {138, 0, 255, 0},   {146, 68, 255, 0},  {192, 255, 255, 0},
                                 {254, 255, 0, 0}};
    int k = 0;
    while (W[k + 1][0] < i) ++k;
    const double f = double(i - W[k][0]) / (W[k + 1][0] - W[k][0]);
    auto lerp = [&](int c) { return nearest(W[k][c] + (W[k + 1][c] - W[k][c]) * f); };
    return {lerp(1), lerp(2), lerp(3)};
}

Rgb spectrum(int i) {
    if (i == 0) return {0, 0, 0};
    if (i == 255) return {255, 255, 255};
    if (i == 52) return {0, 0, 255};
    if (i == 102) return {0, 255, 255};
    if (i == 153) return {0, 255, 0};
    if (i == 204) return {255, 255, 0};
    static const int A[6][3] = {{255, 0, 255}, {0, 0, 255},   {0, 255, 255},
                                {0, 255, 0},   {255, 255, 0}, {255, 0, 0}};
    const double h = (i - 1) * 5.0 / 253.0;
    const int k = std::min(static_cast<int>(std::floor(h)), 4);
    const double f = h - k;
    auto lerp = [&](int c) { return nearest(A[k][c] + (A[k + 1][c] - A[k][c]) * f); };
    return {lerp(0), lerp(1), lerp(2)};
}

Rgb grey(int i) { return {i, i, i}; }

Rgb temperature(int i) {
    const int r = i < 150 ? nearest(1.7 * i) : 255;
    const int g = i < 120 ? 0 : nearest((i - 120) * 255.0 / 135.0);
    const int b = i < 190 ? 0 : nearest((i - 190) * 255.0 / 65.0);
    return {r, g, b};
}

const int SMALL[9][3] = {{0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},  {0, 0, 255},
                         {255, 255, 0}, {255, 128, 0},   {0, 255, 255}, {255, 0, 255}};
const int VGA[16][3] = {{0, 0, 0},      {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                        {170, 0, 0},    {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                        {85, 85, 85},   {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                        {255, 85, 85},  {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

const uint32_t UNTOUCHED = 0x00ABCDEF;  // entries a short table leaves alone

struct TableCase {
    int which;
    const char* name;
    int entries;                        // written entries, from 0
    std::function<Rgb(int)> expected;
};

const TableCase TABLES[] = {
    {kal::TABLE_SMAL, "SMAL", 9, [](int i) { return Rgb{SMALL[i][0], SMALL[i][1], SMALL[i][2]}; }},
    {kal::TABLE_RAIN, "RAIN", 256, rainbow},
    {kal::TABLE_SPEC, "SPEC", 256, spectrum},
    {kal::TABLE_GREY, "GREY", 256, grey},
    {kal::TABLE_RRAI, "RRAI", 256, [](int i) { return rainbow(255 - i); }},
    {kal::TABLE_RSPE, "RSPE", 256, [](int i) { return spectrum(255 - i); }},
    {kal::TABLE_RGRE, "RGRE", 256, [](int i) { return grey(255 - i); }},
    {kal::TABLE_VGA, "VGA", 16, [](int i) { return Rgb{VGA[i][0], VGA[i][1], VGA[i][2]}; }},
    {kal::TABLE_TEMP, "TEMP", 256, temperature},
};

TEST(ColourTables, EveryEntryFollowsItsFormula) {
    for (const TableCase& tc : TABLES) {
        uint32_t t[256];
        std::fill(t, t + 256, UNTOUCHED);
        kal::fill_predefined(t, tc.which);
        for (int i = 0; i < 256; ++i) {
            if (i >= tc.entries) {
                EXPECT_EQ(t[i], UNTOUCHED) << tc.name << " entry " << i << " must keep its contents";
                continue;
            }
            const Rgb want = tc.expected(i);
            const Rgb got = entry(t, i);
            EXPECT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
                << tc.name << " entry " << i << ": got (" << got.r << "," << got.g << ","
                << got.b << ") want (" << want.r << "," << want.g << "," << want.b << ")";
        }
    }
}

TEST(ColourTables, DocumentedEntries) {
    uint32_t t[256];
    auto check = [&](int i, int r, int g, int b) {
        const Rgb c = entry(t, i);
        EXPECT_EQ(c.r, r) << "entry " << i;
        EXPECT_EQ(c.g, g) << "entry " << i;
        EXPECT_EQ(c.b, b) << "entry " << i;
    };
    kal::fill_predefined(t, kal::TABLE_SPEC);
    check(2, 250, 0, 255);
    check(14, 189, 0, 255);
    check(52, 0, 0, 255);
    check(254, 255, 0, 0);
    kal::fill_predefined(t, kal::TABLE_TEMP);
    check(149, 253, 55, 0);
    check(150, 255, 57, 0);
    check(255, 255, 255, 255);
    kal::fill_predefined(t, kal::TABLE_RAIN);
    check(1, 34, 0, 68);        // waypoints are met exactly
    check(96, 0, 255, 255);
    check(138, 0, 255, 0);
    check(192, 255, 255, 0);
    check(254, 255, 0, 0);
    check(255, 255, 255, 255);
}

// ---- setvlt for a device ---------------------------------------------------

class ColourDevice : public ::testing::Test {
protected:
    kal::Context* ctx = nullptr;
    void SetUp() override {
        bool created;
        ctx = &kal::acquire_record(created);
        ctx->frame.unit = kal::UNIT_NONE;
        ctx->frame.level = 1;
        ctx->page.scale = 1.0;
        device(kal::DEV_VEKM, 8);
    }
    void TearDown() override {
        ctx->frame.level = 0;
        ctx->page.device = 0;
        ctx->page.background = 0;
        ctx->page.scale = 1.0;
        ctx->out.colour_depth = 8;
        ctx->colour.user_table_pending = false;
    }
    void device(int number, int depth, int background = 0) {
        ctx->page.device = number;
        ctx->out.colour_depth = depth;
        ctx->page.background = background;
    }
    Rgb at(int i) const { return entry(ctx->colour.table, i); }
    int white() const { return ctx->colour.named[kal::NAMED_WHITE]; }
    int black() const { return ctx->colour.named[kal::NAMED_BLACK]; }
};

const int W = kal::direct_colour(255, 255, 255);
const int K = kal::direct_colour(0, 0, 0);

struct NamedCase {
    int table, device, depth, white, black;
};

TEST_F(ColourDevice, WhiteAndBlackFollowTableAndDevice) {
    using namespace kal;
    const NamedCase cases[] = {
        {TABLE_SMAL, DEV_POST, 24, K, K}, {TABLE_SMAL, DEV_CGM, 24, K, K},
        {TABLE_SMAL, DEV_WMF, 24, K, K},  {TABLE_SMAL, DEV_VEKM, 8, W, W},
        {TABLE_SMAL, DEV_SVG, 24, W, W},  {TABLE_GREY, DEV_POST, 24, W, W},
        {TABLE_GREY, DEV_CGM, 24, K, W},  {TABLE_GREY, DEV_WMF, 24, K, W},
        {TABLE_GREY, DEV_VEKM, 8, W, W},  {TABLE_RAIN, DEV_POST, 24, W, K},
        {TABLE_RAIN, DEV_CGM, 24, K, K},  {TABLE_RAIN, DEV_VEKM, 8, W, K},
        {TABLE_SPEC, DEV_WMF, 24, K, K},  {TABLE_TEMP, DEV_SVG, 24, W, K},
        {TABLE_RRAI, DEV_POST, 24, K, K}, {TABLE_RSPE, DEV_CGM, 24, K, K},
        {TABLE_RRAI, DEV_VEKM, 8, K, W},  {TABLE_RSPE, DEV_SVG, 24, W, K},
        {TABLE_RGRE, DEV_VEKM, 8, K, W},  {TABLE_RGRE, DEV_SVG, 24, W, W},
        {TABLE_RGRE, DEV_WMF, 24, K, K},  {TABLE_VGA, DEV_POST, 24, K, W},
        {TABLE_VGA, DEV_CGM, 24, K, W},   {TABLE_VGA, DEV_VEKM, 8, W, K},
    };
    for (const NamedCase& c : cases) {
        device(c.device, c.depth);
        select_table(*ctx, c.table);
        EXPECT_EQ(white(), c.white) << "table " << c.table << " device " << c.device;
        EXPECT_EQ(black(), c.black) << "table " << c.table << " device " << c.device;
    }
}

TEST_F(ColourDevice, NamedColoursAndTheirGreyEquivalents) {
    kal::select_table(*ctx, kal::TABLE_RAIN);
    const int* n = ctx->colour.named;
    EXPECT_EQ(n[kal::NAMED_RED], 0x010000FF);
    EXPECT_EQ(n[kal::NAMED_GREEN], 0x0100FF00);
    EXPECT_EQ(n[kal::NAMED_BLUE], 0x01FF0000);
    EXPECT_EQ(n[kal::NAMED_ORANGE], 0x010080FF);
    EXPECT_EQ(n[kal::NAMED_MAGENTA], 0x01FF00FF);
    kal::select_table(*ctx, kal::TABLE_GREY);
    const int greys[9] = {255, 230, 185, 150, 95, 215, 175, 110, 0};
    for (int k = 1; k < 8; ++k) EXPECT_EQ(n[k], kal::direct_colour(greys[k], greys[k], greys[k])) << k;
}

TEST_F(ColourDevice, ShortTablesAreTurnedForPaperDevices) {
    device(kal::DEV_CGM, 24);
    kal::select_table(*ctx, kal::TABLE_SMAL);
    EXPECT_EQ(at(0).r, 255);  // 0 white, 1 black
    EXPECT_EQ(at(1).r, 0);
    EXPECT_EQ(ctx->colour.foreground, 1);
    kal::select_table(*ctx, kal::TABLE_VGA);
    EXPECT_EQ(at(0).g, 255);  // 0 white, 15 black
    EXPECT_EQ(at(15).g, 0);
    device(kal::DEV_VEKM, 8);
    kal::select_table(*ctx, kal::TABLE_VGA);
    EXPECT_EQ(at(0).g, 0);
    EXPECT_EQ(at(15).g, 255);
}

TEST_F(ColourDevice, KyoceraAlwaysLoadsSmall) {
    device(kal::DEV_KYOC, 8);
    kal::select_table(*ctx, kal::TABLE_TEMP);
    EXPECT_EQ(ctx->colour.active, kal::TABLE_SMAL);
    EXPECT_STREQ(kal::table_name_lower(*ctx), "smal");
    EXPECT_EQ(ctx->colour.foreground, 1);
}

struct IndexCase {
    int table, device, depth, fg, bg, under, over, first, last;
};

TEST_F(ColourDevice, ForegroundBackgroundRangeUnderAndOver) {
    using namespace kal;
    const IndexCase cases[] = {
        {TABLE_SMAL, DEV_VEKM, 8, 1, 0, 0, 9, 1, 8},
        {TABLE_VGA, DEV_SVG, 24, 15, 0, 0, 15, 1, 14},
        {TABLE_RAIN, DEV_VEKM, 8, 255, 0, 0, 255, 1, 254},
        {TABLE_RAIN, DEV_POST, 24, 0, 255, 0, 255, 1, 254},
        {TABLE_SPEC, DEV_CGM, 24, 0, 255, 0, 255, 1, 254},
        {TABLE_GREY, DEV_WMF, 24, 0, 255, 0, 255, 1, 254},
        {TABLE_TEMP, DEV_JAVA, 24, 0, 255, 0, 255, 1, 254},
        {TABLE_TEMP, DEV_PDF, 24, 255, 0, 0, 255, 1, 254},
        {TABLE_RRAI, DEV_SVG, 24, 0, 255, 0, 255, 1, 254},
        {TABLE_RGRE, DEV_VEKM, 8, 255, 0, 0, 255, 1, 254},
        {TABLE_RSPE, DEV_POST, 24, 255, 0, 0, 255, 1, 254},
    };
    for (const IndexCase& c : cases) {
        device(c.device, c.depth);
        select_table(*ctx, c.table);
        const ColourState& s = ctx->colour;
        SCOPED_TRACE(testing::Message() << "table " << c.table << " device " << c.device);
        EXPECT_EQ(s.foreground, c.fg);
        EXPECT_EQ(s.background, c.bg);
        EXPECT_EQ(s.under, c.under);
        EXPECT_EQ(s.over, c.over);
        EXPECT_EQ(s.range_first, c.first);
        EXPECT_EQ(s.range_last, c.last);
    }
}

TEST_F(ColourDevice, ReversalStepOnAWhitePage) {
    device(kal::DEV_PDF, 24, 2);
    kal::select_table(*ctx, kal::TABLE_RAIN);
    EXPECT_EQ(at(0).r + at(0).g + at(0).b, 3 * 255);  // entry 0 white, 255 black
    EXPECT_EQ(at(255).r + at(255).g + at(255).b, 0);
    EXPECT_EQ(ctx->colour.under, 255);
    EXPECT_EQ(ctx->colour.over, 0);
    EXPECT_EQ(white(), K);  // exchanged
    EXPECT_EQ(black(), W);

    device(kal::DEV_SVG, 24, 2);
    kal::select_table(*ctx, kal::TABLE_SMAL);
    EXPECT_EQ(at(0).r, 255);  // entry 0 and the foreground entry 1
    EXPECT_EQ(at(1).r, 0);
    EXPECT_EQ(white(), K);
    EXPECT_EQ(black(), K);
    EXPECT_EQ(ctx->colour.under, 9);

    device(kal::DEV_PNG, 8, 2);
    kal::select_table(*ctx, kal::TABLE_GREY);
    EXPECT_EQ(at(0).r, 255);
    EXPECT_EQ(white(), K);
    EXPECT_EQ(black(), K);

    // Not on the black-and-white PostScript device, nor without REVERS.
    device(kal::DEV_POST, 24, 2);
    kal::select_table(*ctx, kal::TABLE_RAIN);
    EXPECT_EQ(at(0).r, 0);
    EXPECT_EQ(ctx->colour.under, 0);
    device(kal::DEV_PDF, 24, 0);
    kal::select_table(*ctx, kal::TABLE_RAIN);
    EXPECT_EQ(at(0).r, 0);
}

TEST_F(ColourDevice, CurveColourCycleRepeatsEightNamedColours) {
    kal::select_table(*ctx, kal::TABLE_RAIN);
    const int* n = ctx->colour.named;
    const int* cyc = ctx->colour.cycle;
    EXPECT_EQ(cyc[0], n[kal::NAMED_WHITE]);
    EXPECT_EQ(cyc[1], n[kal::NAMED_RED]);
    EXPECT_EQ(cyc[7], n[kal::NAMED_MAGENTA]);
    EXPECT_EQ(cyc[8], n[kal::NAMED_WHITE]);
    EXPECT_EQ(cyc[29], n[kal::NAMED_ORANGE]);  // slot 30: 30 mod 8 = 6
    kal::clrcyc(3, 77);
    EXPECT_EQ(cyc[2], 77);
    const int before = ctx->frame.warnings;
    kal::clrcyc(31, 1);
    kal::clrcyc(1, -1);
    EXPECT_EQ(ctx->frame.warnings, before + 2);
    kal::reset("clrcyc");
    EXPECT_EQ(cyc[2], n[kal::NAMED_GREEN]);
}

TEST_F(ColourDevice, ResetSelectsRainOrReversedGreyOnPost) {
    kal::reset_colours(*ctx);
    EXPECT_STREQ(kal::getvlt(), "RAIN");
    EXPECT_EQ(kal::getclr(), 255);
    device(kal::DEV_POST, 24);
    kal::reset_colours(*ctx);
    EXPECT_STREQ(kal::getvlt(), "RGREY");
    EXPECT_EQ(at(0).r, 255);
    EXPECT_EQ(kal::getclr(), 255);   // RGREY entry 255 is black on paper
    EXPECT_EQ(at(255).r, 0);
}

TEST_F(ColourDevice, SetvltKeywordsAndNames) {
    const char* keys[] = {"small", "RAIN", "spectrum", "GREY", "rrain", "RSPE", "rgrey", "vga", "temp"};
    const char* names[] = {"SMALL", "RAIN", "SPEC", "GREY", "RRAIN", "RSPEC", "RGREY", "VGA", "TEMP"};
    for (int i = 0; i < 9; ++i) {
        kal::setvlt(keys[i]);
        EXPECT_STREQ(kal::getvlt(), names[i]);
        EXPECT_EQ(kal::getclr(), ctx->colour.foreground);
    }
    const int before = ctx->frame.warnings;
    kal::setvlt("HOT");
    EXPECT_EQ(ctx->frame.warnings, before + 1);
    EXPECT_STREQ(kal::getvlt(), "TEMP");
}

TEST_F(ColourDevice, UserTableBeforeInitialisationSurvivesOneReset) {
    ctx->frame.level = 0;
    const float r[3] = {0.5f, 0.0f, 1.0f}, g[3] = {0.25f, 1.0f, 1.0f}, b[3] = {0.0f, 0.0f, 1.0f};
    kal::myvlt(r, g, b, 3);
    EXPECT_TRUE(ctx->colour.user_table_pending);
    ctx->frame.level = 1;
    kal::reset_colours(*ctx);  // what kalini does
    EXPECT_FALSE(ctx->colour.user_table_pending);
    EXPECT_EQ(at(0).r, 128);   // 127.5 rounds away from zero
    EXPECT_EQ(at(0).g, 64);
    EXPECT_EQ(at(1).g, 255);
    EXPECT_EQ(ctx->colour.foreground, 255);  // everything else is still set
    EXPECT_EQ(ctx->colour.cycle[1], ctx->colour.named[kal::NAMED_RED]);
    kal::reset_colours(*ctx);  // one shot only
    EXPECT_EQ(at(0).r, 0);
}

TEST_F(ColourDevice, MyvltValidatesEverythingFirst) {
    kal::setvlt("GREY");
    const float ok[2] = {0.2f, 0.4f}, bad[2] = {0.2f, 1.5f};
    const int before = ctx->frame.warnings;
    kal::myvlt(ok, ok, bad, 2);
    kal::myvlt(ok, ok, ok, 0);
    kal::myvlt(ok, ok, ok, 257);
    EXPECT_EQ(ctx->frame.warnings, before + 3);
    EXPECT_EQ(at(0).r, 0);  // nothing changed
    EXPECT_EQ(at(1).r, 1);
    kal::myvlt(ok, ok, ok, 2);
    EXPECT_EQ(at(1).b, 102);
    EXPECT_FALSE(ctx->colour.user_table_pending);
}

TEST_F(ColourDevice, RevscrExchangesEntryZeroWithTheForegroundEntry) {
    kal::setvlt("VGA");
    kal::revscr();
    EXPECT_EQ(at(0).r, 255);
    EXPECT_EQ(at(15).r, 0);
    kal::setvlt("TEMP");
    kal::revscr();
    EXPECT_EQ(at(0).b, 255);
    EXPECT_EQ(at(255).b, 0);
}

TEST_F(ColourDevice, ColorSelectsNamedForegroundAndBackground) {
    kal::setvlt("RAIN");
    kal::color("red");
    EXPECT_EQ(kal::getclr(), 0x010000FF);
    kal::color("FORE");
    EXPECT_EQ(kal::getclr(), 255);
    kal::color("back");
    EXPECT_EQ(kal::getclr(), 0);
    kal::color("BLACK");
    EXPECT_EQ(kal::getclr(), K);
    const int before = ctx->frame.warnings;
    kal::color("PINK");
    EXPECT_EQ(ctx->frame.warnings, before + 1);
    EXPECT_EQ(kal::getclr(), K);
    kal::reset("color");
    EXPECT_EQ(kal::getclr(), 255);
}

// ---- single entries and resolution -----------------------------------------

TEST_F(ColourDevice, SetindGetindIntrgbIndrgb) {
    kal::setvlt("RAIN");
    kal::setind(7, 1.0f, 0.5f, 0.0f);
    EXPECT_EQ(at(7).r, 255);
    EXPECT_EQ(at(7).g, 128);
    float r, g, b;
    kal::getind(7, &r, &g, &b);
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g, 128 / 255.0f);
    EXPECT_FLOAT_EQ(b, 0.0f);
    kal::getind(kal::intrgb(1.0f, 0.5f, 0.0f), &r, &g, &b);  // a direct value
    EXPECT_FLOAT_EQ(g, 128 / 255.0f);
    EXPECT_EQ(kal::intrgb(1.0f, 0.5f, 0.0f), 0x010080FF);
    EXPECT_EQ(kal::intrgb(1.0005f, -0.0005f, 0.0f), 0x010000FF);

    const int before = ctx->frame.warnings;
    EXPECT_EQ(kal::intrgb(1.01f, 0, 0), -1);  // silently
    EXPECT_EQ(ctx->frame.warnings, before);
    kal::setind(256, 0, 0, 0);
    kal::setind(7, 0, 1.001f, 0);
    kal::getind(-5, &r, &g, &b);
    EXPECT_EQ(kal::indrgb(-0.01f, 0, 0), -1);
    EXPECT_EQ(ctx->frame.warnings, before + 4);
    EXPECT_EQ(at(7).g, 128);

    EXPECT_EQ(kal::indrgb(1.0f, 0.5f, 0.0f), 7);   // exact match
    EXPECT_EQ(kal::indrgb(0, 0, 0), 0);
    EXPECT_EQ(kal::indrgb(1, 1, 1), 255);
}

TEST_F(ColourDevice, ResolutionOfDirectAndIndexValues) {
    kal::setvlt("SMALL");
    EXPECT_EQ(kal::resolve_rgb(*ctx, 256 + 2).r, 255);         // index 2 red, modulo 256
    const Rgb pure = kal::resolve_rgb(*ctx, 0x010000FF);
    EXPECT_EQ(pure.r, 255);
    EXPECT_EQ(pure.g + pure.b, 0);
    // Only the first nine entries count while SMAL is loaded.
    ctx->colour.table[100] = kal::pack_entry(10, 20, 30);
    EXPECT_NE(kal::nearest_index(*ctx, 10, 20, 30, true), 100);
    EXPECT_EQ(kal::nearest_index(*ctx, 10, 20, 30, true), 0);
    // (255,64,0) lies 64 from red (2) and from orange (6): the lower index wins.
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 64, 0, false), 2);
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 192, 0, false), 5);  // 63 from yellow
    EXPECT_EQ(kal::nearest_index(*ctx, 255, 128, 0, false), 6);

    ctx->out.colour_depth = 8;
    kal::DeviceColour d = kal::resolve_device_colour(*ctx, 0x0100FF00);
    EXPECT_EQ(d.index, 3);
    EXPECT_EQ(d.rgb.g, 255);
    ctx->out.colour_depth = 24;
    d = kal::resolve_device_colour(*ctx, 0x0100FF00);
    EXPECT_EQ(d.index, -1);
    d = kal::resolve_device_colour(*ctx, 4);
    EXPECT_EQ(d.index, 4);
    EXPECT_EQ(d.rgb.b, 255);
}

TEST_F(ColourDevice, GetrgbResolvesTheCurrentColour) {
    kal::setvlt("VGA");
    float r, g, b;
    kal::getrgb(&r, &g, &b);  // foreground 15: white
    EXPECT_FLOAT_EQ(r + g + b, 3.0f);
    kal::color("ORANGE");
    kal::getrgb(&r, &g, &b);
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g, 128 / 255.0f);
    EXPECT_FLOAT_EQ(b, 0.0f);
}

// ---- colour scale ------------------------------------------------------------

TEST_F(ColourDevice, ValueToIndexOnALinearScale) {
    kal::setvlt("RAIN");
    kal::set_colour_scale(*ctx, 0.0, 1.0, false, false, 0, 0);
    EXPECT_EQ(kal::colour_index(*ctx, 1.0), 254);
    EXPECT_EQ(kal::colour_index(*ctx, 0.0), 1);
    EXPECT_EQ(kal::colour_index(*ctx, 1.5), 255);   // over colour
    EXPECT_EQ(kal::colour_index(*ctx, -0.5), 0);    // under colour
    EXPECT_EQ(kal::colour_index(*ctx, 0.5), 128);   // 0.5 * 254 + 1
    kal::colran(10, 19);
    kal::set_colour_scale(*ctx, 0.0, 10.0, false, false, 0, 0);
    for (int v = 0; v < 10; ++v) EXPECT_EQ(kal::colour_index(*ctx, v + 0.5), 10 + v) << v;
    EXPECT_EQ(kal::colour_index(*ctx, 10.0), 19);
}

TEST_F(ColourDevice, DescendingAndLogarithmicScales) {
    kal::setvlt("RAIN");
    kal::set_colour_scale(*ctx, 1.0, 0.0, false, false, 0, 0);
    EXPECT_EQ(ctx->colour.data_min, 0.0);
    EXPECT_EQ(ctx->colour.data_max, 1.0);
    EXPECT_EQ(kal::colour_index(*ctx, 2.0), 0);     // above, axis runs downward: under
    EXPECT_EQ(kal::colour_index(*ctx, -1.0), 255);
    EXPECT_EQ(kal::colour_index(*ctx, 1.0), 1);
    EXPECT_EQ(kal::colour_index(*ctx, 0.0), 254);

    kal::set_colour_scale(*ctx, 0.0, 2.0, true, false, 0, 0);  // 1 .. 100
    EXPECT_DOUBLE_EQ(ctx->colour.data_max, 100.0);
    EXPECT_EQ(kal::colour_index(*ctx, 10.0), 128);
    EXPECT_EQ(kal::colour_index(*ctx, 0.5), 0);
    EXPECT_EQ(kal::colour_index(*ctx, 0.0), 0);
    kal::set_colour_scale(*ctx, 0.0, 2.0, true, true, 50.0, 5.0);  // explicit limits, sorted
    EXPECT_EQ(ctx->colour.data_min, 5.0);
    EXPECT_EQ(kal::colour_index(*ctx, 2.0), 0);
    EXPECT_EQ(kal::colour_index(*ctx, 200.0), 255);
}

TEST_F(ColourDevice, ColrayNeedsAThreeDimensionalAxisSystem) {
    kal::setvlt("RAIN");
    kal::set_colour_scale(*ctx, 0.0, 1.0, false, false, 0, 0);
    const float z[4] = {0.0f, 1.0f, 2.0f, -1.0f};
    int out[4] = {-7, -7, -7, -7};
    const int before = ctx->frame.warnings;
    kal::colray(z, out, 4);
    EXPECT_EQ(ctx->frame.warnings, before + 1);
    EXPECT_EQ(out[0], -7);
    ctx->frame.level = 3;
    kal::colray(z, out, 4);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 254);
    EXPECT_EQ(out[2], 255);
    EXPECT_EQ(out[3], 0);
    kal::colray(z, nullptr, 0);  // nothing happens
}

TEST_F(ColourDevice, ColranChecksAndResets) {
    kal::setvlt("VGA");
    int first, last;
    kal::getran(&first, &last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 14);
    kal::colran(30, 3);
    kal::getran(&first, &last);
    EXPECT_EQ(first, 30);
    EXPECT_EQ(last, 3);
    const int before = ctx->frame.warnings;
    kal::colran(-1, 5);
    kal::colran(5, 256);
    EXPECT_EQ(ctx->frame.warnings, before + 2);
    kal::reset("COLRAN");
    kal::getran(&first, &last);
    EXPECT_EQ(last, 14);
}

// ---- colour models -------------------------------------------------------------

TEST_F(ColourDevice, HsvRoundTrips) {
    float r, g, b, h, s, v;
    kal::rgbhsv(1, 0, 0, &h, &s, &v);
    EXPECT_FLOAT_EQ(h, 0.0f);
    kal::rgbhsv(0, 0, 1, &h, &s, &v);
    EXPECT_FLOAT_EQ(h, 240.0f);
    kal::rgbhsv(0, 1, 0, &h, &s, &v);
    EXPECT_FLOAT_EQ(h, 120.0f);
    kal::rgbhsv(0.5f, 0.5f, 0.5f, &h, &s, &v);
    EXPECT_EQ(h, 0.0f);
    EXPECT_EQ(s, 0.0f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    kal::hsvrgb(360, 1, 1, &r, &g, &b);  // 360 is 0
    EXPECT_FLOAT_EQ(r, 1.0f);
    EXPECT_FLOAT_EQ(g + b, 0.0f);
    kal::hsvrgb(30, 1, 1, &r, &g, &b);
    EXPECT_FLOAT_EQ(g, 0.5f);

    for (int hue = 0; hue < 360; hue += 7) {
        for (float sat : {0.25f, 0.6f, 1.0f}) {
            kal::hsvrgb(float(hue), sat, 0.8f, &r, &g, &b);
            // Independent check: the largest component is the value, the
            // smallest value * (1 - saturation).
            EXPECT_NEAR(std::max({r, g, b}), 0.8f, 1e-5);
            EXPECT_NEAR(std::min({r, g, b}), 0.8f * (1 - sat), 1e-5);
            kal::rgbhsv(r, g, b, &h, &s, &v);
            EXPECT_NEAR(h, hue, 1e-3) << hue << " " << sat;
            EXPECT_NEAR(s, sat, 1e-5);
            EXPECT_NEAR(v, 0.8f, 1e-6);
        }
    }
    const int before = ctx->frame.warnings;
    kal::hsvrgb(360.001f, 1, 1, &r, &g, &b);
    kal::hsvrgb(10, 1.01f, 1, &r, &g, &b);
    kal::rgbhsv(0, 0, -0.01f, &h, &s, &v);
    EXPECT_EQ(ctx->frame.warnings, before + 3);
    kal::hsvrgb(-0.00005f, 1, 1, &r, &g, &b);  // within the tolerance
    EXPECT_EQ(ctx->frame.warnings, before + 3);
}

// ---- fill patterns ---------------------------------------------------------------

TEST_F(ColourDevice, PredefinedPatternsDecode) {
    struct P {
        int number, angle, type, density, cross;
    };
    const P cases[] = {{0, 0, 0, 0, 0},   {1, 45, 1, 5, 0},  {2, 150, 4, 5, 0},
                       {5, 45, 1, 5, 1},  {6, 135, 2, 1, 0}, {8, 30, 1, 4, 0},
                       {10, 0, 1, 5, 1},  {12, 70, 4, 7, 0}, {14, 0, 4, 5, 1},
                       {16, 0, 1, 0, 0},  {17, 0, 5, 5, 0},  {4711, 4, 7, 1, 1}};
    for (const P& p : cases) {
        kal::shdpat(p.number);
        const kal::ColourState& c = ctx->colour;
        SCOPED_TRACE(p.number);
        EXPECT_EQ(kal::getpat(), p.number);
        EXPECT_EQ(c.pattern_angle, p.angle);
        EXPECT_EQ(c.pattern_type, p.type);
        EXPECT_EQ(c.pattern_density, p.density);
        EXPECT_EQ(c.pattern_cross, p.cross);
    }
    const int before = ctx->frame.warnings;
    kal::shdpat(-1);
    EXPECT_EQ(ctx->frame.warnings, before + 1);
    EXPECT_EQ(kal::getpat(), 4711);
}

TEST_F(ColourDevice, HatchSpacingAndGroupFills) {
    ctx->page.scale = 2.0;
    kal::mypat(45, 1, 3, 1);
    EXPECT_EQ(kal::getpat(), 45131);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, (5 * 3 + 1.9999) / 2.0);
    kal::mypat(0, 2, 6, 0);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, 10.0);
    EXPECT_EQ(ctx->colour.fill_kind, 2);
    EXPECT_EQ(ctx->colour.fill_parameter, 6);
    kal::mypat(0, 3, 2, 0);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, 7.5);
    EXPECT_EQ(ctx->colour.fill_kind, 3);
    kal::mypat(90, 4, 3, 0);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, 0.5);
    EXPECT_EQ(ctx->colour.fill_kind, 8);
    EXPECT_EQ(ctx->colour.fill_parameter, 19);
    kal::mypat(0, 6, 1, 0);  // other types keep the group fill
    EXPECT_EQ(ctx->colour.fill_kind, 8);
    ctx->page.scale = 1.0;
    device(kal::DEV_WMF, 24);
    kal::mypat(0, 1, 0, 0);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, 0.39999);
    device(kal::DEV_VEKM, 8);
    kal::mypat(0, 1, 0, 0);
    EXPECT_DOUBLE_EQ(ctx->colour.hatch_spacing, 1.9999);

    const int before = ctx->frame.warnings;
    kal::mypat(180, 1, 1, 0);
    kal::mypat(0, 8, 1, 0);
    kal::mypat(0, 1, 10, 0);
    kal::mypat(0, 1, 1, 2);
    EXPECT_EQ(ctx->frame.warnings, before + 4);
    EXPECT_EQ(kal::getpat(), 100);
    kal::shdpat(16);
    kal::reset("shdpat");
    EXPECT_EQ(kal::getpat(), 0);
}

// ---- saving and loading ------------------------------------------------------------

class ColourFile : public ColourDevice {
protected:
    std::string dir;
    void SetUp() override {
        ColourDevice::SetUp();
        char tmpl[] = "/tmp/kalvor_vlt_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        std::system(("rm -rf '" + dir + "'").c_str());
        ctx->page.file_mode = 0;
        ColourDevice::TearDown();
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(ColourFile, SaveWritesTwoHundredFiftySixLinesAndLoadRestores) {
    kal::setvlt("SPEC");
    const std::string name = dir + "/table.vlt";
    kal::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, name);
    const std::string text = read(name);
    ASSERT_EQ(text.size(), 256u * 31u);
    EXPECT_EQ(text.substr(0, 31), "  0.000000  0.000000  0.000000\n");
    EXPECT_EQ(text.substr(2 * 31, 31), "  0.980392  0.000000  1.000000\n");  // SPEC 2: 250, 0, 255
    EXPECT_EQ(text.substr(255 * 31), "  1.000000  1.000000  1.000000\n");

    uint32_t saved[256];
    std::copy(ctx->colour.table, ctx->colour.table + 256, saved);
    kal::setvlt("GREY");
    kal::vltfil(name.c_str(), "load");
    for (int i = 0; i < 256; ++i) EXPECT_EQ(ctx->colour.table[i], saved[i]) << i;

    // A second save counts versions; a missing file gives warning 36.
    kal::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, dir + "/table_1.vlt");
    const int before = ctx->frame.warnings;
    kal::vltfil((dir + "/none.vlt").c_str(), "LOAD");
    kal::vltfil((dir + "/no/such/dir.vlt").c_str(), "SAVE");
    kal::vltfil(name.c_str(), "KEEP");
    EXPECT_EQ(ctx->frame.warnings, before + 3);
    EXPECT_EQ(ctx->colour.saved_vlt_file, dir + "/table_1.vlt");
}

TEST_F(ColourFile, ShortOrBadFilesChangeNothingOrOnlyGoodEntries) {
    kal::setvlt("GREY");
    const std::string name = dir + "/short.vlt";
    {
        std::ofstream out(name);
        for (int i = 0; i < 100; ++i) out << "1 0 0\n";
    }
    const int before = ctx->frame.warnings;
    kal::vltfil(name.c_str(), "LOAD");
    EXPECT_EQ(ctx->frame.warnings, before + 1);
    EXPECT_EQ(at(5).g, 5);  // unchanged
    {
        std::ofstream out(name);
        out << "0.5 2.0 0\n";  // one bad entry: warning 2 for it alone
        for (int i = 1; i < 256; ++i) out << "1 0 0\n";
    }
    kal::vltfil(name.c_str(), "LOAD");
    EXPECT_EQ(ctx->frame.warnings, before + 2);
    EXPECT_EQ(at(0).r, 0);
    EXPECT_EQ(at(200).r, 255);
    EXPECT_EQ(at(200).g, 0);
}

TEST_F(ColourFile, DeleteModeReusesTheName) {
    ctx->page.file_mode = 1;  // DELE
    kal::setvlt("TEMP");
    const std::string name = dir + "/t.vlt";
    kal::vltfil(name.c_str(), "SAVE");
    kal::vltfil(name.c_str(), "SAVE");
    EXPECT_EQ(ctx->colour.saved_vlt_file, name);
    EXPECT_EQ(read(name).size(), 256u * 31u);
    EXPECT_FALSE(std::ifstream(dir + "/t_1.vlt").good());
}

}  // namespace
