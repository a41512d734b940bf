// Data values to colour indices: the colour range and the colour scale of
// the colour axis.
#include <algorithm>
#include <cmath>

#include "api/routines_colour_tables_and_colour_selection.h"
#include "colour3d/colour.h"
#include "core/context.h"

namespace kal {

void set_colour_scale(Context& ctx, double start, double end, bool log, bool explicit_limits,
                      double lo, double hi) {
    ColourState& c = ctx.colour;
    c.scale_start = start;
    c.scale_end = end;
    c.scale_log = log;
    if (!log) {
        c.data_min = start;
        c.data_max = end;
    } else if (explicit_limits) {
        c.data_min = lo;
        c.data_max = hi;
    } else {
        c.data_min = std::pow(10.0, start);
        c.data_max = std::pow(10.0, end);
    }
    if (c.data_min > c.data_max) std::swap(c.data_min, c.data_max);
    const double span = end - start;
    c.scale_factor = span != 0.0 ? (c.range_last - c.range_first + 1) / span : 0.0;
}

int colour_index(const Context& ctx, double value) {
    const ColourState& c = ctx.colour;
    const bool upward = c.scale_start < c.scale_end;
    if (value < c.data_min) return upward ? c.under : c.over;
    if (value > c.data_max) return upward ? c.over : c.under;
    const double z = c.scale_log ? std::log10(value) : value;
    const double x = (z - c.scale_start) * c.scale_factor + c.range_first;
    if (std::isnan(x)) return c.under;
    const int first = c.range_first, last = c.range_last;
    // Inside the data limits the index stays within the range; first - 1
    // and last + 1 are the ends of the scale itself.
    const int lo = std::min(first, last), hi = std::max(first, last);
    if (x <= lo) return lo;
    if (x >= hi) return hi;
    return static_cast<int>(x);
}

void colran(Context& ctx, int first, int last) {
    if (out_of_range(ctx, first, 0, 255) || out_of_range(ctx, last, 0, 255)) return;
    ctx.colour.range_first = first;
    ctx.colour.range_last = last;
}

void getran(Context& ctx, int* first, int* last) {
    *first = ctx.colour.range_first;
    *last = ctx.colour.range_last;
}

void colray(Context& ctx, const float* z, int* colours, int n) {
    if (n <= 0) return;
    for (int i = 0; i < n; ++i) colours[i] = colour_index(ctx, z[i]);
}

}  // namespace kal
