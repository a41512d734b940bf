// Hardware fonts: the standard PostScript fonts that psfont and the other
// font selections hand characters to (PostScript, PDF and SVG), with the
// widths that place them.
#pragma once

namespace kal {

struct Context;

struct HardwareGlyph {
    int font;  // standard font index
    int code;  // character code in that font
};

// The font and code that draw `code` of alphabet slot `alphabet`: with
// psmode GREE or BOTH the GREEK alphabet goes to Symbol, with ITAL or BOTH
// the ITALIC alphabet to the italic face of the font.
HardwareGlyph hardware_glyph(int font, int psmode, int alphabet, int code);
// Advance of a glyph drawn at the character height h (the cap height), in
// plot units.
double hardware_width(const HardwareGlyph& g, double h);

}  // namespace kal
