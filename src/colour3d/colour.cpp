// Placeholder until the colour tables land: grey table, direct colours.
#include "colour3d/colour.h"

#include <cstdlib>

#include "core/context.h"

namespace kal {

Rgb resolve_rgb(const Context& ctx, int value) {
    uint32_t v = static_cast<uint32_t>(value);
    if (is_direct(value)) return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
    uint32_t e = ctx.colour.table[v % 256];
    return {int((e >> 16) & 0xFF), int((e >> 8) & 0xFF), int(e & 0xFF)};
}

int nearest_index(const Context& ctx, int r, int g, int b, bool stop_at_exact) {
    int best = 0, best_d = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        Rgb c = resolve_rgb(ctx, i);
        int d = std::abs(c.r - r) + std::abs(c.g - g) + std::abs(c.b - b);
        if (d < best_d) {
            best = i;
            best_d = d;
            if (d == 0 && stop_at_exact) break;
        }
    }
    return best;
}

const char* table_name_lower(const Context& ctx) {
    static const char* const NAMES[] = {"smal", "rain", "spec", "grey", "rrai", "rspe", "rgre", "vga", "temp"};
    return NAMES[ctx.colour.active];
}

void reset_colours(Context& ctx) {
    ctx.colour.active = ctx.page.device == 501 ? 6 : 1;
    for (int i = 0; i < 256; ++i) ctx.colour.table[i] = (i << 16) | (i << 8) | i;
}

}  // namespace kal
