// The predefined colour tables and what setvlt derives from them.
#pragma once
#include <cstdint>

namespace kal {

struct Context;

// Writes the entries of a predefined table into `table`, as the formulas
// give them, without device adjustments: all 256 entries, or entries 0..8
// for SMAL and 0..15 for VGA (the others keep their contents).
void fill_predefined(uint32_t table[256], int which);

// The entry exchanged with entry 0 by the reversal step and revscr:
// 1 for SMAL, 15 for VGA, 255 otherwise.
int foreground_entry(int which);

// The setvlt logic without output: table (unless a table given with myvlt
// at level 0 is pending), named colours, foreground and background, colour
// range, under and over colours, the reversal step and the curve colour
// cycle, for the open device.
void select_table(Context& ctx, int which);

// select_table, then the table goes to the device and the foreground index
// becomes the current colour.
void load_table(Context& ctx, int which);

// The curve colour cycle from the named colours (the CLRC reset).
void fill_colour_cycle(Context& ctx);
// The colour range of the active table (the COLR reset).
void default_colour_range(Context& ctx);
// The foreground index made current (the COLO reset, for color).
void reset_current_colour(Context& ctx);
// The empty fill pattern (the SHDP reset).
void reset_fill_pattern(Context& ctx);

}  // namespace kal
