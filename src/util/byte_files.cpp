// openfl ... tellfl: byte-oriented file access through 100 numbered units.
// The unit table is shared by the whole process. Its mutex guards only the
// table itself, never a file operation: a unit is a stream object that the
// table holds and each operation takes out, so that a read blocked on a
// FIFO or a slow file stops its own caller, not the other units. The
// stream's own mutex orders the operations on one unit, and a unit closed
// by one thread is never used by another halfway through a read.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <mutex>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {
namespace {

constexpr int UNITS = 100;
enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };

struct Stream {
    std::mutex io;
    FILE* fp = nullptr;  // nullptr once closed
    int mode = READ;
    bool lost = false;  // a write failed: bytes never reached the file

    ~Stream() {
        if (fp) std::fclose(fp);
    }
};

std::mutex table_mutex;
std::shared_ptr<Stream> table[UNITS];

// The stream of unit `unit`, or nullptr after a warning: warning 2 for a
// number outside 0..99, a warning of its own for a closed unit.
std::shared_ptr<Stream> take_unit(Context& ctx, int unit) {
    if (unit < 0 || unit >= UNITS) {
        warn_int(ctx, 2, unit);
        return nullptr;
    }
    std::shared_ptr<Stream> s;
    {
        std::lock_guard<std::mutex> lock(table_mutex);
        s = table[unit];
    }
    if (!s) custom_warning(ctx, 101, "Unit is not open");
    return s;
}

// Locks the unit's stream; false after the warning for a unit that another
// thread closed meanwhile.
bool still_open(Context& ctx, Stream& s, std::unique_lock<std::mutex>& lock) {
    lock = std::unique_lock<std::mutex>(s.io);
    if (s.fp) return true;
    custom_warning(ctx, 101, "Unit is not open");
    return false;
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
    {
        std::lock_guard<std::mutex> lock(table_mutex);
        if (table[unit]) return 2;
    }
    // Opened outside the table's lock: a FIFO waits for its other end here.
    static const char* const MODES[] = {"rb", "wb", "ab"};
    FILE* fp = std::fopen(name, MODES[mode]);
    struct stat st;
    if (fp && (::fstat(fileno(fp), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(fp);  // a directory opens for reading but holds no bytes
        fp = nullptr;
    }
    if (!fp) {
        warn_text(ctx, 36, name);
        return 1;
    }
    auto s = std::make_shared<Stream>();
    s->fp = fp;
    s->mode = mode;
    std::lock_guard<std::mutex> lock(table_mutex);
    if (table[unit]) return 2;  // another thread opened the unit meanwhile (s closes fp)
    table[unit] = std::move(s);
    return 0;
}

int closfl(Context& ctx, int unit) {
    if (unit < 0 || unit >= UNITS) {
        warn_int(ctx, 2, unit);
        return -1;
    }
    std::shared_ptr<Stream> s;
    {
        std::lock_guard<std::mutex> lock(table_mutex);
        s.swap(table[unit]);
    }
    if (!s) {
        custom_warning(ctx, 101, "Unit is not open");
        return -1;
    }
    std::lock_guard<std::mutex> io(s->io);
    // The last flush happens here: a failure means bytes that never arrived.
    const bool ok = std::fclose(s->fp) == 0 && !s->lost;
    s->fp = nullptr;
    if (!ok) {
        warn_int(ctx, 36, unit);
        return -1;
    }
    return 0;
}

int readfl(Context& ctx, int unit, unsigned char* buffer, int n) {
    const std::shared_ptr<Stream> s = take_unit(ctx, unit);
    std::unique_lock<std::mutex> io;
    if (!s || !still_open(ctx, *s, io) || negative_count(ctx, n)) return -1;
    if (s->mode != READ) {
        custom_warning(ctx, 101, "Unit is not open for reading");
        return -1;
    }
    const size_t count = std::fread(buffer, 1, static_cast<size_t>(n), s->fp);
    if (std::ferror(s->fp)) {
        warn_int(ctx, 36, unit);
        std::clearerr(s->fp);
    }
    return static_cast<int>(count);
}

// The bytes go to the system before the call returns, so that a refusal
// (a full disk, a file size limit) is reported by the write that met it.
int writfl(Context& ctx, int unit, const unsigned char* buffer, int n) {
    const std::shared_ptr<Stream> s = take_unit(ctx, unit);
    std::unique_lock<std::mutex> io;
    if (!s || !still_open(ctx, *s, io) || negative_count(ctx, n)) return -1;
    if (s->mode == READ) {
        custom_warning(ctx, 101, "Unit is not open for writing");
        return -1;
    }
    const size_t count = std::fwrite(buffer, 1, static_cast<size_t>(n), s->fp);
    if (count < static_cast<size_t>(n) || std::fflush(s->fp) != 0) {
        s->lost = true;
        warn_int(ctx, 36, unit);
        std::clearerr(s->fp);
        return -1;
    }
    return static_cast<int>(count);
}

int skipfl(Context& ctx, int unit, int n) {
    const std::shared_ptr<Stream> s = take_unit(ctx, unit);
    std::unique_lock<std::mutex> io;
    if (!s || !still_open(ctx, *s, io)) return -1;
    if (std::fseek(s->fp, n, SEEK_CUR) != 0) {
        warn_int(ctx, 2, n);
        return -1;
    }
    return 0;
}

int posifl(Context& ctx, int unit, int n) {
    const std::shared_ptr<Stream> s = take_unit(ctx, unit);
    std::unique_lock<std::mutex> io;
    if (!s || !still_open(ctx, *s, io) || negative_count(ctx, n)) return -1;
    if (std::fseek(s->fp, n, SEEK_SET) != 0) {
        warn_int(ctx, 36, unit);
        return -1;
    }
    return 0;
}

// A position the int result cannot hold is a failure, not the largest int.
int tellfl(Context& ctx, int unit) {
    const std::shared_ptr<Stream> s = take_unit(ctx, unit);
    std::unique_lock<std::mutex> io;
    if (!s || !still_open(ctx, *s, io)) return -1;
    const long position = std::ftell(s->fp);
    if (position < 0 || position > INT_MAX) {
        warn_int(ctx, 36, unit);
        return -1;
    }
    return static_cast<int>(position);
}

}  // namespace kal
