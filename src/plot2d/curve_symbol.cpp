// The one place where curves, error bars and legends draw plot symbols.
// Until the symbol tables are in, a symbol is an open square of the
// default symbol size, shielded like a symbol when automatic shielding of
// symbols is on.
#include <cmath>

#include "core/context.h"
#include "output/line_layer.h"
#include "output/shields.h"
#include "plot2d/curves.h"

namespace kal {

bool valid_symbol(const Context&, int nsym) { return nsym >= 0 && nsym <= 23; }

void plot_symbol(Context& ctx, int, double x, double y) {
    const double half = std::max(1.0, std::floor(36 / ctx.page.units + 0.5)) / 2;
    const double ox = x + ctx.page.origin_x, oy = y + ctx.page.origin_y;
    const LineState saved = ctx.line;
    const double solid[1] = {1};
    set_dash_pattern(ctx, solid, 1);
    ctx.line.offset = 0;
    line_move(ctx, ox - half, oy - half);
    line_draw(ctx, ox + half, oy - half);
    line_draw(ctx, ox + half, oy + half);
    line_draw(ctx, ox - half, oy + half);
    line_draw(ctx, ox - half, oy - half);
    line_flush(ctx);
    ctx.line.dash_count = saved.dash_count;
    for (int i = 0; i < saved.dash_count; ++i) ctx.line.dash[i] = saved.dash[i];
    ctx.line.dash_index = saved.dash_index;
    ctx.line.dash_pen_down = saved.dash_pen_down;
    ctx.line.dash_left = saved.dash_left;
    ctx.line.offset = saved.offset;
    add_automatic_box(ctx, SOURCE_SYMBOLS, ox - 1.2 * half, oy - 1.2 * half, ox + 1.2 * half,
                      oy + 1.2 * half);
}

}  // namespace kal
