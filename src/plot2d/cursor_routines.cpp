// The cursor routines: clicks, drags and the pointer position in the
// current screen window, in plot coordinates (as messag takes them) or,
// after csruni "USER", in the user coordinates of the open axis system.
// Without a window they return at once with no points (warning 101).
#include <cmath>
#include <vector>

#include "api/routines_cursor.h"
#include "core/context.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/screen/cursor.h"
#include "output/screen/presenter.h"
#include "plot2d/coordinate_stage.h"
#include "plot2d/curves.h"

namespace kal {
namespace {

// A picture pixel as the caller's numbers.
void to_units(const Context& ctx, const PointerWindow& w, int px, int py, int& nx, int& ny) {
    const double x = px / w.factor, y = py / w.factor;   // page coordinates, y downwards
    double ux, uy;
    if (ctx.cursor.user_units && ctx.frame.level >= 2 &&
        plot_to_user(ctx, x - ctx.page.origin_x, y - ctx.page.origin_y, ux, uy)) {
        nx = int(std::lround(ux));
        ny = int(std::lround(uy));
        return;
    }
    nx = int(std::lround(x));
    ny = int(std::lround(ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - y : y));
}

// The caller's numbers as a picture pixel.
void to_pixel(const Context& ctx, const PointerWindow& w, int nx, int ny, int& px, int& py) {
    double x = nx, y = ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - double(ny) : double(ny);
    if (ctx.cursor.user_units && ctx.frame.level >= 2) {
        const PlotPoint p = user_to_plot(ctx, nx, ny);
        x = p.x + ctx.page.origin_x;
        y = p.y + ctx.page.origin_y;
    }
    px = int(std::lround(x * w.factor));
    py = int(std::lround(y * w.factor));
}

// Marks a collected point (csrmod, setcsr): a symbol, and a line from the
// point before; shown at once.
void mark(Context& ctx, const PointerWindow& w, int px, int py, bool line, bool symbol, int& last_x, int& last_y,
          bool& has_last) {
    const double x = px / w.factor, y = py / w.factor;
    if (line && has_last) {
        line_move(ctx, last_x / w.factor, last_y / w.factor);
        line_draw(ctx, x, y);
    }
    if (symbol) plot_symbol(ctx, ctx.curves.marker, x - ctx.page.origin_x, y - ctx.page.origin_y);
    last_x = px;
    last_y = py;
    has_last = true;
    if (line || symbol) {
        line_flush(ctx);
        if (ctx.out.driver) ctx.out.driver->update(ctx);
    }
}

// Collects points into nx, ny: left clicks until the right button
// (drag false), or the track while the left button is held (drag true).
void collect(Context& ctx, int* nx, int* ny, int nmax, int* n, bool drag) {
    *n = 0;
    if (out_of_range(ctx, nmax, 1, -1)) return;
    PointerWindow w;
    if (!pointer_window(ctx, w)) return;
    const CursorState& c = ctx.cursor;
    const bool line = drag ? c.track_line : c.point_lines, symbol = !drag && c.point_symbols;
    int kind, x, y, button, last_x = 0, last_y = 0;
    bool has_last = false, held = false;
    for (bool first = true; *n < nmax; first = false) {
        if (next_pointer_event(w, first, kind, x, y, button) != 1) return;
        if (!drag) {
            if (kind != KAL_POINTER_PRESS) continue;
            if (button == 3) return;
            if (button != 1) continue;
        } else {
            if (kind == KAL_POINTER_PRESS && button == 1) held = true;
            else if (kind == KAL_POINTER_RELEASE && button == 1 && held) return;
            else if (kind != KAL_POINTER_MOTION || !held) continue;
        }
        to_units(ctx, w, x, y, nx[*n], ny[*n]);
        ++*n;
        mark(ctx, w, x, y, line, symbol, last_x, last_y, has_last);
    }
}

}  // namespace

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
    PointerWindow w;
    if (!pointer_window(ctx, w)) return;
    int kind, x, y, button;
    for (bool first = true;; first = false) {
        if (next_pointer_event(w, first, kind, x, y, button) != 1) return;
        if (kind == KAL_POINTER_PRESS && button == 1) return to_units(ctx, w, x, y, *nx, *ny);
    }
}

void csrpts(Context& ctx, int* nx, int* ny, int nmax, int* n) { collect(ctx, nx, ny, nmax, n, false); }

void csrmov(Context& ctx, int* nx, int* ny, int nmax, int* n) { collect(ctx, nx, ny, nmax, n, true); }

void csrpos(Context& ctx, int nx, int ny, int* ix, int* iy, int* button) {
    *ix = nx;
    *iy = ny;
    *button = 0;
    PointerWindow w;
    if (!pointer_window(ctx, w)) return;
    int x, y;
    to_pixel(ctx, w, nx, ny, x, y);
    if (w.presenter->pointer(w.handle, true, x, y, *button)) to_units(ctx, w, x, y, *ix, *iy);
}

}  // namespace kal
