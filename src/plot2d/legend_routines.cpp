// The legend routines: the buffer, the settings and the placement.
#include <cmath>
#include <cstring>

#include "api/routines_legends.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"
#include "plot2d/curves.h"
#include "plot2d/legend.h"

namespace kal {
namespace {

bool initialised(Context& ctx) {
    if (ctx.legend.initialised) return true;
    warn(ctx, 15);
    return false;
}

double page_y(const Context& ctx, double y) {
    return ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - y : y;
}

// Upper left corner of the box for corner 1..8 (relative to the plot
// origin; the page corners lie where the page is).
void corner_position(Context& ctx, int corner, int w, int h, int& x, int& y) {
    // In double: factors and origins near the int limits must not wrap.
    const double d = std::trunc(ctx.legend.distance * ctx.text.height);
    const double pw = ctx.page.width, ph = ctx.page.height;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    double left, top, right, bottom;
    axis_rectangle(ctx, left, top, right, bottom);
    left = std::trunc(left), top = std::trunc(top), right = std::trunc(right), bottom = std::trunc(bottom);
    double px, py;
    switch (corner) {
    case 1: px = d - ox; py = ph - d - h - oy; break;
    case 2: px = pw - d - w - ox; py = ph - d - h - oy; break;
    case 3: px = pw - d - w - ox; py = d - oy; break;
    case 4: px = d - ox; py = d - oy; break;
    case 5: px = left + d; py = bottom - d - h; break;
    case 6: px = right - d - w; py = bottom - d - h; break;
    case 7: px = right - d - w; py = top + d; break;
    default: px = left + d; py = top + d; break;
    }
    x = clamp_int(px);
    y = clamp_int(py);
}

}  // namespace

void legini(Context& ctx, char* buffer, int nlin, int nmaxln) {
    if (out_of_range(ctx, nlin, 1, LegendState::MAX_LINES) ||
        out_of_range(ctx, nmaxln, 1, LegendState::MAX_CHARS))
        return;
    LegendState::reset(ctx);
    LegendState& l = ctx.legend;
    l.initialised = true;
    l.lines = nlin;
    l.chars = nmaxln;
    std::memset(buffer, ' ', size_t(nlin) * size_t(nmaxln));
}

void leglin(Context& ctx, char* buffer, const char* text, int line) {
    if (!initialised(ctx)) return;
    const LegendState& l = ctx.legend;
    if (out_of_range(ctx, line, 1, l.lines)) return;
    const size_t n = std::strlen(text);
    if (n > size_t(l.chars)) {
        warn_text(ctx, 16, text);
        return;
    }
    char* row = buffer + size_t(line - 1) * size_t(l.chars);
    std::memset(row, ' ', size_t(l.chars));
    std::memcpy(row, text, n);
}

void legpos(Context& ctx, int nx, int ny) {
    if (!initialised(ctx)) return;
    ctx.legend.corner_mode = false;
    ctx.legend.pos_x = nx;
    ctx.legend.pos_y = clamp_int(page_y(ctx, ny));
}

void legtit(Context& ctx, const char* text) {
    if (!initialised(ctx)) return;
    if (std::strlen(text) > 20) {
        warn_text(ctx, 2, text);
        return;
    }
    ctx.legend.title = text;
}

void legopt(Context& ctx, float sample, float distance, float spacing) {
    if (!initialised(ctx)) return;
    if (!(sample >= 0) || !(distance > 0) || !(spacing > 0) || !std::isfinite(sample) ||
        !std::isfinite(distance) || !std::isfinite(spacing)) {
        warn_text(ctx, 2, "factors");
        return;
    }
    ctx.legend.sample = sample;
    ctx.legend.distance = distance;
    ctx.legend.spacing = spacing;
}

void legpat(Context& ctx, int style, int thickness, int symbol, int colour, int pattern, int line) {
    if (!initialised(ctx)) return;
    if (out_of_range(ctx, style, -1, 7) || out_of_range(ctx, thickness, 1, 10000) ||
        (symbol != -1 && !valid_symbol(ctx, symbol) && (warn_int(ctx, 2, symbol), true)) ||
        out_of_range(ctx, colour, -1, -2) || out_of_range(ctx, pattern, -1, -2) ||
        out_of_range(ctx, line, 1, ctx.legend.lines))
        return;
    ctx.legend.line[line - 1] = {style, thickness, symbol, colour, pattern, true};
}

void legclr(Context& ctx) { ctx.legend.text_in_colour = true; }
void mixleg(Context& ctx) { ctx.legend.multi_line = true; }

void legend(Context& ctx, char* buffer, int corner) {
    if (!initialised(ctx)) return;
    LegendState& l = ctx.legend;
    if (l.corner_mode && out_of_range(ctx, corner, 1, 8)) return;
    bool any = false;
    for (int i = 0; i < l.lines; ++i) any = any || l.line[i].defined;
    if (any) {
        for (int i = 0; i < l.lines; ++i)
            if (!l.line[i].defined) {
                custom_warning(ctx, 105, ("Undefined legend line " + std::to_string(i + 1)).c_str());
                return;
            }
    } else if (l.lines > ctx.curves.count) {
        warn_int(ctx, 42, l.lines - ctx.curves.count);
    }
    int w, h, x, y;
    legend_size(ctx, buffer, w, h);
    if (l.corner_mode) {
        corner_position(ctx, corner, w, h, x, y);
    } else {
        x = l.pos_x;
        y = l.pos_y;
    }
    draw_legend(ctx, buffer, x, y, w, h);
}

int nxlegn(Context& ctx, char* buffer) {
    if (!initialised(ctx)) return 0;
    int w, h;
    legend_size(ctx, buffer, w, h);
    return w;
}

int nylegn(Context& ctx, char* buffer) {
    if (!initialised(ctx)) return 0;
    int w, h;
    legend_size(ctx, buffer, w, h);
    return h;
}

namespace {
void reset_legclr(Context& ctx) { ctx.legend.text_in_colour = false; }
void reset_mixleg(Context& ctx) { ctx.legend.multi_line = false; }
const ResetKey LEGEND_KEYS[] = {{"LEGC", reset_legclr}, {"MIXL", reset_mixleg}};
}  // namespace

// kalini forgets the legend; legini starts it afresh.
void LegendState::reset(Context& ctx) { ctx.legend = LegendState{}; }
const ResetKeys LegendState::reset_keys = LEGEND_KEYS;

}  // namespace kal
