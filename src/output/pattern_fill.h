// The scan-line filler behind pattern fills.
#pragma once
#include <vector>

namespace kal {

struct Context;

// The scan lines y = (first + i) d, i < lines, that meet the polygon's
// height between limit_lo and limit_hi (lines = 0: none). False for no
// spacing, non-finite heights or a million lines and more.
bool scan_lines(const double* y, int n, double d, double limit_lo, double limit_hi, double& first,
                long long& lines);

// The polygon's crossings of the scan line y = ys, sorted, equal neighbours
// cancelled (pairs form spans). False after warning 26 (more than 100).
bool scan_crossings(Context& ctx, const double* x, const double* y, int n, double ys,
                    std::vector<double>& xs);

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

// Fills a polygon (relative to the plot origin) with the solid pattern,
// natively where the device can, whatever pattern is current.
void solid_fill_polygon(Context& ctx, int n, const double* x, const double* y);

}  // namespace kal
