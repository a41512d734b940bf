#include "core/frame.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>

#include "core/context.h"
#include "core/files.h"
#include "core/message_out.h"
#include "core/messages.h"
#include "core/threads.h"

namespace kal {
namespace {

void copy_name(Context& ctx, const char* name) {
    std::strncpy(ctx.frame.routine, name, 8);
    ctx.frame.routine[8] = '\0';
}

bool shown(const Context& ctx) {
    return ctx.frame.unit != UNIT_NONE && ctx.frame.warnings_on;
}

FILE* message_stream(Context& ctx) {
    open_error_output(ctx);
    return ctx.frame.stream ? ctx.frame.stream : stdout;
}

// Returns the text of warning `number`, reporting numbers without one.
const char* warning_text(Context& ctx, int number) {
    if (number >= 1 && number <= LAST_TABLE_MESSAGE) return message_text(number);
    if (number >= 101) return ctx.frame.message;
    char line[64];
    std::snprintf(line, sizeof line, "<<<< Incorrect parameter in errmes! (%4d)\n", number);
    write_out(stdout, line);
    return message_text(0);
}

// A warning line to the message stream, or to the thread's collection.
void emit(Context& ctx, const std::string& line) {
    if (!keep_warning(line)) write_out(message_stream(ctx), line);
}

std::string format_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format_line(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n < int(sizeof buf)) return std::string(buf, n < 0 ? 0 : size_t(n));
    std::string out(size_t(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(size_t(n));
    return out;
}

}  // namespace

int clamp_int(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

Context* level_check(int min, int max, const char* name) {
    bool created = false;
    Context& ctx = acquire_record(created);
    copy_name(ctx, name);
    const int level = ctx.frame.level;
    if (level >= min && level <= max) return &ctx;
    if (level == 0) ctx.frame.unit = UNIT_STDOUT;
    warn_int(ctx, 3, level);
    return nullptr;
}

Context& setter_check(const char* name) {
    Context* ctx = fetch_record();
    if (!ctx) {
        level_check(1, 3, name);
        return *fetch_record();
    }
    copy_name(*ctx, name);
    if (ctx->frame.level < 1 || ctx->frame.level > 3) warn_int(*ctx, 3, ctx->frame.level);
    return *ctx;
}

int keyword_index(const char* list, const char* key) {
    char want[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; i < 4 && key[i]; ++i) {
        char c = key[i];
        want[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const size_t len = std::strlen(list);
    for (size_t pos = 0, index = 1; pos + 4 <= len; pos += 5, ++index) {
        bool same = true;
        for (int i = 0; i < 4 && same; ++i) {
            char c = list[pos + i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            same = (c == want[i]);
        }
        if (same) return static_cast<int>(index);
    }
    return 0;
}

int keyword(Context& ctx, const char* list, const char* key) {
    int index = keyword_index(list, key);
    if (index == 0) warn_text(ctx, 2, key);
    return index;
}

bool out_of_range(Context& ctx, double value, double min, double max) {
    if (value >= min && (max < min || value <= max)) return false;
    warn_int(ctx, 2, clamp_int(value));
    return true;
}

bool bad_date(Context& ctx, int day, int month, int year) {
    int bad = 0;
    bool wrong = true;
    if (day < 1 || day > 31) {
        bad = day;
    } else if (month < 1 || month > 12) {
        bad = month;
    } else if (year < 1000) {
        bad = year;
    } else if (month == 2) {
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        wrong = day >= 30 || (day == 29 && !leap);
        bad = day;
    } else {
        wrong = false;
    }
    if (wrong) warn_int(ctx, 2, bad);
    return wrong;
}

void warn(Context& ctx, int number) {
    if (shown(ctx)) {
        const char* text = warning_text(ctx, number);
        emit(ctx, format_line(" <<<< Warning %3d: %s in %s!\n", number, text, ctx.frame.routine));
    }
    ++ctx.frame.warnings;
}

void warn_int(Context& ctx, int number, long long value) {
    if (shown(ctx)) {
        const char* text = warning_text(ctx, number);
        emit(ctx, format_line(" <<<< Warning %3d: %s in %s!   (%4lld)\n", number, text,
                              ctx.frame.routine, value));
    }
    ++ctx.frame.warnings;
}

void warn_text(Context& ctx, int number, const char* detail) {
    if (shown(ctx)) {
        const char* text = warning_text(ctx, number);
        emit(ctx, format_line(" <<<< Warning %3d: %s in %s!   (%s)\n", number, text,
                              ctx.frame.routine, detail));
    }
    ++ctx.frame.warnings;
}

void custom_warning(Context& ctx, int number, const char* text) {
    std::strncpy(ctx.frame.message, text, 80);
    ctx.frame.message[80] = '\0';
    warn(ctx, number);
}

bool message_line(Context& ctx, const std::string& line) {
    if (!shown(ctx)) return false;
    emit(ctx, line);
    return true;
}

void open_error_output(Context& ctx) {
    FrameState& f = ctx.frame;
    const bool to_file = f.app_type == APP_WINDOW || f.error_device == ERRDEV_FILE;
    if (!to_file || f.errfile_open) return;
    const std::string name = f.errfile_named ? f.errfile_name : std::string("kalvor.err");
    std::string path;
    FILE* fp = create_file(ctx, name, "w", path);
    if (!fp) {
        // No error file: warnings stay visible on standard output.
        f.stream = stdout;
        return;
    }
    f.errfile_path = path;
    f.errfile_stream = fp;
    f.stream = fp;
    f.errfile_open = true;
}

void setup_message_stream(Context& ctx) {
    FrameState& f = ctx.frame;
    if (f.app_type == APP_CONSOLE && f.error_device == ERRDEV_CONSOLE) f.errfile_stream = stdout;
    f.stream = f.errfile_stream ? f.errfile_stream : stdout;
    f.unit = (f.errfile_stream == stdout) ? UNIT_STDOUT : UNIT_ERRFILE;
}

bool close_error_file(Context& ctx) {
    FrameState& f = ctx.frame;
    bool was_open = false;
    if (f.errfile_open) {
        std::fclose(f.errfile_stream);
        f.errfile_stream = nullptr;
        f.errfile_open = false;
        was_open = true;
    }
    if (f.unit == UNIT_ERRFILE) f.unit = UNIT_STDOUT;
    f.stream = stdout;
    return was_open;
}

void FrameState::reset(Context& ctx) {
    ctx.frame.warnings_on = true;
    ctx.frame.checking_on = true;
    ctx.frame.protocol_on = true;
}

namespace {
const ResetKey FRAME_KEYS[] = {{"UNIT", setup_message_stream}};
}  // namespace
const ResetKeys FrameState::reset_keys = FRAME_KEYS;

}  // namespace kal
