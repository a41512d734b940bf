// Item lists: one string, items joined by the separator of swgmix.
#include <cstring>
#include <string>

#include "api/routines_widgets.h"
#include "core/context.h"
#include "widgets/widget_common.h"

namespace kal {

int itmcnt(Context& ctx, const char* list) {
    const char sep = widgets_of(ctx).set.sep;
    int n = 1;
    for (const char* p = list; *p; ++p) n += *p == sep;
    return n;
}

const char* itmstr(Context& ctx, const char* list, int nlis) {
    static thread_local std::string result;  // until the next call in this thread
    const char sep = widgets_of(ctx).set.sep;
    result.clear();
    int n = 1;
    const char* p = list;
    for (; *p && n < nlis; ++p) n += *p == sep;
    if (nlis < 1 || n < nlis) {
        widget_error(ctx, "Not allowed index");
        return result.c_str();
    }
    const char* end = std::strchr(p, sep);
    result.assign(p, end ? size_t(end - p) : std::strlen(p));
    return result.c_str();
}

// Appends in place: the caller's buffer holds both texts and two more bytes.
void itmcat(Context& ctx, char* list, const char* item) {
    const size_t n = std::strlen(list);
    list[n] = widgets_of(ctx).set.sep;
    std::strcpy(list + n + 1, item);
}

}  // namespace kal
