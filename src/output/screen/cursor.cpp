// The cursor routines. Positions come from the pointer in the current
// screen window; without one (another device, or the headless presenter,
// which has no pointer) every routine returns at once with no points and
// warning 101.
#include "api/routines_cursor.h"
#include "core/context.h"
#include "output/screen/cursor.h"

namespace kal {
namespace {

// The pointer of the current plot's window: none is wired to the drawing
// devices yet, so every request ends here.
bool pointer_window(Context& ctx) {
    custom_warning(ctx, 101, "No screen window with a pointer for the cursor");
    return false;
}

}  // namespace

const ResetKeys CursorState::reset_keys = {};

void CursorState::reset(Context& ctx) { ctx.cursor = CursorState{}; }

void csrmod(Context& ctx, const char* mode, const char* key) {
    const int k = keyword(ctx, "POIN+LINE", key);
    if (!k) return;
    const int m = keyword(ctx, k == 1 ? "NONE+SYMB" : "NONE+LINE", mode);
    if (!m) return;
    (k == 1 ? ctx.cursor.point_symbols : ctx.cursor.point_lines) = m == 2;
}

void csrtyp(Context& ctx, const char* shape) {
    const int k = keyword(ctx, "ARRO+CROS", shape);
    if (k) ctx.cursor.shape = k - 1;
}

void csruni(Context& ctx, const char* unit) {
    const int k = keyword(ctx, "PLOT+USER", unit);
    if (k) ctx.cursor.user_units = k == 2;
}

void setcsr(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "NONE+LINE", mode);
    if (k) ctx.cursor.track_line = k == 2;
}

void csrpt1(Context& ctx, int* nx, int* ny) {
    *nx = *ny = 0;
    pointer_window(ctx);
}

void csrpts(Context& ctx, int* nx, int* ny, int nmax, int* n) {
    (void)nx;
    (void)ny;
    *n = 0;
    if (out_of_range(ctx, nmax, 1, -1)) return;
    pointer_window(ctx);
}

void csrmov(Context& ctx, int* nx, int* ny, int nmax, int* n) { csrpts(ctx, nx, ny, nmax, n); }

void csrpos(Context& ctx, int nx, int ny, int* ix, int* iy, int* button) {
    *ix = nx;
    *iy = ny;
    *button = 0;
    pointer_window(ctx);
}

}  // namespace kal
