// The colour routines above the colour table: the reset of
// all colour settings and the colour scale of colour axes.
#pragma once
#include "output/colour_table.h"

namespace kal {

// What kalini and reset "ALL" do: RAIN, or RGRE on the device POST, the
// empty fill pattern and a linear colour scale 0..1; pushes the table and
// makes the foreground index current.
void reset_colours(Context& ctx);

// The colour scale of a colour axis (3-D axis systems and colour bars):
// start and end in axis units (exponents for a logarithmic axis); the data
// limits lo and hi replace 10^start and 10^end when explicit_limits is set.
void set_colour_scale(Context& ctx, double start, double end, bool log, bool explicit_limits,
                      double lo, double hi);
// Colour index of a data value on the colour scale (under and over colours
// beyond it).
int colour_index(const Context& ctx, double value);

}  // namespace kal
