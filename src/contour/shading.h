// What the shaded contours of grids and triangulations share: the sorted
// levels, the colour of each class, the legend entries and the fill
// settings kept for the call.
#pragma once
#include <vector>

#include "output/colour_table.h"

namespace kal {

struct Context;

struct ShadeClasses {
    std::vector<double> levels;     // ascending
    std::vector<int> position;      // where each sorted level stood in the call (0-based)
    std::vector<int> colour;        // colour value of each class 0..nlev
    std::vector<char> filled;       // false: the class is left empty
    int count() const { return int(levels.size()); }
};

// Warns when there are fewer user colours than levels, sorts the levels,
// sets the colour scale (zscale limits, else the lowest and highest level)
// and works out the class colours; `outer` applies the outer-region
// option (CELL mode and triangulations). Registers one legend entry per
// level whose class is filled.
ShadeClasses shade_classes(Context& ctx, const float* levels, int nlev, bool outer);

// Solid fill with a fine spacing for the lifetime, then the colour and
// pattern of before.
class ShadeScope {
public:
    explicit ShadeScope(Context& ctx);
    ~ShadeScope();
    ShadeScope(const ShadeScope&) = delete;
    ShadeScope& operator=(const ShadeScope&) = delete;

private:
    Context& ctx_;
    int colour_;
    PatternFields pattern_;
};

// Fills a polygon of plot points (relative to the origin) in a colour.
void fill_piece(Context& ctx, int n, const double* x, const double* y, int colour);

}  // namespace kal
