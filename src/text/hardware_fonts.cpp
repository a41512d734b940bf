// Hardware fonts: psfont and the other font selections that route text to
// the standard PostScript fonts of the PostScript, PDF and SVG devices.
#include "text/hardware_fonts.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/frame.h"
#include "output/driver.h"
#include "output/drivers/screen.h"
#include "output/font_metrics.h"
#include "text/fonts.h"
#include "text/text_state.h"

namespace kal {
namespace {

// Upright face -> italic face.
const char* const ITALIC_FACES[][2] = {
    {"Times-Roman", "Times-Italic"},
    {"Times-Bold", "Times-BoldItalic"},
    {"Helvetica", "Helvetica-Oblique"},
    {"Helvetica-Bold", "Helvetica-BoldOblique"},
    {"Helvetica-Narrow", "Helvetica-Narrow-Oblique"},
    {"Helvetica-Narrow-Bold", "Helvetica-Narrow-BoldOblique"},
    {"NewCenturySchlbk-Roman", "NewCenturySchlbk-Italic"},
    {"NewCenturySchlbk-Bold", "NewCenturySchlbk-BoldItalic"},
    {"Courier", "Courier-Oblique"},
    {"Courier-Bold", "Courier-BoldOblique"},
    {"AvantGarde-Book", "AvantGarde-BookOblique"},
    {"AvantGarde-Demi", "AvantGarde-DemiOblique"},
    {"Bookman-Light", "Bookman-LightItalic"},
    {"Bookman-Demi", "Bookman-DemiItalic"},
    {"Palatino-Roman", "Palatino-Italic"},
    {"Palatino-Bold", "Palatino-BoldItalic"},
};

// The GREEK alphabet's Latin keys and the Symbol font's letters for the
// same Greek letters.
constexpr char GREEK_KEYS[] = "abcdezhqiklmnxprstyfguwCDQLXPSYFUW";
constexpr char SYMBOL_KEYS[] = "abgdezhqiklmnxprstufcywGDQLXPSUFYW";

int italic_face(int font) {
    const char* name = standard_font(font).name;
    for (const auto& pair : ITALIC_FACES)
        if (std::strcmp(pair[0], name) == 0) return standard_font_index(pair[1]);
    return font;
}

// The document devices, and screens whose window draws fonts (not the
// headless files).
bool hardware_device(const Context& ctx) {
    if (traits(ctx.page.device).hardware_fonts) return true;
    const auto* screen = dynamic_cast<const ScreenDriver*>(ctx.out.driver.get());
    return screen && screen->has_fonts();
}

// Makes the standard font `index` current; warning 49 on devices without
// hardware fonts.
void select_hardware(Context& ctx, int index) {
    if (!hardware_device(ctx)) {
        warn(ctx, 49);
        return;
    }
    ctx.text.hw_font = index;
    if (ctx.out.driver) ctx.out.driver->select_font(ctx, index, ctx.text.height);
}

bool contains(const std::string& upper, const char* word) { return upper.find(word) != std::string::npos; }

std::string upper(const char* s) {
    std::string u(s ? s : "");
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// A standard face from a family word and the bold and italic wishes.
int face(const std::string& name) {
    const bool bold = contains(name, "BOLD"), italic = contains(name, "ITAL") || contains(name, "OBLI");
    const char* family = "Times-Roman";
    if (contains(name, "ARIAL") || contains(name, "HELV") || contains(name, "SANS")) family = "Helvetica";
    if (contains(name, "COUR") || contains(name, "MONO")) family = "Courier";
    if (contains(name, "SYMBOL")) return standard_font_index("Symbol");
    int index = standard_font_index(family);
    if (bold) {
        const std::string b = std::strcmp(family, "Times-Roman") == 0 ? "Times-Bold" : std::string(family) + "-Bold";
        index = standard_font_index(b.c_str());
    }
    return italic ? italic_face(index) : index;
}

}  // namespace

HardwareGlyph hardware_glyph(int font, int psmode, int alphabet, int code) {
    if (alphabet == ALPHA_GREEK && (psmode & 1)) {
        const char* k = code > 32 && code < 127 ? std::strchr(GREEK_KEYS, code) : nullptr;
        if (k) return {standard_font_index("Symbol"), SYMBOL_KEYS[k - GREEK_KEYS]};
    }
    if (alphabet == ALPHA_ITALIC && (psmode & 2)) return {italic_face(font), code};
    return {font, code};
}

double hardware_width(const HardwareGlyph& g, double h) {
    const StandardFont& f = standard_font(g.font);
    const int w = standard_char_width(f.name, g.code);
    return w < 0 ? 0.0 : w * h / f.cap_height;
}

// ---- routines ----

void psfont(Context& ctx, const char* name) {
    if (!hardware_device(ctx)) {
        warn(ctx, 49);
        return;
    }
    int index = standard_font_index(name);
    if (index < 0) {
        char line[160];
        std::snprintf(line, sizeof line, " <<<< Warning: %.100s is not a standard font!\n", upper(name).c_str());
        message_line(ctx, line);
        index = standard_font_index("Times-Roman");
    }
    select_hardware(ctx, index);
}

void psmode(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "NONE+GREE+ITAL+BOTH", mode);
    if (k > 0) ctx.text.psmode = k - 1;
}

void hwfont(Context& ctx) {
    if (hardware_device(ctx)) select_hardware(ctx, standard_font_index("Times-Roman"));
}

void winfnt(Context& ctx, const char* name) { select_hardware(ctx, face(upper(name))); }

void x11fnt(Context& ctx, const char* name, const char* option) {
    (void)option;
    select_hardware(ctx, face(upper(name)));
}

// Bitmap fonts: the names of the vector fonts select those, other names
// the nearest standard face.
void bmpfnt(Context& ctx, const char* name) {
    if (const Font* f = find_font(name)) {
        select_vector_font(ctx, f->number);
        return;
    }
    select_hardware(ctx, face(upper(name)));
}

}  // namespace kal
