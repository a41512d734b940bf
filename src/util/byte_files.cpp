// openfl ... tellfl: byte-oriented file access through 100 numbered units.
// The unit table is shared by the whole process; one mutex guards it, held
// for each whole operation, so that a unit closed by one thread is never
// used by another halfway through a read.
#include <climits>
#include <cstdio>
#include <mutex>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {
namespace {

constexpr int UNITS = 100;
enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };

struct Unit {
    int state = 0;  // 0 closed, otherwise the open mode + 1
    FILE* stream = nullptr;
};

std::mutex table_mutex;
Unit table[UNITS];

// The open unit `unit`, or nullptr after a warning: warning 2 for a number
// outside 0..99, a warning of its own for a closed unit.
Unit* open_unit(Context& ctx, int unit) {
    if (unit < 0 || unit >= UNITS) {
        warn_int(ctx, 2, unit);
        return nullptr;
    }
    if (table[unit].state == 0) {
        custom_warning(ctx, 101, "Unit is not open");
        return nullptr;
    }
    return &table[unit];
}

bool negative_count(Context& ctx, int n) {
    if (n >= 0) return false;
    warn_int(ctx, 2, n);
    return true;
}

}  // namespace

int openfl(Context& ctx, const char* name, int unit, int mode) {
    if (unit < 0 || unit >= UNITS || mode < READ || mode > APPEND) {
        warn_int(ctx, 2, unit < 0 || unit >= UNITS ? unit : mode);
        return -1;
    }
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit& u = table[unit];
    if (u.state != 0) return 2;
    static const char* const MODES[] = {"rb", "wb", "ab"};
    u.stream = std::fopen(name, MODES[mode]);
    if (!u.stream) {
        warn_text(ctx, 36, name);
        return 1;
    }
    u.state = mode + 1;
    return 0;
}

int closfl(Context& ctx, int unit) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u) return -1;
    const bool ok = std::fclose(u->stream) == 0;
    *u = Unit{};
    if (!ok) warn_int(ctx, 36, unit);
    return 0;
}

int readfl(Context& ctx, int unit, unsigned char* buffer, int n) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u || negative_count(ctx, n)) return -1;
    if (u->state != READ + 1) {
        custom_warning(ctx, 101, "Unit is not open for reading");
        return -1;
    }
    const size_t count = std::fread(buffer, 1, static_cast<size_t>(n), u->stream);
    if (std::ferror(u->stream)) {
        warn_int(ctx, 36, unit);
        std::clearerr(u->stream);
    }
    return static_cast<int>(count);
}

int writfl(Context& ctx, int unit, const unsigned char* buffer, int n) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u || negative_count(ctx, n)) return -1;
    if (u->state == READ + 1) {
        custom_warning(ctx, 101, "Unit is not open for writing");
        return -1;
    }
    const size_t count = std::fwrite(buffer, 1, static_cast<size_t>(n), u->stream);
    if (count < static_cast<size_t>(n)) {
        warn_int(ctx, 36, unit);
        std::clearerr(u->stream);
    }
    return static_cast<int>(count);
}

int skipfl(Context& ctx, int unit, int n) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u) return -1;
    if (std::fseek(u->stream, n, SEEK_CUR) != 0) {
        warn_int(ctx, 2, n);
        return -1;
    }
    return 0;
}

int posifl(Context& ctx, int unit, int n) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u || negative_count(ctx, n)) return -1;
    if (std::fseek(u->stream, n, SEEK_SET) != 0) {
        warn_int(ctx, 36, unit);
        return -1;
    }
    return 0;
}

int tellfl(Context& ctx, int unit) {
    std::lock_guard<std::mutex> lock(table_mutex);
    Unit* u = open_unit(ctx, unit);
    if (!u) return -1;
    const long position = std::ftell(u->stream);
    if (position < 0) {
        warn_int(ctx, 36, unit);
        return -1;
    }
    return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

}  // namespace kal
