// The text engine's layout: string lengths against the advance sums of the
// glyph data, the edge cases of a string, control characters, instruction
// codes that move the position, national characters and code tables.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "api/entries.h"
#include "core/context.h"
#include "core/threads.h"
#include "text/fonts.h"

namespace {

kal::Context& plotting_record() {
    kal::entry::metafl("VIRT");
    kal::entry::kalini();
    kal::Context& ctx = *kal::fetch_record();
    ctx.frame.warnings_on = false;
    return ctx;
}

// Advance of one character by the layout rules, from the glyph data.
double advance(const kal::Font& f, int slot, int code, int h) {
    const kal::FontUnits u = kal::font_units(f.number, slot);
    const kal::Glyph g = kal::find_glyph(f.slots[slot - 1], f.number, code);
    const double sx = (h - 1) / u.x_unit;
    return (g.blank ? u.blank : g.width) * sx + u.gap * h;
}

double advance_sum(const kal::Font& f, const std::string& s, int h) {
    double sum = 0;
    for (unsigned char c : s) sum += advance(f, 1, c, h);
    return sum;
}

class Text : public ::testing::Test {
protected:
    void SetUp() override { ctx = &plotting_record(); }
    void TearDown() override { kal::entry::kalfin(); }
    kal::Context* ctx = nullptr;
};

TEST_F(Text, LengthIsTheSumOfTheAdvances) {
    const char* strings[] = {"Hello, World", "x = 3.25 (mm)", "ABC abc 019", "~{|}"};
    for (const char* font : {"kalalf", "complx", "simplx", "duplx", "triplx", "gothic", "helve", "helves", "serif"}) {
        const kal::Font& f = *kal::find_font(font);
        kal::select_vector_font(*ctx, f.number);
        for (int h : {2, 20, 37, 100, 999}) {
            kal::entry::height(h);
            for (const char* s : strings)
                EXPECT_EQ(kal::entry::nlmess(s), std::lround(advance_sum(f, s, h))) << font << " " << h << " " << s;
        }
    }
}

TEST_F(Text, EdgeCasesOfAString) {
    kal::entry::complx();
    kal::entry::height(40);
    EXPECT_EQ(kal::entry::nlmess(""), 0);
    // Longer strings are cut to 256 characters.
    const std::string a256(256, 'a'), a300(300, 'a');
    EXPECT_EQ(kal::entry::nlmess(a300.c_str()), kal::entry::nlmess(a256.c_str()));
    EXPECT_GT(kal::entry::nlmess(a256.c_str()), kal::entry::nlmess(std::string(255, 'a').c_str()));
    // Height 1: every glyph collapses, the position moves by the gap only.
    kal::entry::height(1);
    EXPECT_EQ(kal::entry::nlmess("WWWWWWWWWWWWWWWWWWWW"), 5);  // 20 x 0.25
    // An empty messag leaves the continuation point where it was.
    kal::entry::height(40);
    kal::entry::messag("ab", 100, 100);
    const double ex = ctx->text.end_x;
    kal::entry::messag("", 500, 500);
    EXPECT_EQ(ctx->text.end_x, ex);
    kal::entry::messag("cd", 999, 999);
    EXPECT_NEAR(ctx->text.end_x - ex, kal::entry::nlmess("cd"), 0.5);
}

TEST_F(Text, ExponentIndexAndResetCharacters) {
    kal::entry::complx();
    kal::entry::height(50);
    const kal::Font& f = *kal::find_font("complx");
    kal::entry::newmix();
    // Control characters count only while mixalf is on.
    EXPECT_EQ(kal::entry::nlmess("x^2%"), std::lround(advance_sum(f, "x^2%", 50)));
    kal::entry::mixalf();
    const double raised = advance(f, 1, 'x', 50) + advance(f, 1, '2', 40);
    EXPECT_EQ(kal::entry::nlmess("x^2%"), std::lround(raised));
    // After the reset the starting height is back.
    EXPECT_EQ(kal::entry::nlmess("x^2%y"), std::lround(raised + advance(f, 1, 'y', 50)));
    // Nested by repetition: 50 -> 40 -> 32.
    EXPECT_EQ(kal::entry::nlmess("^^2"), std::lround(advance(f, 1, '2', 32)));
    // "[" is an ordinary character after newmix.
    EXPECT_EQ(kal::entry::nlmess("["), std::lround(advance(f, 1, '[', 50)));
}

TEST_F(Text, FixedSpacingGivesEqualCells) {
    kal::entry::complx();
    kal::entry::height(41);
    kal::entry::fixspc(1.0f);
    EXPECT_EQ(kal::entry::nlmess("iiiii"), kal::entry::nlmess("WWWWW"));
    EXPECT_EQ(kal::entry::nlmess("iiiii"), std::lround(5 * 40 * 1.4));
}

TEST_F(Text, InstructionCodesMoveThePosition) {
    kal::entry::complx();
    kal::entry::height(30);
    kal::entry::smxalf("INST", "{", "}", 1);
    const kal::Font& f = *kal::find_font("complx");
    EXPECT_EQ(kal::entry::nlmess("{A2}"), 60);
    EXPECT_EQ(kal::entry::nlmess("ab{T}"), 0);
    EXPECT_EQ(kal::entry::nlmess("ab{T100}"), 100);
    EXPECT_EQ(kal::entry::nlmess("{F3}"), std::lround(3 * advance(f, 1, ' ', 30)));
    EXPECT_EQ(kal::entry::nlmess("{C4}"), std::lround(4 * 0.25 * 30));
    // Tab stops: P stores, G returns.
    EXPECT_EQ(kal::entry::nlmess("ab{P3}cdef{G3}"), kal::entry::nlmess("ab"));
    // H2 doubles the height for the rest of the string; HX restores it.
    EXPECT_EQ(kal::entry::nlmess("{H2}a{HX}a"), std::lround(advance(f, 1, 'a', 60) + advance(f, 1, 'a', 30)));
    EXPECT_EQ(kal::entry::nlmess("{W2}a"), std::lround(2 * 29.0 / 20 * kal::find_glyph(f.slots[0], 3, 'a').width + 7.5));
    // Lower case letters and blanks are accepted; a bad instruction changes nothing.
    EXPECT_EQ(kal::entry::nlmess("{ a 2 }"), 60);
    EXPECT_EQ(kal::entry::nlmess("{Q}a{A1.5.5}"), std::lround(advance(f, 1, 'a', 30)));
}

TEST_F(Text, NationalCharactersThroughShiftsAndCodeTables) {
    kal::entry::complx();
    kal::entry::height(40);
    const std::string ae(1, char(127)), s_cedilla(1, char(196));
    const int stan = kal::entry::nlmess(ae.c_str());
    EXPECT_NE(stan, kal::entry::nlmess(" "));
    kal::entry::eushft("GERM", "!");
    EXPECT_EQ(kal::entry::nlmess("!A"), stan);
    EXPECT_EQ(kal::entry::nlmess("!!"), kal::entry::nlmess("!"));
    kal::entry::chacod("ISO1");
    EXPECT_EQ(kal::entry::nlmess("\xC4"), stan);
    EXPECT_EQ(kal::entry::nlmess("!A"), stan);
    // ISO 8859-2 and -3 reach the Turkish letters of the 231-character alphabet.
    kal::entry::chacod("STAN");
    const int turkish = kal::entry::nlmess(s_cedilla.c_str());
    kal::entry::chacod("ISO2");
    EXPECT_EQ(kal::entry::nlmess("\xAA"), turkish);
    kal::entry::chacod("ISO3");
    EXPECT_EQ(kal::entry::nlmess("\xAA"), turkish);
    kal::entry::eushft("TURK", "#");
    EXPECT_EQ(kal::entry::nlmess("#S"), turkish);
    // A letter the table lacks is a blank.
    EXPECT_EQ(kal::entry::nlmess("\xC5"), kal::entry::nlmess(" "));
}

}  // namespace
