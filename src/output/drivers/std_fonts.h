// The 35 standard PostScript fonts that the document formats address by
// number, and the library's national characters (codes 127 to 186) with
// their ISO-8859-1 codes, which are also their WinAnsi codes.
#pragma once

namespace kal {

constexpr int STANDARD_FONT_COUNT = 35;

struct StandardFont {
    const char* name;        // PostScript name, e.g. "Helvetica-Bold"
    int cap_height;          // per 1000 of the font size
    // The SVG face that stands for the font.
    const char* svg_family;
    const char* svg_weight;
    const char* svg_style;
};

// Font `index` (0 .. 34); indices outside the table give Times-Roman.
const StandardFont& standard_font(int index);
// Index of a font name compared case-insensitively, or -1.
int standard_font_index(const char* name);

constexpr int FIRST_NATIONAL = 127;
constexpr int LAST_NATIONAL = 186;
// ISO-8859-1 code of a national character code (127 .. 186), else 0.
int national_latin1(int code);

}  // namespace kal
