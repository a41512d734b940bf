// Plot symbols: the 24 built-in shapes, the user symbol of mysymb, their
// size and rotation.
#pragma once
#include <vector>

#include "core/state_part.h"

namespace kal {

struct Context;

constexpr int SYMBOL_COUNT = 24;   // 0 .. 23

struct SymbolState {
    int size = 36;             // hsymbl, plot units
    double rotation = 0;       // symrot, degrees counter-clockwise
    int user_number = -1;      // the number mysymb replaced; -1: none
    bool user_filled = false;
    std::vector<double> user_x, user_y;   // units of half the size, y upwards

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// True when nsym names a built-in symbol or the user symbol.
bool symbol_known(const Context& ctx, int nsym);

// Symbol nsym of the given size centred at (x, y), page coordinates relative
// to the plot origin, turned by `degrees` counter-clockwise. Drawn with solid
// lines whatever line style is selected; filled shapes are filled solid.
void draw_symbol(Context& ctx, int nsym, double x, double y, double size, double degrees);
// The same in the symbol rotation of symrot; with automatic shielding of
// symbols on it also registers its square (1.2 times the size).
void draw_symbol(Context& ctx, int nsym, double x, double y, double size);

}  // namespace kal
