// The one place where curves, error bars and legends draw plot symbols:
// the symbol of the current size and rotation (draw_symbol registers its
// shield square while automatic shielding of symbols is on).
#include "core/context.h"
#include "plot2d/curves.h"
#include "plot2d/symbols.h"

namespace kal {

bool valid_symbol(const Context& ctx, int nsym) { return symbol_known(ctx, nsym); }

double symbol_size(const Context& ctx) { return ctx.symbols.size; }

void plot_symbol(Context& ctx, int nsym, double x, double y) {
    draw_symbol(ctx, nsym, x, y, ctx.symbols.size);
}

}  // namespace kal
