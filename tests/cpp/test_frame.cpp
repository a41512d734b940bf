// Keyword lookup, range and date checks of the routine frame.
#include <gtest/gtest.h>

#include "core/context.h"
#include "core/frame.h"
#include "core/threads.h"

namespace {

kal::Context& record() {
    bool created;
    kal::Context& ctx = kal::acquire_record(created);
    ctx.frame.unit = kal::UNIT_NONE;  // count warnings without printing them
    return ctx;
}

TEST(Keyword, FirstFourLettersCountCaseInsensitively) {
    const char* devices = "VEKM+POST+PS  +PDF ";
    for (const char* key : {"post", "POST", "PostScript", "Post"})
        EXPECT_EQ(kal::keyword_index(devices, key), 2) << key;
    EXPECT_EQ(kal::keyword_index(devices, "ps"), 3);
    EXPECT_EQ(kal::keyword_index(devices, "pdf"), 4);
    EXPECT_EQ(kal::keyword_index(devices, "pdfx"), 0);
    EXPECT_EQ(kal::keyword_index(devices, ""), 0);
    EXPECT_EQ(kal::keyword_index(devices, "p"), 0);
    EXPECT_EQ(kal::keyword_index("off +on  ", "ON"), 2);  // list entries are upper-cased too
    kal::Context& ctx = record();  // a failure counts a warning
    const int before = ctx.frame.warnings;
    EXPECT_EQ(kal::keyword(ctx, "OFF +ON  ", "maybe"), 0);
    EXPECT_EQ(kal::keyword(ctx, "OFF +ON  ", "on"), 2);
    EXPECT_EQ(ctx.frame.warnings, before + 1);
}

TEST(RangeCheck, MaximumBelowMinimumMeansNoUpperBound) {
    kal::Context& ctx = record();
    const int before = ctx.frame.warnings;
    EXPECT_FALSE(kal::out_of_range(ctx, 1e9, 0, -1));
    EXPECT_TRUE(kal::out_of_range(ctx, -1, 0, -1));
    EXPECT_FALSE(kal::out_of_range(ctx, 5, 1, 5));
    EXPECT_TRUE(kal::out_of_range(ctx, 6, 1, 5));
    EXPECT_TRUE(kal::out_of_range(ctx, 0.0 / 0.0, 1, 5));
    EXPECT_EQ(ctx.frame.warnings, before + 3);
}

TEST(DateCheck, LeapYearsAndMonthLengths) {
    kal::Context& ctx = record();
    EXPECT_FALSE(kal::bad_date(ctx, 29, 2, 2000));
    EXPECT_TRUE(kal::bad_date(ctx, 29, 2, 1900));
    EXPECT_FALSE(kal::bad_date(ctx, 29, 2, 2024));
    EXPECT_TRUE(kal::bad_date(ctx, 30, 2, 2024));
    EXPECT_FALSE(kal::bad_date(ctx, 31, 4, 2024));  // 31 April is accepted
    EXPECT_TRUE(kal::bad_date(ctx, 0, 1, 2024));
    EXPECT_TRUE(kal::bad_date(ctx, 1, 13, 2024));
    EXPECT_TRUE(kal::bad_date(ctx, 1, 1, 999));
}

TEST(ClampInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(kal::clamp_int(1e300), 2147483647);
    EXPECT_EQ(kal::clamp_int(-1e300), -2147483647 - 1);
    EXPECT_EQ(kal::clamp_int(0.0 / 0.0), 0);
    EXPECT_EQ(kal::clamp_int(-3.7), -3);
}

}  // namespace
