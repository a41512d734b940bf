#include "plot2d/keyword_axes.h"

#include "core/frame.h"
#include "plot2d/axis_system.h"

namespace kal {

int axis_bits(Context& ctx, const char* keyword) {
    int bits = 0;
    for (int i = 0; i < 3 && keyword && keyword[i]; ++i) {
        const char c = keyword[i];
        if (c == 'x' || c == 'X') bits |= 1 << AXIS_X;
        if (c == 'y' || c == 'Y') bits |= 1 << AXIS_Y;
        if (c == 'z' || c == 'Z') bits |= 1 << AXIS_Z;
    }
    if (!bits) warn_text(ctx, 2, keyword ? keyword : "");
    return bits;
}

}  // namespace kal
