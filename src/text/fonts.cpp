// Font lookup over the generated tables in text/font_data.
#include "text/fonts.h"

#include <strings.h>

#include <mutex>
#include <unordered_map>

namespace kal {

namespace font_data {
extern const AlphabetData kalalf_standard, kalalf_second, simplx_standard, simplx_second,
    complx_standard, complx_italic, duplx_standard, triplx_standard, gothic_standard,
    gothic_italic, gothic_script, helve_standard, helves_standard, serif_standard,
    shared_greek, shared_mathematic, shared_script, shared_russian;
}  // namespace font_data

namespace {

using namespace font_data;

// An empty slot copies the standard data with a count of its own.
constexpr int kEmptyCount = 102;

Alphabet own(const AlphabetData& d) { return {&d, d.count, false}; }
Alphabet empty_slot(const AlphabetData& d) { return {&d, kEmptyCount, true}; }

const Alphabet kGreek = own(shared_greek), kMath = own(shared_mathematic),
               kScript = own(shared_script), kRussian = own(shared_russian);

const Font kFonts[] = {
    {"kalalf", 1,
     {own(kalalf_standard), own(kalalf_second), kMath, empty_slot(kalalf_standard), kScript,
      kRussian}},
    {"complx", 3, {own(complx_standard), kGreek, kMath, own(complx_italic), kScript, kRussian}},
    {"simplx", 4,
     {own(simplx_standard), own(simplx_second), kMath, empty_slot(simplx_standard), kScript,
      kRussian}},
    {"duplx", 5,
     {own(duplx_standard), kGreek, kMath, empty_slot(duplx_standard), kScript, kRussian}},
    {"triplx", 6,
     {own(triplx_standard), kGreek, kMath, empty_slot(triplx_standard), kScript, kRussian}},
    {"gothic", 7,
     {own(gothic_standard), kGreek, kMath, own(gothic_italic), own(gothic_script), kRussian}},
    {"helve", 11,
     {own(helve_standard), kGreek, kMath, empty_slot(helve_standard), kScript, kRussian}},
    {"helves", 12,
     {own(helves_standard), kGreek, kMath, empty_slot(helves_standard), kScript, kRussian}},
    {"serif", 14,
     {own(serif_standard), kGreek, kMath, empty_slot(serif_standard), kScript, kRussian}},
};

// Start of each glyph record, found once per alphabet data by walking the
// chain; entry g - 2 belongs to glyph g.
const std::vector<int>& record_starts(const AlphabetData* d) {
  static std::mutex mutex;
  static std::unordered_map<const AlphabetData*, std::vector<int>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(d);
  if (it != cache.end()) return it->second;
  std::vector<int> starts;
  int pos = 0;
  while (pos < d->table_size && d->table[pos] > 0) {
    starts.push_back(pos);
    pos += d->table[pos];
  }
  return cache.emplace(d, std::move(starts)).first->second;
}

int low_byte(int word) { return static_cast<int8_t>(word & 0xFF); }
int high_byte(int word) { return static_cast<int8_t>((word >> 8) & 0xFF); }

}  // namespace

FontUnits font_units(int number, int slot) {
  if (number == 1) {
    if (slot == 1 || slot == 2 || slot == 4) return {6, 7, 0, 6};
    return {20, 21, 0.25, 6};
  }
  if (number == 2) {
    if (slot == 1 || slot == 2 || slot == 4) return {12, 13, 1.0 / 6.0, 5};
    return {20, 21, 0.25, 5};
  }
  if (number <= 10) return {20, 21, 0.25, 9};
  if (slot == 1 || slot == 4) return {200, 200, 0.2, 60};
  return {20, 21, 0.25, 60};
}

const Font* find_font(const char* name) {
  if (!name) return nullptr;
  for (const Font& f : kFonts)
    if (strcasecmp(f.name, name) == 0) return &f;
  return nullptr;
}

const Font* find_font(int number) {
  for (const Font& f : kFonts)
    if (f.number == number) return &f;
  return nullptr;
}

const std::vector<const Font*>& all_fonts() {
  static const std::vector<const Font*> fonts = [] {
    std::vector<const Font*> v;
    for (const Font& f : kFonts) v.push_back(&f);
    return v;
  }();
  return fonts;
}

Glyph find_glyph(const Alphabet& a, int font_number, int code) {
  Glyph glyph;
  const int g = code - 31;
  if (!a.data || g < 2 || g > a.count) return glyph;
  const AlphabetData& d = *a.data;
  const std::vector<int>& starts = record_starts(&d);
  if (g - 2 >= static_cast<int>(starts.size())) return glyph;
  const double step = font_number <= 10 ? 0.5 : 2.0;
  const int pos = starts[g - 2];
  const int end = pos + d.table[pos];
  int i = pos + 1;
  bool has_width = false;
  while (i + 1 < end) {
    int n = d.table[i];
    const int first = d.table[i + 1] - 1;
    i += 2;
    double dx = 0, dy = 0;
    if (n < 0) {
      if (i >= end) break;
      n = -n;
      dx = low_byte(d.table[i]) * step;
      dy = high_byte(d.table[i]) * step;
      ++i;
    }
    if (first < 0 || n <= 0 || first + n > d.coord_count) continue;
    // A stroke of one point is no ink: it marks where the advance ends
    // (the glyph's right side bearing).
    const bool marker = n == 1;
    for (int k = first; k < first + n; ++k) {
      double x, y;
      if (d.y) {
        x = d.x[k];
        y = d.y[k];
      } else {
        x = low_byte(d.x[k]);
        y = high_byte(d.x[k]);
      }
      x += dx;
      y += dy;
      if (!has_width || x > glyph.width) glyph.width = x;
      has_width = true;
      if (!marker) glyph.points.push_back({x, y});
    }
    if (!marker) glyph.ends.push_back(static_cast<int>(glyph.points.size()));
  }
  glyph.blank = glyph.ends.empty();
  if (glyph.blank) glyph.width = 0;
  return glyph;
}

}  // namespace kal
