#include "plot2d/keyword_axes.h"

#include "core/frame.h"

namespace kal {

bool axis_keyword(Context& ctx, const char* key, bool on[3]) {
    on[0] = on[1] = on[2] = false;
    bool any = false;
    for (int i = 0; i < 3 && key && key[i]; ++i) {
        const char c = key[i];
        const int axis = (c == 'X' || c == 'x') ? 0 : (c == 'Y' || c == 'y') ? 1 : (c == 'Z' || c == 'z') ? 2 : -1;
        if (axis >= 0) on[axis] = any = true;
    }
    if (!any) warn_text(ctx, 2, key ? key : "");
    return any;
}

}  // namespace kal
