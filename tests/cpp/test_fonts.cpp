// The font tables: alphabet sizes, glyph geometry against the source fonts,
// the national characters and the standard font widths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "output/font_metrics.h"
#include "text/fonts.h"

namespace {

using kal::Alphabet;
using kal::Font;
using kal::Glyph;

struct Box {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
};

Box box(const Glyph& g) {
  Box b;
  for (const auto& p : g.points) {
    b.x0 = std::min(b.x0, p.x);
    b.y0 = std::min(b.y0, p.y);
    b.x1 = std::max(b.x1, p.x);
    b.y1 = std::max(b.y1, p.y);
  }
  return b;
}

Glyph glyph(const char* font, int slot, int code) {
  const Font* f = kal::find_font(font);
  return kal::find_glyph(f->slots[slot - 1], f->number, code);
}

bool has_point(const Glyph& g, double x, double y) {
  return std::any_of(g.points.begin(), g.points.end(),
                     [&](const kal::GlyphPoint& p) { return p.x == x && p.y == y; });
}

TEST(Fonts, FindByNameAndNumberAndSlotCounts) {
  struct Expect {
    const char* name;
    int number;
    int counts[6];
  };
  // Shared alphabets: GREEK 95, MATHEMATIC 95, SCRIPT 102, RUSSIAN 95;
  // empty slots copy the standard data with 102 characters.
  const Expect fonts[] = {
      {"kalalf", 1, {132, 95, 95, 102, 102, 95}}, {"complx", 3, {231, 95, 95, 102, 102, 95}},
      {"simplx", 4, {132, 95, 95, 102, 102, 95}}, {"duplx", 5, {132, 95, 95, 102, 102, 95}},
      {"triplx", 6, {132, 95, 95, 102, 102, 95}}, {"gothic", 7, {95, 95, 95, 95, 102, 95}},
      {"helve", 11, {132, 95, 95, 102, 102, 95}}, {"helves", 12, {132, 95, 95, 102, 102, 95}},
      {"serif", 14, {132, 95, 95, 102, 102, 95}},
  };
  EXPECT_EQ(kal::all_fonts().size(), std::size(fonts));
  for (const Expect& e : fonts) {
    const Font* f = kal::find_font(e.name);
    ASSERT_NE(f, nullptr) << e.name;
    EXPECT_EQ(f->number, e.number);
    EXPECT_EQ(kal::find_font(e.number), f);
    for (int s = 0; s < 6; ++s) {
      const Alphabet& a = f->slots[s];
      EXPECT_EQ(a.count, e.counts[s]) << e.name << " slot " << s + 1;
      // The data holds a record for every character after the blank.
      int records = 0;
      for (int pos = 0; pos < a.data->table_size; pos += a.data->table[pos]) ++records;
      EXPECT_GE(records, a.count - 1) << e.name << " slot " << s + 1;
    }
  }
  EXPECT_EQ(kal::find_font("COMPLX"), kal::find_font(3));
  EXPECT_EQ(kal::find_font("nofont"), nullptr);
  EXPECT_EQ(kal::find_font(2), nullptr);
}

TEST(Fonts, GeometryFollowsTheSources) {
  // futural.jhf H is "G]KFK[ RYFY[ RKPYP": stems at x = -7 and 7 from
  // y = -12 to 9 (y down, baseline 9): 14 units wide, 21 high.
  Glyph h = glyph("simplx", 1, 'H');
  EXPECT_EQ(h.width, 14);
  EXPECT_EQ(h.ends.size(), 3u);
  EXPECT_TRUE(has_point(h, 0, 21) && has_point(h, 0, 0) && has_point(h, 14, 11));
  EXPECT_EQ(glyph("simplx", 1, 'W').width, 20);
  EXPECT_EQ(glyph("simplx", 1, 'o').width, 13);
  EXPECT_EQ(glyph("complx", 1, 'm').width, 29);   // timesr m: ink -14 .. 15
  EXPECT_EQ(glyph("complx", 1, 'A').width, 18);
  EXPECT_EQ(glyph("triplx", 1, 'H').ends.size(), 27u);
  EXPECT_EQ(glyph("gothic", 1, 'A').width, 22);
  // The basic font is the simplex design on a third of the scale, one unit
  // in from the left: the stems at round(-7 / 3) and round(7 / 3), 7 high.
  Box k = box(glyph("kalalf", 1, 'H'));
  EXPECT_EQ(k.x0, 1);
  EXPECT_EQ(k.x1, 5);
  EXPECT_EQ(k.y1, 7);
  // Outline fonts: H stands on the baseline with a cap height of 200; o is
  // a ring of two contours.
  for (const char* name : {"helve", "helves", "serif"}) {
    Box b = box(glyph(name, 1, 'H'));
    EXPECT_EQ(b.y0, 0) << name;
    EXPECT_EQ(b.y1, 200) << name;
    EXPECT_EQ(glyph(name, 1, 'o').ends.size(), 2u) << name;
  }
  EXPECT_GT(glyph("helves", 1, 'l').width, glyph("helve", 1, 'l').width);  // bold stem
  // GREEK: the key letters give the Greek letters; the omega differs from w.
  EXPECT_NE(glyph("complx", 2, 'w').points.size(), glyph("complx", 1, 'w').points.size());
}

TEST(Fonts, EveryPrintableCharacterDrawsInsideItsCell) {
  for (const Font* f : kal::all_fonts()) {
    for (int s = 1; s <= 6; ++s) {
      const Alphabet& a = f->slots[s - 1];
      kal::FontUnits u = kal::font_units(f->number, s);
      // Up to 186 every code has a glyph; beyond, the long alphabet has gaps.
      for (int code = 33; code <= 31 + a.count; ++code) {
        Glyph g = kal::find_glyph(a, f->number, code);
        std::string where = std::string(f->name) + " slot " + std::to_string(s) + " code " +
                            std::to_string(code);
        if (code > 186 && g.blank) continue;
        ASSERT_FALSE(g.blank) << where;
        Box b = box(g);
        EXPECT_GE(b.x0, 0) << where;
        // Ink starts at the left of the cell; narrow characters and points
        // stand between side bearings of up to two units.
        EXPECT_LE(b.x0, 2) << where;
        EXPECT_LE(b.x1, g.width) << where;
        EXPECT_LE(g.width - b.x1, 2) << where;
        EXPECT_LE(g.width, 3 * u.x_unit) << where;
        EXPECT_GE(b.y0, -1.5 * u.y_unit) << where;
        EXPECT_LE(b.y1, 2.5 * u.y_unit) << where;
        for (size_t k = 0; k < g.ends.size(); ++k)
          EXPECT_GE(g.ends[k] - (k ? g.ends[k - 1] : 0), f->number > 10 && s == 1 ? 3 : 2)
              << where;
      }
      // Beyond the alphabet and below the first glyph: blanks.
      EXPECT_TRUE(kal::find_glyph(a, f->number, 32 + a.count).blank);
      EXPECT_TRUE(kal::find_glyph(a, f->number, 32).blank);
      EXPECT_TRUE(kal::find_glyph(a, f->number, 7).blank);
    }
  }
}

TEST(Fonts, NationalCharactersAreBaseLettersWithAccents) {
  struct Pair {
    int code;
    char base;
    bool below;
  };
  // Ä, ö, Å, Ñ, ç, É, è, Û, õ, ý and ÿ over their base letters.
  const Pair pairs[] = {{127, 'A', false}, {131, 'o', false}, {134, 'A', false},
                        {140, 'N', false}, {143, 'c', true},  {149, 'E', false},
                        {164, 'e', false}, {172, 'U', false}, {181, 'o', false},
                        {183, 'y', false}, {184, 'y', false}};
  for (const Font* f : kal::all_fonts()) {
    const Alphabet& a = f->slots[0];
    for (const Pair& p : pairs) {
      if (p.code > 31 + a.count) continue;
      Glyph accented = kal::find_glyph(a, f->number, p.code);
      Glyph base = kal::find_glyph(a, f->number, p.base);
      std::string where = std::string(f->name) + " code " + std::to_string(p.code);
      ASSERT_FALSE(accented.blank) << where;
      EXPECT_GT(accented.ends.size(), base.ends.size()) << where;
      if (p.below)
        EXPECT_LT(box(accented).y0, box(base).y0) << where;
      else
        EXPECT_GT(box(accented).y1, box(base).y1) << where;
    }
  }
  // Stroke fonts build accented letters over the base strokes (stored once
  // and reached again, partly through offsets): every point of o is in ö.
  for (const char* name : {"simplx", "complx", "duplx", "triplx"}) {
    Glyph o = glyph(name, 1, 'o'), oe = glyph(name, 1, 131);
    for (const auto& p : o.points) EXPECT_TRUE(has_point(oe, p.x, p.y)) << name;
  }
  // The 231-character alphabet also holds the Turkish letters.
  for (int code : {186, 196, 206, 241, 242, 243, 244})
    EXPECT_FALSE(glyph("complx", 1, code).blank) << code;
  EXPECT_TRUE(glyph("complx", 1, 200).blank);
  // The German script alphabets reach sharp s; the gothic one too.
  EXPECT_FALSE(glyph("complx", 5, 133).blank);
  EXPECT_FALSE(glyph("gothic", 5, 133).blank);
}

TEST(Fonts, StandardFontWidths) {
  EXPECT_EQ(kal::standard_font_count(), 35);
  EXPECT_STREQ(kal::standard_font_name(0), "Times-Roman");
  EXPECT_EQ(kal::standard_font_name(35), nullptr);
  // From the metric files: NimbusSans-Regular A 667, space 278, Adieresis
  // 667; NimbusRoman-Regular A 722; every Courier glyph 600.
  EXPECT_EQ(kal::standard_char_width("Helvetica", 'A'), 667);
  EXPECT_EQ(kal::standard_char_width("helvetica", ' '), 278);
  EXPECT_EQ(kal::standard_char_width("Helvetica", 127), 667);
  EXPECT_EQ(kal::standard_char_width("Helvetica", 300), 278);  // drawn as a blank
  EXPECT_EQ(kal::standard_char_width("Times-Roman", 'A'), 722);
  EXPECT_EQ(kal::standard_char_width("Times-Roman", 133), 500);  // germandbls
  for (int code = 32; code <= 186; ++code)
    EXPECT_EQ(kal::standard_char_width("Courier-Bold", code), 600) << code;
  EXPECT_EQ(kal::standard_char_width("Arial", 'A'), -1);
  EXPECT_EQ(kal::standard_char_width(nullptr, 'A'), -1);
}

}  // namespace
