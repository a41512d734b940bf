// The text settings of one thread: height, angle, spacing, alphabets,
// control characters, national shifts, the vector or hardware font, and
// where the last text ended.
#pragma once
#include "core/state_part.h"
#include "text/fonts.h"

namespace kal {

struct Context;

// Alphabet numbers of the mixed-alphabet entries; INST collects
// instruction codes.
enum : int { ALPHA_STANDARD = 1, ALPHA_GREEK, ALPHA_MATH, ALPHA_ITALIC, ALPHA_SCRIPT, ALPHA_RUSSIAN,
             ALPHA_INST };

// Control characters of setmix, in the order of its keys.
enum : int { MIX_EXP = 0, MIX_IND, MIX_RES, MIX_LEG, MIX_TEX, MIX_COUNT };

// Code tables of chacod.
enum : int { CODES_STAN = 0, CODES_ISO1, CODES_ISO2, CODES_ISO3 };

enum : int { JUSTIFY_LEFT = 0, JUSTIFY_CENTRE, JUSTIFY_RIGHT };

struct MixEntry {
    int alphabet = 0;  // 0: unused; 1..6 or ALPHA_INST
    char shift_in = 0, shift_out = 0;
};

struct TextState {
    static constexpr int MAX_TEXT = 256;
    static constexpr int NATIONAL_KEYS = 8;

    int height = 36;             // plot units
    int angle = 0;               // degrees counter-clockwise
    double sin_a = 0, cos_a = 1;
    double width = 1.0;          // chawth
    double spacing = 0.0;        // chaspc, fraction of the height
    double slant = 0.0;          // chaang, as a tangent
    bool fixed = false;          // fixspc
    double fixed_factor = 1.0;
    int base = ALPHA_STANDARD;   // basalf
    char mix[MIX_COUNT] = {'[', ']', '$', '/', '\\'};
    bool mix_on = false;         // mixalf
    double exp_factor = 0.8;     // setexp
    double shift_factor = 0.6;   // setbas
    MixEntry entries[6];         // smxalf
    char national[NATIONAL_KEYS] = {};  // eushft characters, 0: none
    int code_table = CODES_STAN;
    int justify = JUSTIFY_LEFT;
    int frame = 0;               // frmess thickness
    bool tex = false;            // texmod
    bool tex_limits = true;      // texopt LIMI: limits above and below in display style
    bool tex_italic = true;      // texopt ITAL: letters in italics
    double tex_exp = 0.7;        // texval EXP: size of exponents and indices

    const Font* font = nullptr;  // vector font; null until kalini selects one
    int hw_font = -1;            // standard font index of psfont; -1: vector font
    int psmode = 0;              // NONE GREE ITAL BOTH

    bool has_end = false;        // a text was drawn: messag 999, 999 continues there
    double end_x = 0, end_y = 0; // its end on the start baseline, page coordinates

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Selects the vector font `number` (kalalf, complx, ...); hardware fonts
// are switched off.
void select_vector_font(Context& ctx, int number);

}  // namespace kal
