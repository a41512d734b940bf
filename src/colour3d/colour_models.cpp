// Colour models: HSV (hexcone) to RGB and back.
#include <algorithm>

#include "api/routines_colour_tables_and_colour_selection.h"
#include "core/context.h"

namespace kal {
namespace {

const double TOLERANCE = 0.0001;

bool bad(Context& ctx, float x, double max) { return out_of_range(ctx, x, -TOLERANCE, max + TOLERANCE); }

}  // namespace

void hsvrgb(Context& ctx, float hue, float saturation, float value, float* r, float* g, float* b) {
    if (bad(ctx, hue, 360.0) || bad(ctx, saturation, 1.0) || bad(ctx, value, 1.0)) return;
    const double v = value, s = saturation;
    const double h6 = hue / 60.0;
    int i = static_cast<int>(h6);
    const double f = h6 - i;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    if (i >= 6) i = 0;  // hue 360 is hue 0
    double rgb[3];
    switch (i) {
        case 0: rgb[0] = v; rgb[1] = t; rgb[2] = p; break;
        case 1: rgb[0] = q; rgb[1] = v; rgb[2] = p; break;
        case 2: rgb[0] = p; rgb[1] = v; rgb[2] = t; break;
        case 3: rgb[0] = p; rgb[1] = q; rgb[2] = v; break;
        case 4: rgb[0] = t; rgb[1] = p; rgb[2] = v; break;
        default: rgb[0] = v; rgb[1] = p; rgb[2] = q; break;
    }
    *r = static_cast<float>(rgb[0]);
    *g = static_cast<float>(rgb[1]);
    *b = static_cast<float>(rgb[2]);
}

void rgbhsv(Context& ctx, float r, float g, float b, float* hue, float* saturation, float* value) {
    if (bad(ctx, r, 1.0) || bad(ctx, g, 1.0) || bad(ctx, b, 1.0)) return;
    const double max = std::max({double(r), double(g), double(b)});
    const double min = std::min({double(r), double(g), double(b)});
    const double s = max > 0 ? (max - min) / max : 0.0;
    double h6 = 0.0;
    if (s > 0) {
        const double d = max - min;
        const double rc = (max - r) / d, gc = (max - g) / d, bc = (max - b) / d;
        if (r == max) {
            h6 = g == min ? 5 + bc : 1 - gc;
        } else if (g == max) {
            h6 = b == min ? 1 + rc : 3 - bc;
        } else {
            h6 = r == min ? 3 + gc : 5 - rc;
        }
        if (h6 >= 6) h6 -= 6;  // pure red comes out as 6: hue 360 is hue 0
    }
    *hue = static_cast<float>(60.0 * h6);
    *saturation = static_cast<float>(s);
    *value = static_cast<float>(max);
}

}  // namespace kal
