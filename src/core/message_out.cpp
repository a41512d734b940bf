#include "core/message_out.h"

#include <atomic>

namespace kal {
namespace {

std::atomic<StdoutWriter> stdout_writer{nullptr};
std::atomic<MessageBoxShow> message_box_show{nullptr};

struct Collected {
    bool on = false;
    std::vector<std::string> lines;
};
thread_local Collected collected;

}  // namespace

void write_out(FILE* stream, const std::string& text) {
    if (stream == stdout) {
        StdoutWriter w = stdout_writer.load(std::memory_order_acquire);
        if (w && w(text.data(), text.size())) return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void set_stdout_writer(StdoutWriter writer) { stdout_writer.store(writer, std::memory_order_release); }

void set_message_box(MessageBoxShow show) { message_box_show.store(show, std::memory_order_release); }

bool show_message_box(const std::string& title, const std::string& text) {
    MessageBoxShow show = message_box_show.load(std::memory_order_acquire);
    return show && show(title, text);
}

void collect_warnings(bool on) {
    collected.on = on;
    if (!on) collected.lines.clear();
}

bool collecting_warnings() { return collected.on; }

std::vector<std::string> take_collected_warnings() {
    std::vector<std::string> lines;
    lines.swap(collected.lines);
    return lines;
}

bool keep_warning(const std::string& line) {
    if (!collected.on) return false;
    collected.lines.push_back(line);
    return true;
}

}  // namespace kal
