// The cursor routines' part of the context record (how collected points
// are marked, the pointer shape, the unit of positions, the track line of
// csrmov) and the pointer of the current screen window.
#pragma once
#include "core/state_part.h"

namespace kal {

struct Context;
class Presenter;

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

// The current screen window with a pointer: its presenter, handle, and the
// picture pixels per plot unit.
struct PointerWindow {
    Presenter* presenter = nullptr;
    int handle = 0;
    double factor = 1;
};

// The window, showing what is drawn so far; false after warning 101 when
// there is none (another device, or a display without a pointer).
bool pointer_window(Context& ctx, PointerWindow& w);

// Waits for the window's next pointer event (picture pixels): 1 with one,
// 0 when the wait was interrupted, -1 when the window closed. `first`
// forgets earlier events. Other threads may call in meanwhile.
int next_pointer_event(const PointerWindow& w, bool first, int& kind, int& x, int& y, int& button);

}  // namespace kal
