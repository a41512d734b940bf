#include "output/font_metrics.h"

#include <strings.h>

#include <cctype>

namespace kal {

namespace font_data {
extern const char* const standard_font_names[STANDARD_FONT_COUNT];
extern const int16_t standard_font_widths[STANDARD_FONT_COUNT][155];
}  // namespace font_data

namespace {

const StandardFont FONTS[STANDARD_FONT_COUNT] = {
    {"Times-Roman", 683, "Times", "normal", "normal"},
    {"Times-Bold", 676, "Times", "bold", "normal"},
    {"Times-Italic", 683, "Times", "normal", "italic"},
    {"Times-BoldItalic", 699, "Times", "bold", "italic"},
    {"Helvetica", 718, "Helvetica", "normal", "normal"},
    {"Helvetica-Bold", 718, "Helvetica", "bold", "normal"},
    {"Helvetica-Oblique", 718, "Helvetica", "normal", "oblique"},
    {"Helvetica-BoldOblique", 718, "Helvetica", "bold", "oblique"},
    {"Helvetica-Narrow", 718, "Helvetica", "normal", "normal"},
    {"Helvetica-Narrow-Bold", 718, "Helvetica", "bold", "normal"},
    {"Helvetica-Narrow-Oblique", 718, "Helvetica", "normal", "oblique"},
    {"Helvetica-Narrow-BoldOblique", 718, "Helvetica", "bold", "oblique"},
    {"NewCenturySchlbk-Roman", 737, "Times", "normal", "normal"},
    {"NewCenturySchlbk-Italic", 737, "Times", "normal", "normal"},
    {"NewCenturySchlbk-Bold", 737, "Times", "normal", "normal"},
    {"NewCenturySchlbk-BoldItalic", 737, "Times", "normal", "normal"},
    {"ZapfChancery-MediumItalic", 748, "Times", "normal", "normal"},
    {"ZapfDingbats", 685, "Times", "normal", "normal"},
    {"Courier", 629, "Courier", "normal", "normal"},
    {"Courier-Bold", 626, "Courier", "bold", "normal"},
    {"Courier-Oblique", 629, "Courier", "normal", "oblique"},
    {"Courier-BoldOblique", 626, "Courier", "bold", "oblique"},
    {"AvantGarde-Book", 740, "Times", "normal", "normal"},
    {"AvantGarde-Demi", 740, "Times", "normal", "normal"},
    {"AvantGarde-BookOblique", 740, "Times", "normal", "normal"},
    {"AvantGarde-DemiOblique", 740, "Times", "normal", "normal"},
    {"Bookman-Light", 717, "Times", "normal", "normal"},
    {"Bookman-LightItalic", 717, "Times", "normal", "normal"},
    {"Bookman-Demi", 725, "Times", "normal", "normal"},
    {"Bookman-DemiItalic", 732, "Times", "normal", "normal"},
    {"Palatino-Roman", 726, "Times", "normal", "normal"},
    {"Palatino-Italic", 733, "Times", "normal", "normal"},
    {"Palatino-Bold", 720, "Times", "normal", "normal"},
    {"Palatino-BoldItalic", 726, "Times", "normal", "normal"},
    {"Symbol", 685, "Symbol", "normal", "normal"},
};

// Glyphs of the codes 127 .. 186, in order: Adieresis Odieresis Udieresis
// adieresis odieresis udieresis germandbls Aring Oslash AE aring oslash ae
// Ntilde ntilde Ccedilla ccedilla Edieresis Idieresis edieresis idieresis
// Aacute Eacute Iacute Oacute Uacute aacute eacute iacute oacute uacute
// Agrave Egrave Igrave Ograve Ugrave agrave egrave igrave ograve ugrave
// Acircumflex Ecircumflex Icircumflex Ocircumflex Ucircumflex acircumflex
// ecircumflex icircumflex ocircumflex ucircumflex Atilde atilde Otilde
// otilde Yacute yacute ydieresis exclamdown questiondown.
const unsigned char NATIONAL[] = {
    0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF, 0xC5, 0xD8, 0xC6, 0xE5, 0xF8, 0xE6, 0xD1, 0xF1,
    0xC7, 0xE7, 0xCB, 0xCF, 0xEB, 0xEF, 0xC1, 0xC9, 0xCD, 0xD3, 0xDA, 0xE1, 0xE9, 0xED, 0xF3,
    0xFA, 0xC0, 0xC8, 0xCC, 0xD2, 0xD9, 0xE0, 0xE8, 0xEC, 0xF2, 0xF9, 0xC2, 0xCA, 0xCE, 0xD4,
    0xDB, 0xE2, 0xEA, 0xEE, 0xF4, 0xFB, 0xC3, 0xE3, 0xD5, 0xF5, 0xDD, 0xFD, 0xFF, 0xA1, 0xBF,
};
static_assert(sizeof(NATIONAL) == LAST_NATIONAL - FIRST_NATIONAL + 1);

}  // namespace

const StandardFont& standard_font(int index) {
    return FONTS[(index >= 0 && index < STANDARD_FONT_COUNT) ? index : 0];
}

int standard_font_index(const char* name) {
    for (int i = 0; i < STANDARD_FONT_COUNT; ++i) {
        const char* a = FONTS[i].name;
        const char* b = name;
        while (*a && *b && std::toupper(static_cast<unsigned char>(*a)) ==
                               std::toupper(static_cast<unsigned char>(*b))) {
            ++a;
            ++b;
        }
        if (!*a && !*b) return i;
    }
    return -1;
}

int national_latin1(int code) {
    if (code < FIRST_NATIONAL || code > LAST_NATIONAL) return 0;
    return NATIONAL[code - FIRST_NATIONAL];
}

int standard_font_count() { return STANDARD_FONT_COUNT; }

const char* standard_font_name(int index) {
    return index >= 0 && index < STANDARD_FONT_COUNT ? font_data::standard_font_names[index] : nullptr;
}

int standard_char_width(const char* name, int code) {
    if (!name) return -1;
    for (int f = 0; f < STANDARD_FONT_COUNT; ++f) {
        if (strcasecmp(font_data::standard_font_names[f], name) != 0) continue;
        if (code < 32 || code > 186) code = 32;
        return font_data::standard_font_widths[f][code - 32];
    }
    return -1;
}

}  // namespace kal
