#include <cstdio>
#include <string>

#include "core/clock.h"
#include "core/context.h"
#include "core/lifecycle.h"
#include "core/message_out.h"

namespace kal {
namespace {

constexpr double VERSION = 9.1;

std::string first48(const std::string& s) { return s.substr(0, 48); }

void console_form(Context& ctx, int result, const std::string& date, const std::string& time) {
    const std::string rule(66, '<');
    FILE* s = ctx.frame.stream ? ctx.frame.stream : stdout;
    char line[256];
    std::string text = "\n " + rule;
    std::snprintf(line, sizeof line,
                  "\n <<                END OF KALVOR / VERSION %4.1f %s                <<",
                  VERSION, " ");
    text += line;
    std::snprintf(line, sizeof line, "\n <<  Date    : %10s  Time    : %8s  Pageformat: %4s  <<",
                  date.c_str(), time.c_str(), ctx.page.format);
    text += line;
    const std::string vectors = std::to_string(ctx.out.vectors);
    const std::string warnings = std::to_string(ctx.frame.warnings);
    std::snprintf(line, sizeof line, "\n <<  Vectors : %-10s  Warnings: %-8s  Fileformat: %4s  <<",
                  vectors.c_str(), warnings.c_str(), ctx.page.device_key);
    text += line;
    if (result != 10) {
        std::string item = "Metafile: ";
        if (result != 0) item += first48(ctx.page.file_name);
        std::snprintf(line, sizeof line, "\n <<  %-58s  <<", item.c_str());
        text += line;
    }
    if (result >= 10) {
        std::string item = "Err-file: " + first48(ctx.frame.errfile_path);
        std::snprintf(line, sizeof line, "\n <<  %-58s  <<", item.c_str());
        text += line;
    }
    text += "\n " + rule + "\n";
    text += "\n";
    write_out(s, text);
}

// The windowed program's protocol: in a message box when there is a display,
// else on the message stream.
void window_form(Context& ctx, int result, const std::string& date, const std::string& time) {
    char head[96];
    std::snprintf(head, sizeof head, "           END OF KALVOR / VERSION %4.1f %s\n ", VERSION, " ");
    std::string text = head;
    text += "\n Date          : " + date;
    text += "\n Time          : " + time;
    text += std::string("\n Pageformat: ") + ctx.page.format;
    text += "\n Vectors      : " + std::to_string(ctx.out.vectors);
    text += "\n Warnings  : " + std::to_string(ctx.frame.warnings);
    text += std::string("\n Fileformat  : ") + ctx.page.device_key;
    if (result == 1 || result == 11) text += "\n Metafile     : " + first48(ctx.page.file_name);
    if (result >= 10) text += "\n Error file    : " + first48(ctx.frame.errfile_path);
    text += "\n";
    if (show_message_box("KALVOR", text)) return;
    FILE* s = ctx.frame.stream ? ctx.frame.stream : stdout;
    write_out(s, text);
}

}  // namespace

void end_protocol(Context& ctx, int result) {
    if (ctx.frame.unit == UNIT_NONE || !ctx.frame.protocol_on) return;
    const DateTime t = now();
    const std::string date = date_text(t);
    const std::string time = time_text(t);
    if (ctx.frame.app_type == APP_WINDOW) {
        window_form(ctx, result, date, time);
        return;
    }
    // One fputs: the stream's own lock keeps the lines of two threads'
    // protocols apart, and no library lock waits on a slow stream.
    console_form(ctx, result, date, time);
}

}  // namespace kal
