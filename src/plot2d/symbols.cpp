// Plot symbols: symbol, rlsymb, the size and rotation settings, and the user
// symbol of mysymb.
#include "plot2d/symbols.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "api/routines_colour_and_line_attributes.h"
#include "api/routines_figures_and_symbols.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "output/driver.h"
#include "output/figure_polygon.h"
#include "output/line_layer.h"
#include "output/shields.h"
#include "plot2d/symbol_shapes.h"
#include "plot2d/user_coordinates.h"
#include "text/text_engine.h"

namespace kal {
namespace {

// Solid lines for the lifetime of the guard; the line style and its phase
// come back afterwards.
class SolidLines {
public:
    explicit SolidLines(Context& ctx) : ctx_(ctx), saved_(save_dash(ctx.line)) {
        line_flush(ctx);
        ctx.line.dash_count = 0;
    }
    ~SolidLines() {
        line_flush(ctx_);
        restore_dash(ctx_.line, saved_);
    }
    SolidLines(const SolidLines&) = delete;
    SolidLines& operator=(const SolidLines&) = delete;

private:
    Context& ctx_;
    const DashPhase saved_;
};

void draw_stroke(Context& ctx, const std::vector<SymbolPoint>& points, bool filled, double x, double y, double h,
                 double c, double s) {
    const int n = static_cast<int>(points.size());
    // Symbol strokes are short: their points stay on the stack.
    constexpr int SMALL = 64;
    double sx[SMALL], sy[SMALL];
    std::vector<double> vx, vy;
    double* px = sx;
    double* py = sy;
    if (n > SMALL) {
        vx.resize(size_t(n));
        vy.resize(size_t(n));
        px = vx.data();
        py = vy.data();
    }
    for (int i = 0; i < n; ++i) {
        const double u = points[i].x, v = points[i].y;
        px[i] = x + h * (u * c - v * s);
        py[i] = y - h * (u * s + v * c);
    }
    if (filled)
        draw_solid(ctx, n, px, py);
    else
        draw_polyline(ctx, n, px, py, false);
}

}  // namespace

bool symbol_known(const Context& ctx, int nsym) {
    return (nsym >= 0 && nsym < SYMBOL_COUNT) || (nsym >= 0 && nsym == ctx.symbols.user_number);
}

void draw_symbol(Context& ctx, int nsym, double x, double y, double size, double degrees) {
    if (!symbol_known(ctx, nsym)) return;
    const double t = std::fabs(degrees) < 0.001 ? 0.0 : degrees * 0.01745329;
    const double c = std::cos(t), s = std::sin(t), h = size / 2;
    SolidLines solid(ctx);
    const SymbolState& st = ctx.symbols;
    if (nsym == st.user_number) {
        std::vector<SymbolPoint> points;
        for (size_t i = 0; i < st.user_x.size(); ++i) points.push_back({st.user_x[i], st.user_y[i]});
        if (!st.user_filled) points.push_back(points.front());
        draw_stroke(ctx, points, st.user_filled, x, y, h, c, s);
        return;
    }
    const SymbolShape& shape = symbol_shape(nsym);
    for (const auto& stroke : shape.strokes) draw_stroke(ctx, stroke, shape.filled, x, y, h, c, s);
}

namespace {

struct SymbolCall {
    Context& ctx;
    int nsym;
    double size, degrees;
    static void draw(void* data, double x, double y) {
        const SymbolCall& c = *static_cast<const SymbolCall*>(data);
        draw_symbol(c.ctx, c.nsym, x, y, c.size, c.degrees);
    }
};

}  // namespace

void draw_symbol(Context& ctx, int nsym, double x, double y, double size) {
    // Symbols by the thousand: the device may repeat the first one's pixels.
    SymbolCall call{ctx, nsym, size, ctx.symbols.rotation};
    const FigureDraw draw{SymbolCall::draw, &call};
    const bool repeated = symbol_known(ctx, nsym) && nsym != ctx.symbols.user_number && ctx.out.driver &&
                          ctx.out.driver->repeated_figure(ctx, {nsym, size, call.degrees}, x, y, draw);
    if (!repeated) draw(x, y);
    // With automatic shielding of symbols on, later lines stay out of a
    // square of 1.2 times the symbol size around it.
    const double px = x + ctx.page.origin_x, py = y + ctx.page.origin_y, r = 0.6 * size;
    add_automatic_box(ctx, SOURCE_SYMBOLS, px - r, py - r, px + r, py + r);
}

void symbol(Context& ctx, int nsym, int nx, int ny) {
    if (!symbol_known(ctx, nsym)) return warn_int(ctx, 2, nsym);
    const double x = nx, y = page_y(ctx, ny);
    const double px = x + ctx.page.origin_x, py = y + ctx.page.origin_y;
    if (px < 0 || px > ctx.page.width || py < 0 || py > ctx.page.height) {
        char line[80];
        std::snprintf(line, sizeof line, " >>>> (%d/%d) out of page in symbol!\n", clamp_int(px), clamp_int(py));
        message_line(ctx, line);
    }
    draw_symbol(ctx, nsym, x, y, ctx.symbols.size);
}

void rlsymb(Context& ctx, int nsym, float x, float y) {
    if (!symbol_known(ctx, nsym)) return warn_int(ctx, 2, nsym);
    if (!log_values_ok(ctx, {x}, {y})) return;
    outside_scaling(ctx, x, y);
    draw_symbol(ctx, nsym, x_plot(ctx, x), y_plot(ctx, y), ctx.symbols.size);
}

void hsymbl(Context& ctx, int n) {
    if (out_of_range(ctx, n, 1, 10000)) return;
    ctx.symbols.size = n;
}

void symrot(Context& ctx, float degrees) {
    if (!std::isfinite(degrees)) return warn(ctx, 2);
    ctx.symbols.rotation = degrees;
}

void mysymb(Context& ctx, const float* x, const float* y, int n, int nsym, int nflag) {
    if (out_of_range(ctx, n, 1, 10000) || out_of_range(ctx, nsym, 0, -1) || out_of_range(ctx, nflag, 0, 1))
        return;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return warn(ctx, 2);
    SymbolState& st = ctx.symbols;
    try {
        std::vector<double> ux(x, x + n), uy(y, y + n);
        st.user_x.swap(ux);
        st.user_y.swap(uy);
    } catch (const std::bad_alloc&) {
        return warn(ctx, 53);
    }
    st.user_number = nsym;
    st.user_filled = nflag == 1;
}

namespace {
void reset_rotation(Context& ctx) { ctx.symbols.rotation = 0; }
const ResetKey SYMBOL_KEYS[] = {{"SYMR", reset_rotation}};
}  // namespace

const ResetKeys SymbolState::reset_keys = SYMBOL_KEYS;

namespace {
// The text engine draws the symbols of its instruction code S through this.
[[maybe_unused]] const bool symbols_in_text =
    (register_symbol_drawer(static_cast<SymbolDrawer>(draw_symbol)), true);
}  // namespace

void SymbolState::reset(Context& ctx) {
    SymbolState& st = ctx.symbols;
    st.size = std::max(1, static_cast<int>(std::floor(36 / ctx.page.units + 0.5)));
    st.rotation = 0;
    st.user_number = -1;
    st.user_filled = false;
    st.user_x.clear();
    st.user_y.clear();
}

}  // namespace kal
