// The dialog widgets' part of the context record. It stays outside the
// parts that kalini resets: the widget table and its GUI handles outlive
// plots, and go with the record (delglb, thrfin) unless a dialog runs.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "core/export.h"
#include "widgets/toolkit.h"

namespace kal {

struct Context;

using WidgetCallback = void (*)(int id);
using WidgetCallbackData = void (*)(int id, void* data);

struct Widget {
    int kind = 0, parent = -1, layout = 0;
    int x = -1, y = -1, w = -1, h = -1;
    std::string text, text2, items, mask;
    char sep = '|';
    int value = 0;
    double fvalue = 0, fmin = 0, fmax = 0, step = 0;
    int digits = 0, state = KAL_STATE_ACTIVE, lines = 0, max_lines = 0, percent = 0;
    int justify = 0, vertical = 0, scroll = 0, height = 0;
    int font = -1, back = -1, fore = -1, call_mode = 0;
    std::vector<std::string> log;  // scrolled text: its lines, oldest first
    WidgetCallback callback = nullptr;
    WidgetCallbackData callback_data = nullptr;
    void* data = nullptr;
};

struct WidgetFont {
    std::string family;  // empty: the theme's
    int size = 0, bold = 0, italic = 0;
};

struct WidgetSettings {
    int width = 300;
    float xspace = 2.0f, yspace = 0.5f;
    float step = 0;           // swgstp, 0: (max - min) / 100
    float draw = 1.0f;        // swgdrw
    int pos_x = -1, pos_y = -1, size_w = -1, size_h = -1;
    int win[4] = {-1, -1, -1, -1};
    int off_x = 0, off_y = 0;
    std::string title = "KALVOR", help;
    bool help_set = false;
    std::vector<WidgetFont> fonts;
    int font = -1;
    int back = -1, fore = -1;
    int justify = 0, scroll = 0, vertical = 0;
    int mode = 0;             // 0 AUTO, 1 XWIN, 2 ASCI
    int ok_entry = 0, quit_entry = 1, help_entry = 1;
    int centre = 0, mask_user = 0, dwgf_top = 0, call_mode = 0, close_ok = 0;
    int margin[4] = {10, 10, 10, 10};
    char sep = '|';
};

struct WidgetState {
    WidgetState() = default;
    ~WidgetState();
    WidgetState(const WidgetState&) = delete;
    WidgetState& operator=(const WidgetState&) = delete;

    WidgetSettings set;
    std::vector<Widget> table;     // empty: no wgini yet
    bool open = false;             // between wgini and the end of wgfin
    bool running = false;          // wgfin's loop runs
    int dialog = 0;                // the toolkit's handle of the shown dialog
    size_t shown_count = 0;        // the widgets it shows
    const kal_widget_toolkit* toolkit = nullptr;
    std::atomic<bool> ok_sent{false};
    std::atomic<bool> quit_sent{false};
    int focus = -1;                // swgfoc before the dialog shows
    std::vector<int> commands;     // wgcmd's processes still running
    int xid_widget = -1;           // setxid "WIDG": the next screen plot's drawing widget
    Context* owner = nullptr;

    // Drops the dialog: the toolkit's window, the table, the callbacks.
    void clear();
};

// The binding's hook, run when a record's widget callbacks end (the next
// wgini, the record freed), so that it drops what it keeps for them.
using CallbacksEnded = void (*)(const Context* ctx);
KALVOR_INTERNAL void set_callbacks_ended(CallbacksEnded hook);

// The calling thread's record: does widget id have a callback the library
// accepted? (The binding keeps a callable only then.)
KALVOR_INTERNAL bool widget_callback_set(int id);
// The calling thread's running dialog ends as Quit (a callback raised
// SystemExit or KeyboardInterrupt).
KALVOR_INTERNAL void widget_dialog_quit();

}  // namespace kal
