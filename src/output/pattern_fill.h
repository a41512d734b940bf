// The scan-line filler behind pattern fills.
#pragma once
#include <vector>

namespace kal {

struct Context;

// Crossings of the polygon with the scan lines y = k d: for each scan line
// with crossings, the sorted x values (pairs form spans). False after
// warning 26 (more than 100 crossings on one line) or for no spacing.
// Only scan lines between limit_lo and limit_hi are produced.
bool scan_fill(Context& ctx, const double* x, const double* y, int n, double d,
               std::vector<std::vector<double>>& rows, std::vector<double>& row_y,
               double limit_lo = -1e300, double limit_hi = 1e300);

// Fills a polygon (relative to the plot origin) with the current pattern,
// drawn as lines through the line layer.
void pattern_fill(Context& ctx, int n, const double* x, const double* y);

// Fills a polygon (relative to the plot origin) with the solid pattern
// drawn as lines, whatever pattern is current.
void solid_fill_lines(Context& ctx, int n, const double* x, const double* y);

}  // namespace kal
