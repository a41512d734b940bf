// The colour table, named colours, colour ranges, fill patterns and the
// resolution of colour values into red, green and blue.
#pragma once
#include <cstdint>
#include <string>

namespace kal {

struct Context;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// A colour value whose top byte is 0x01 is a direct colour 0x01BBGGRR;
// any other value is an index (value modulo 256).
inline bool is_direct(int value) { return (static_cast<uint32_t>(value) >> 24) == 1u; }

struct ColourState {
    uint32_t table[256] = {};     // 0x00RRGGBB
    int active = 1;               // SMAL RAIN SPEC GREY RRAI RSPE RGRE VGA TEMP = 0..8
    std::string saved_vlt_file;   // last table saved with vltfil (symfil passes it on)
    int named[9] = {};            // WHITE RED GREEN YELLOW BLUE ORANGE CYAN MAGENTA BLACK
    int foreground = 255, background = 0;
    int range_first = 1, range_last = 254;
    int under = 0, over = 255;
    int cycle[30] = {};
    int screen_mode = 0;          // clrmod: NONE FULL CONT
    bool user_table_pending = false;  // myvlt at level 0: the next setvlt keeps the table
    // Fill pattern (shdpat, mypat).
    int pattern_number = 0, pattern_code = 0;
    int pattern_angle = 0, pattern_type = 0, pattern_density = 0, pattern_cross = 0;
    double hatch_spacing = 1.9999;
    int fill_kind = 0, fill_parameter = 0;   // group fills of types 2, 3 and 4
    // Colour scale of the colour axis (value-to-index rule).
    double scale_start = 0, scale_end = 1, data_min = 0, data_max = 1, scale_factor = 254;
    bool scale_log = false;
};

// RGB of a colour value (direct or from the table).
Rgb resolve_rgb(const Context& ctx, int value);
// Index of the nearest table entry (|dR|+|dG|+|dB|, lowest index wins ties,
// searched over 9 entries for SMAL, 16 for VGA, else 256).
int nearest_index(const Context& ctx, int r, int g, int b, bool stop_at_exact);
// Lower-case name of the active table for symfil ("rain", "rgre", ...).
const char* table_name_lower(const Context& ctx);
// What kalini and reset "ALL" do: RAIN, or RGRE on the device POST.
void reset_colours(Context& ctx);

}  // namespace kal
