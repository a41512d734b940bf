// getver, dattim: the library version and the current date and time.
#include <cstdio>

#include "api/routines_utilities.h"
#include "core/clock.h"
#include "core/context.h"

namespace kal {

float getver() {
    return 9.1f;
}

// date receives "dd.mm.yyyy" (11 bytes with the NUL), time "hh:mm:ss" (9).
void dattim(Context&, char* date, char* time) {
    const DateTime t = now();
    std::snprintf(date, 11, "%s", date_text(t).c_str());
    std::snprintf(time, 9, "%s", time_text(t).c_str());
}

}  // namespace kal
