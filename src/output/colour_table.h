// The colour table and what the output layer resolves through it: colour
// values into red, green and blue, the nearest table entry, and the fill
// pattern selected for the pattern filler. The colour routines that change
// the table (setvlt, setrgb, the colour scale, shdpat) sit above, in
// colour3d/, and write this state.
#pragma once
#include <cstdint>
#include <string>

#include "core/state_part.h"

namespace kal {

struct Context;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// A colour value whose top byte is 0x01 is a direct colour 0x01BBGGRR;
// any other value is an index (value modulo 256).
inline bool is_direct(int value) { return (static_cast<uint32_t>(value) >> 24) == 1u; }

// The direct colour value of three components 0..255.
inline int direct_colour(int r, int g, int b) {
    return 0x01000000 | (b << 16) | (g << 8) | r;
}

// Table entries are packed 0x00RRGGBB (the reverse of direct values).
inline uint32_t pack_entry(int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}
inline Rgb unpack_entry(uint32_t e) {
    return {int((e >> 16) & 0xFF), int((e >> 8) & 0xFF), int(e & 0xFF)};
}

// The predefined tables, numbered in the order of the setvlt keywords.
enum ColourTable : int {
    TABLE_SMAL, TABLE_RAIN, TABLE_SPEC, TABLE_GREY, TABLE_RRAI,
    TABLE_RSPE, TABLE_RGRE, TABLE_VGA, TABLE_TEMP
};

// Order of the named colours (the color keywords).
enum NamedColour : int {
    NAMED_WHITE, NAMED_RED, NAMED_GREEN, NAMED_YELLOW, NAMED_BLUE,
    NAMED_ORANGE, NAMED_CYAN, NAMED_MAGENTA, NAMED_BLACK
};

struct ColourState {
    uint32_t table[256] = {};     // 0x00RRGGBB
    int active = TABLE_RAIN;      // SMAL RAIN SPEC GREY RRAI RSPE RGRE VGA TEMP = 0..8
    std::string saved_vlt_file;   // last table saved with vltfil (symfil passes it on)
    int named[9] = {};            // WHITE RED GREEN YELLOW BLUE ORANGE CYAN MAGENTA BLACK
    int foreground = 255, background = 0;
    int range_first = 1, range_last = 254;
    int under = 0, over = 255;
    int cycle[30] = {};           // curve colour cycle, slots 1..30
    int screen_mode = 0;          // clrmod: NONE FULL CONT
    bool user_table_pending = false;  // myvlt at level 0: the next setvlt keeps the table
    // Fill pattern (shdpat, mypat). pattern_number is what getpat returns:
    // the number given to shdpat, or the code formed by mypat.
    int pattern_number = 0, pattern_code = 0;
    int pattern_angle = 0, pattern_type = 0, pattern_density = 0, pattern_cross = 0;
    double hatch_spacing = 1.9999;           // plot units, already divided by the page scale
    int fill_kind = 0, fill_parameter = 0;   // group fills of types 2 (kind 2), 3 (3), 4 (8)
    // Colour scale of the colour axis (value-to-index rule).
    double scale_start = 0, scale_end = 1, data_min = 0, data_max = 1, scale_factor = 254;
    bool scale_log = false;

    // Defined with the colour routines (colour3d/colour_tables.cpp), which
    // know the predefined tables.
    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// RGB of a colour value (direct or from the table).
Rgb resolve_rgb(const Context& ctx, int value);
// Index of the nearest table entry (|dR|+|dG|+|dB|, lowest index wins ties,
// searched over 9 entries for SMAL, 16 for VGA, else 256).
int nearest_index(const Context& ctx, int r, int g, int b, bool stop_at_exact);

// A colour value as the device dispatch needs it: the components, and the
// table index (for direct values the nearest entry when the device has at
// most 8 bits per pixel, else -1; for index values the index).
struct DeviceColour {
    Rgb rgb;
    int index = -1;
};
DeviceColour resolve_device_colour(const Context& ctx, int value);

// Lower-case name of the active table for symfil ("rain", "rgre", ...).
const char* table_name_lower(const Context& ctx);

// A component 0..1 as 0..255: x * 255 + 0.5 truncated, kept within 0..255.
int component_255(double x);

// The solid pattern (shdpat 16) fills natively where devices can.
inline bool solid_pattern(const ColourState& c) { return c.pattern_code == 100; }
// shdpat without the routine frame, for routines that fill with a pattern
// of their own for one call and then restore the previous number.
void select_pattern(Context& ctx, int number);
// Stores a pattern code: angle*1000 + type*100 + density*10 + cross (mypat).
void apply_pattern_code(Context& ctx, int code);

// The fields a pattern selection sets, kept around a temporary pattern
// (a solid symbol, a filled triangle) without copying the colour table.
struct PatternFields {
    int number, code, angle, type, density, cross, fill_kind, fill_parameter;
    double hatch_spacing;
};
PatternFields save_pattern_fields(const ColourState& c);
void restore_pattern_fields(ColourState& c, const PatternFields& p);

}  // namespace kal
