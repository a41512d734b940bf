// Resolving colour values into red, green and blue, and the nearest table
// entry of a colour.
#include "colour3d/colour.h"

#include <cmath>
#include <cstdlib>

#include "core/context.h"

namespace kal {

int component_255(double x) {
    const double v = std::floor(x * 255.0 + 0.5);
    if (!(v >= 0.0)) return 0;  // also NaN
    return v > 255.0 ? 255 : static_cast<int>(v);
}

Rgb resolve_rgb(const Context& ctx, int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    if (is_direct(value)) return {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)};
    return unpack_entry(ctx.colour.table[v % 256]);
}

int nearest_index(const Context& ctx, int r, int g, int b, bool stop_at_exact) {
    const int count = ctx.colour.active == TABLE_SMAL ? 9 : ctx.colour.active == TABLE_VGA ? 16 : 256;
    int best = 0, best_distance = -1;
    for (int i = 0; i < count; ++i) {
        const Rgb e = unpack_entry(ctx.colour.table[i]);
        const int d = std::abs(e.r - r) + std::abs(e.g - g) + std::abs(e.b - b);
        if (best_distance < 0 || d < best_distance) {
            best = i;
            best_distance = d;
            if (d == 0 && stop_at_exact) break;
        }
    }
    return best;
}

DeviceColour resolve_device_colour(const Context& ctx, int value) {
    DeviceColour c;
    c.rgb = resolve_rgb(ctx, value);
    if (!is_direct(value)) {
        c.index = static_cast<int>(static_cast<uint32_t>(value) % 256);
    } else if (ctx.out.colour_depth <= 8) {
        c.index = nearest_index(ctx, c.rgb.r, c.rgb.g, c.rgb.b, true);
    }
    return c;
}

}  // namespace kal
