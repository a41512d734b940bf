// Label strings by label type, the numode and numfmt forms, and date labels
// in both languages with every labmod form.
#include <gtest/gtest.h>

#include <string>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "plot2d/calendar.h"
#include "plot2d/label_text.h"
#include "plot2d/label_values.h"
#include "plot2d/number_format.h"

namespace {

class LabelText : public ::testing::Test {
protected:
    void SetUp() override {
        kal::entry::metafl("VIRT");
        kal::entry::kalini();
        ctx = kal::fetch_record();
        ctx->frame.warnings_on = false;
    }
    void TearDown() override { kal::entry::kalfin(); }

    std::string x_label(double v, bool log = false, double step = 1, int k = 0) {
        return kal::label_text(*ctx, kal::AXIS_X, v, log, step, k).text;
    }
    kal::Context* ctx = nullptr;
};

TEST_F(LabelText, NumbersByTypeOnLinearAndLogAxes) {
    const struct {
        const char* type;
        int digits;
        double v;
        bool log;
        const char* want;
    } cases[] = {
        {"FLOA", -1, 0, true, "1"},         {"FLOA", -1, 1, true, "10"},
        {"FLOA", -1, 2, true, "100"},       {"FLOA", -1, 3, true, "1000"},
        {"FLOA", 2, -1, true, "0.10"},      {"FLOA", 1, -1.1102e-16, false, "0.0"},  // no "-0.0"
        {"LOG", 1, 3, true, "10[3$"},       {"CLOG", 1, -2, true, "10[-2$"},
        {"LOG", 1, 0.5, true, "10[0.5$"},   {"ELOG", 1, 3, true, "3"},
        {"EXP", 1, 1500, false, "1.5*10[3$"}, {"EXP", 1, -0.00025, false, "-2.5*10[-4$"},
        {"EXP", 1, 9.96, false, "1.0*10[1$"},  // the mantissa rounds up to 10
        {"EXP", 2, 1e-9, false, "0.00*10[0$"},  // below 1e-7 and half a step: 0
        {"FEXP", 2, 123456, false, "1.23E5"},  {"FEXP", -1, 2, true, "1E2"},
        {"MAP", 0, -30, false, "-30[o$"},   {"DMAP", 1, -30, false, "30.0[o$ W"},
        {"LMAP", 0, 45, false, "45[o$ e"},  {"DMAP", 0, 0.0004, false, "0[o$"},
        {"NONE", 1, 5, false, ""},
    };
    for (const auto& c : cases) {
        kal::entry::labels(c.type, "X");
        kal::entry::labdig(c.digits, "X");
        EXPECT_EQ(x_label(c.v, c.log, 0.5), c.want) << c.type << " " << c.v;
    }
    kal::entry::labels("DMAP", "Y");
    kal::entry::labdig(-1, "Y");
    EXPECT_EQ(kal::label_text(*ctx, kal::AXIS_Y, -12, false, 1, 0).text, "12[o$ S");
}

TEST_F(LabelText, TimeOfDay) {
    const struct {
        const char* type;
        double t;
        const char* plain;
        const char* colons;
    } cases[] = {
        {"TIME", -60, "2359", "23:59"},    {"TIME", 3599.6, "0100", "01:00"},  // 60 minutes carry
        {"TIME", 86400 * 3 + 754, "0013", "00:13"}, {"SECO", 3599.6, "010000", "01:00:00"},
        {"SECO", 45296, "123456", "12:34:56"}, {"HOUR", 45296, "12", "12"},
        {"HOUR", -3600, "23", "23"}, {"HOUR", -1, "0", "0"},  // 59.98 minutes carry
    };
    for (const auto& c : cases) {
        kal::entry::labels(c.type, "X");
        kal::entry::reset("TIMOPT");
        EXPECT_EQ(x_label(c.t), c.plain) << c.type << " " << c.t;
        kal::entry::timopt();
        EXPECT_EQ(x_label(c.t), c.colons) << c.type << " " << c.t;
    }
}

TEST_F(LabelText, NumodeGroupingSignsAndDecimal) {
    const struct {
        const char *decimal, *group, *sign;
        double x;
        int ndig;
        const char* want;
    } cases[] = {
        {"POIN", "NONE", "NONE", 1234567.25, 2, "1234567.25"},
        {"COMM", "POIN", "NONE", 1234567.25, 2, "1.234.567,25"},
        {"POIN", "SPAC", "PLUS", 1234.5, 1, "+1 234.5"},
        {"POIN", "COMM", "PLUS", -123456, -1, "-123,456"},
        {"POIN", "COMM", "PLUS", 999, -1, "+999"},
        {"POIN", "COMM", "SPAC", 1000, -1, " 1,000"},
        {"POIN", "NONE", "PLUS", 0, 1, "0.0"},
        {"COMM", "SPAC", "PLUS", 12345.6, 1, "+12 345,6"},
    };
    for (const auto& c : cases) {
        kal::entry::numode(c.decimal, c.group, c.sign, "NOEQ");
        EXPECT_EQ(kal::fixed_text(c.x, c.ndig, ctx->labels.mode), c.want) << c.x;
    }
    // The exponent forms group the mantissa only; numfmt picks the form of number.
    kal::entry::numode("COMM", "POIN", "PLUS", "NOEQ");
    kal::entry::numfmt("EXP");
    EXPECT_EQ(kal::number_text(*ctx, 25000, 1), "+2,5*10[4$");
    kal::entry::numfmt("FEXP");
    EXPECT_EQ(kal::number_text(*ctx, -0.003, 0), "-3E-3");
    kal::entry::numfmt("LOG");
    EXPECT_EQ(kal::number_text(*ctx, 3, -1), "10[+3$");
    // An unknown key leaves every numode setting as it was.
    kal::entry::numode("POIN", "NONE", "ABCD", "NOEQ");
    EXPECT_EQ(ctx->labels.mode.decimal, ',');
}

TEST_F(LabelText, DatesInEveryForm) {
    kal::entry::basdat(1, 1, 2026);
    kal::entry::labels("DATE", "X");
    const double thu = kal::days_from_civil(2026, 3, 5) - kal::days_from_civil(2026, 1, 1);
    // Settings apply in turn; each row gives the label in English and German.
    const struct {
        const char* key;
        const char* value;
        const char* english;
        const char* german;
    } steps[] = {
        {"SEP", "-", "5-Mar-2026", "5-M!ar-2026"},  // the defaults
        {"DAY", "LONG", "05-Mar-2026", "05-M!ar-2026"},
        {"DAY", "NAME", "Thu-Mar-2026", "Do-M!ar-2026"},
        {"DAY", "FULL", "Thursday-Mar-2026", "Donnerstag-M!ar-2026"},
        {"DAY", "NONE", "Mar-2026", "M!ar-2026"},
        {"MONTH", "FULL", "March-2026", "M!arz-2026"},
        {"MON", "TINY", "M-2026", "M-2026"},
        {"MON", "SHORT", "3-2026", "3-2026"},
        {"MON", "LONG", "03-2026", "03-2026"},
        {"YEAR", "SHORT", "03-26", "03-26"},
        {"MON", "NONE", "26", "26"},
        {"YEA", "NONE", "", ""},
        {"DAY", "SHOR", "5", "5"},
        {"MON", "NAME", "5-Mar", "5-M!ar"},
        {"YEA", "FULL", "5-Mar-2026", "5-M!ar-2026"},
        {"FOR", "YMD", "2026-Mar-5", "2026-M!ar-5"},
        {"FOR", "YDM", "2026-5-Mar", "2026-5-M!ar"},
        {"FOR", "MYD", "Mar-2026-5", "M!ar-2026-5"},
        {"FOR", "DYM", "5-2026-Mar", "5-2026-M!ar"},
        {"FOR", "MDY", "Mar-5-2026", "M!ar-5-2026"},
        {"SEP", "/", "Mar/5/2026", "M!ar/5/2026"},
        {"CASE", "UPPE", "MAR/5/2026", "M!AR/5/2026"},
        {"DAY", "NAME", "MAR/THU/2026", "M!AR/DO/2026"},
        {"CAS", "NONE", "Mar/Thu/2026", "M!ar/Do/2026"},
    };
    for (const auto& s : steps) {
        kal::entry::labmod(s.key, s.value, "X");
        kal::entry::labmod("LANG", "ENGL", "X");
        EXPECT_EQ(x_label(thu), s.english) << s.key << " " << s.value;
        kal::entry::labmod("LANG", "GERM", "X");
        const kal::LabelText t = kal::label_text(*ctx, kal::AXIS_X, thu, false, 1, 0);
        EXPECT_EQ(t.text, s.german) << s.key << " " << s.value;
        EXPECT_TRUE(t.german);
    }
    // German weekdays in two letters keep Saturday apart from Sunday.
    EXPECT_EQ(x_label(thu + 2), "M!ar/Sa/2026");
    EXPECT_EQ(x_label(thu + 3), "M!ar/So/2026");
    // Day numbers round to the nearest day; an unknown value changes nothing.
    EXPECT_EQ(x_label(thu + 0.49), "M!ar/Do/2026");
    kal::entry::labmod("FOR", "XYZ", "X");
    kal::entry::labmod("SEP", "--", "X");
    EXPECT_EQ(x_label(thu - 0.51), "M!ar/Mi/2026");
}

// (Month starts of date axes: AutomaticScale.DateAxes and Ticks.DateAxes in test_axes.cpp.)
TEST_F(LabelText, UserLabels) {
    kal::entry::labels("MYLA", "XY");
    kal::entry::mylab("one", 1, "X");
    kal::entry::mylab("three", 3, "X");
    kal::entry::mylab("uno", 1, "X");  // replaces, with warning 6
    kal::entry::mylab("bad", 21, "X");
    EXPECT_EQ(x_label(9, false, 1, 0), "uno");
    EXPECT_EQ(x_label(9, false, 1, 1), "");
    EXPECT_EQ(x_label(9, false, 1, 2), "three");
    EXPECT_EQ(x_label(9, false, 1, 20), "");
    EXPECT_EQ(kal::label_text(*ctx, kal::AXIS_Y, 9, false, 1, 0).text, "");
    EXPECT_EQ(ctx->frame.warnings, 2);
}

}  // namespace
