// The symbols of the instruction code S: the plot symbols at the character
// height, standing on the baseline in the text direction and followed by one
// advance.
#include <cmath>

#include "core/context.h"
#include "text/text_engine.h"

namespace kal {
namespace {
SymbolDrawer symbol_drawer = nullptr;
}  // namespace

void register_symbol_drawer(SymbolDrawer draw) { symbol_drawer = draw; }

void TextRun::symbol(int number) {
    const double r = (h_ - 1) / 2.0;
    if (draw_ && symbol_drawer) {
        double x, y;
        place(s_ + r, exp_off_ + ioff_ + ooff_ + r, 0, 0, x, y);
        symbol_drawer(ctx_, number, x, y, 2 * r, std::atan2(sa_, ca_) * 57.2957795);
    }
    s_ += h_ + gap();
}

}  // namespace kal
