// The stroke data of the built-in plot symbols.
#pragma once
#include <vector>

namespace kal {

struct SymbolPoint {
    double x, y;   // units of half the symbol size, y upwards
};

// One symbol: polylines, and whether its single closed outline is filled.
struct SymbolShape {
    std::vector<std::vector<SymbolPoint>> strokes;
    bool filled = false;
};

// Shape of symbol 0 .. 23 (callers check the number).
const SymbolShape& symbol_shape(int nsym);

}  // namespace kal
