// Where message lines (warnings, the end protocol, fatal messages) are
// written. Standard output may be taken over by a host (the Python module
// writes through sys.stdout when that is not file descriptor 1), and a
// thread may collect its warning lines instead of printing them.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "core/export.h"

namespace kal {

// Writes `text` to `stream` and flushes it. Text for standard output goes
// to the installed writer first; it is written directly when the writer
// declines it (returns false) or none is installed.
void write_out(FILE* stream, const std::string& text);

using StdoutWriter = bool (*)(const char* text, size_t size);
KALVOR_INTERNAL void set_stdout_writer(StdoutWriter writer);

// A modal message box for a text (a windowed program's end protocol), which
// the screen output installs: true once the user closed it, false when there
// is no display (the text then goes to the message stream).
using MessageBoxShow = bool (*)(const std::string& title, const std::string& text);
void set_message_box(MessageBoxShow show);
bool show_message_box(const std::string& title, const std::string& text);

// Warning lines of the calling thread: while collection is on, warnings are
// counted as usual but their lines are kept instead of being written.
KALVOR_INTERNAL void collect_warnings(bool on);
KALVOR_INTERNAL bool collecting_warnings();
// The lines kept since the last call, in their order (the list is emptied).
KALVOR_INTERNAL std::vector<std::string> take_collected_warnings();
// Keeps the line when the thread collects; false when it must be written.
bool keep_warning(const std::string& line);

}  // namespace kal
