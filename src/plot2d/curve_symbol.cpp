// The one place where curves, error bars and legends draw plot symbols:
// the symbol of the current size and rotation, and its shield square of
// 1.2 times the size while automatic shielding of symbols is on.
#include "core/context.h"
#include "output/shields.h"
#include "plot2d/curves.h"
#include "plot2d/symbols.h"

namespace kal {

bool valid_symbol(const Context& ctx, int nsym) { return symbol_known(ctx, nsym); }

double symbol_size(const Context& ctx) { return ctx.symbols.size; }

void plot_symbol(Context& ctx, int nsym, double x, double y) {
    const double size = ctx.symbols.size;
    draw_symbol(ctx, nsym, x, y, size);
    const double ox = x + ctx.page.origin_x, oy = y + ctx.page.origin_y, r = 0.6 * size;
    add_automatic_box(ctx, SOURCE_SYMBOLS, ox - r, oy - r, ox + r, oy + r);
}

}  // namespace kal
