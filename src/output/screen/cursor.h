// The settings of the cursor routines: how collected points are marked,
// the pointer shape, the unit of positions and the track line of csrmov.
#pragma once
#include "core/state_part.h"

namespace kal {

struct Context;

enum : int { CURSOR_ARROW = 0, CURSOR_CROSS };

struct CursorState {
    bool point_symbols = false;   // csrmod SYMB POINT
    bool point_lines = false;     // csrmod LINE LINE
    int shape = CURSOR_ARROW;     // csrtyp
    bool user_units = false;      // csruni USER
    bool track_line = false;      // setcsr LINE

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

}  // namespace kal
