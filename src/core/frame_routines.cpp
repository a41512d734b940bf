// Public routines of the routine frame: warning, checking and protocol
// switches, the error device and file, and the level query.
#include <cstring>

#include "api/routines_routine_frame.h"
#include "core/context.h"
#include "core/files.h"

namespace kal {

void errmod(Context& c, const char* item, const char* mode) {
    int i = keyword(c, "WARN+CHEC+PROT+ALL ", item);
    if (!i) return;
    int m = keyword(c, "OFF +ON  ", mode);
    if (!m) return;
    const bool on = m == 2;
    if (i == 1 || i == 4) c.frame.warnings_on = on;
    if (i == 2 || i == 4) c.frame.checking_on = on;
    if (i == 3 || i == 4) c.frame.protocol_on = on;
}

void errdev(Context& ctx, const char* device) {
    int i = keyword(ctx, "CONS+FILE", device);
    if (i) ctx.frame.error_device = static_cast<ErrorDevice>(i - 1);
}

void errfil(Context& ctx, const char* name) {
    if (!fits_file_name(ctx, name)) return;
    ctx.frame.errfile_name = name;
    ctx.frame.errfile_named = true;
}

void unit(Context& c, FILE* stream) {
    if (!stream) {
        c.frame.unit = UNIT_NONE;
    } else if (stream == stdout) {
        c.frame.unit = UNIT_STDOUT;
        c.frame.stream = stdout;
    } else {
        c.frame.unit = UNIT_STREAM;
        c.frame.stream = stream;
    }
}

void nochek(Context& c) {
    c.frame.checking_on = false;
}

int getlev(Context& ctx) {
    return ctx.frame.level;
}

}  // namespace kal
