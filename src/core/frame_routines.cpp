// Public routines of the routine frame: warning, checking and protocol
// switches, the error device and file, and the level query.
#include <cstring>

#include "api/routines.h"
#include "core/context.h"
#include "core/files.h"

namespace kal {

void errmod(const char* item, const char* mode) {
    Context& c = setter_check("errmod");
    int i = keyword(c, "WARN+CHEC+PROT+ALL ", item);
    if (!i) return;
    int m = keyword(c, "OFF +ON  ", mode);
    if (!m) return;
    const bool on = m == 2;
    if (i == 1 || i == 4) c.frame.warnings_on = on;
    if (i == 2 || i == 4) c.frame.checking_on = on;
    if (i == 3 || i == 4) c.frame.protocol_on = on;
}

void errdev(const char* device) {
    Context* c = level_check(0, 0, "errdev");
    if (!c) return;
    int i = keyword(*c, "CONS+FILE", device);
    if (i) c->frame.error_device = static_cast<ErrorDevice>(i - 1);
}

void errfil(const char* name) {
    Context* c = level_check(0, 0, "errfil");
    if (!c) return;
    if (!fits_file_name(*c, name)) return;
    c->frame.errfile_name = name;
    c->frame.errfile_named = true;
}

void unit(FILE* stream) {
    Context& c = setter_check("unit");
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

void nochek() {
    Context& c = setter_check("nochek");
    c.frame.checking_on = false;
}

int getlev() {
    Context* c = level_check(0, 3, "getlev");
    return c ? c->frame.level : 0;
}

}  // namespace kal
