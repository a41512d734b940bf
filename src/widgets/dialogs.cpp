// Showing the dialog (wgfin, reawgt, sendok), the stand-alone questions and
// the window identifiers. With a display the toolkit of the GTK plug-in
// draws; in mode ASCI the terminal asks; without either every question
// takes its default and says so.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "api/routines_widgets.h"
#include "core/call_lock.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/drivers/screen.h"
#include "output/raster/raster.h"
#include "output/screen/presenter.h"
#include "widgets/widget_common.h"

extern char** environ;

namespace kal {
namespace {

constexpr int SLICE_MS = 50;  // a wait looks at sendok and Ctrl-C this often

const char* const KIND_NAMES[] = {"",     "MAIN", "BASE", "LABEL", "BUTTON", "BOX",  "LIST", "DLIST", "STXT", "TEXT",
                                  "LTXT", "FILE", "SCALE", "PUSH", "OK",     "QUIT", "CMD",  "DRAW",  "POPUP", "ENTRY"};

std::string value_text(const Widget& w) {
    char buf[64];
    switch (w.kind) {
    case KAL_WG_BUTTON:
    case KAL_WG_BOX:
    case KAL_WG_LIST:
    case KAL_WG_DLIST:
        return std::to_string(w.value);
    case KAL_WG_SCALE:
        std::snprintf(buf, sizeof buf, "%.*f", w.digits, w.fvalue);
        return buf;
    case KAL_WG_TEXT:
    case KAL_WG_LTEXT:
    case KAL_WG_FILE:
        return w.text2;
    case KAL_WG_STEXT: {
        std::string all;
        for (size_t i = 0; i < w.log.size(); ++i) all += (i ? "\\n" : "") + w.log[i];
        return all;
    }
    default:
        return w.text;
    }
}

// wgcmd: /bin/sh -c command in the background.
void start_command(Context& ctx, WidgetState& ws, const std::string& cmd) {
    pid_t pid = 0;
    const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        widget_error(ctx, "Command " + cmd + " failed");
        return;
    }
    ws.commands.push_back(int(pid));
}

// Reports the commands that ended with a failure.
void reap_commands(Context& ctx, WidgetState& ws) {
    for (size_t i = 0; i < ws.commands.size();) {
        int status = 0;
        const pid_t r = waitpid(ws.commands[i], &status, WNOHANG);
        if (r == 0) {
            ++i;
            continue;
        }
        if (r > 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
            // The command's label names it.
            for (const Widget& w : ws.table)
                if (w.kind == KAL_WG_CMD && w.value == ws.commands[i])
                    widget_error(ctx, "Command " + w.text2 + " failed");
        }
        ws.commands.erase(ws.commands.begin() + long(i));
    }
}

kal_dialog describe_dialog(const WidgetState& ws, std::vector<kal_widget>& widgets, std::deque<std::string>& keep) {
    widgets.clear();
    for (size_t i = 0; i < ws.table.size(); ++i) widgets.push_back(describe_widget(ws, int(i), keep));
    const WidgetSettings& s = ws.set;
    kal_dialog d{};
    d.widgets = widgets.data();
    d.n = int(widgets.size());
    keep.push_back(latin1_to_utf8(ws.table[0].text));
    d.title = keep.back().c_str();
    if (s.help_set) {
        keep.push_back(latin1_to_utf8(s.help));
        d.help = keep.back().c_str();
    }
    d.ok_entry = s.ok_entry;
    d.quit_entry = s.quit_entry;
    d.help_entry = s.help_entry;
    d.x = s.win[0] >= 0 ? s.win[0] + s.off_x : -1;
    d.y = s.win[1] >= 0 ? s.win[1] + s.off_y : -1;
    d.w = s.win[2];
    d.h = s.win[3];
    d.centre = s.centre;
    std::memcpy(d.margin, s.margin, sizeof d.margin);
    // Character widths and line heights of a 10-pixel font.
    d.spacing[0] = int(std::lround(s.xspace * 8));
    d.spacing[1] = int(std::lround(s.yspace * 20));
    d.width = s.width;
    d.mask_user = s.mask_user;
    return d;
}

// Opens (or opens again, after more widgets came) the dialog's window.
bool show_dialog(WidgetState& ws, const kal_widget_toolkit* tk) {
    if (ws.dialog && ws.shown_count == ws.table.size()) return true;
    if (ws.dialog) {
        tk->close(ws.dialog);
        tk->close(ws.dialog);
    }
    std::vector<kal_widget> widgets;
    std::deque<std::string> keep;
    const kal_dialog d = describe_dialog(ws, widgets, keep);
    ws.toolkit = tk;
    ws.dialog = tk->open(&d);
    ws.shown_count = ws.table.size();
    if (ws.dialog && ws.focus >= 0) tk->focus(ws.dialog, ws.focus);
    return ws.dialog != 0;
}

void fire(Widget& w, int id) {
    if (w.callback)
        w.callback(id);
    else if (w.callback_data)
        w.callback_data(id, w.data);
}

// The button an end of the dialog counts as: the OK or Quit button pressed,
// else (the menu's Exit or Quit, the window closed) the dialog's first
// button of that kind; -1 when it has none.
int end_button(const WidgetState& ws, int kind, int id) {
    if (id >= 0 && size_t(id) < ws.table.size() && ws.table[size_t(id)].kind == kind) return id;
    for (size_t i = 0; i < ws.table.size(); ++i)
        if (ws.table[i].kind == kind) return int(i);
    return -1;
}

// Applies one event; true when it ends the dialog. An end by OK or Quit
// runs the callback of the button it counts as; closing the window is Quit,
// or OK after swgopt("OK", "CLOS").
bool apply(Context& ctx, WidgetState& ws, const kal_widget_event& e, bool callbacks) {
    if (e.kind == KAL_EV_OK || e.kind == KAL_EV_QUIT || e.kind == KAL_EV_CLOSE) {
        const bool ok = e.kind == KAL_EV_OK || (e.kind == KAL_EV_CLOSE && ws.set.close_ok);
        const int id = end_button(ws, ok ? KAL_WG_OK : KAL_WG_QUIT, e.id);
        if (callbacks && id >= 0) fire(ws.table[size_t(id)], id);
        return true;
    }
    if (e.id < 0 || size_t(e.id) >= ws.table.size()) return false;
    Widget& w = ws.table[size_t(e.id)];
    switch (w.kind) {
    case KAL_WG_BUTTON:
    case KAL_WG_BOX:
    case KAL_WG_LIST:
    case KAL_WG_DLIST:
        w.value = e.value;
        break;
    case KAL_WG_SCALE:
        w.fvalue = std::clamp(e.fvalue, w.fmin, w.fmax);
        break;
    case KAL_WG_TEXT:
    case KAL_WG_LTEXT:
    case KAL_WG_FILE:
        if (e.text) w.text2 = utf8_to_latin1(e.text);
        break;
    case KAL_WG_CMD:
        if (e.kind == KAL_EV_FIRE) {
            start_command(ctx, ws, w.text2);
            if (!ws.commands.empty()) ws.table[size_t(e.id)].value = ws.commands.back();
        }
        break;
    default:
        break;
    }
    if (e.kind == KAL_EV_FIRE && callbacks) fire(ws.table[size_t(e.id)], e.id);
    return false;
}

// ASCI: wgfin lists the widgets and their values.
void list_widgets(WidgetState& ws) {
    std::printf("%s\n", ws.table[0].text.c_str());
    for (size_t i = 1; i < ws.table.size(); ++i) {
        const Widget& w = ws.table[i];
        const std::string label = w.kind == KAL_WG_TEXT ? std::string() : w.text;
        std::printf("%5zu %-6s %s%s%s\n", i, KIND_NAMES[w.kind], label.c_str(), label.empty() ? "" : ": ",
                    value_text(w).c_str());
    }
    std::fflush(stdout);
}

// One line from the terminal without its line end; false at the end of input.
bool read_line(std::string& line) {
    line.clear();
    char buf[512];
    bool any = false;
    while (std::fgets(buf, sizeof buf, stdin)) {
        any = true;
        line += buf;
        if (!line.empty() && line.back() == '\n') break;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return any;
}

struct Answer {
    int choice = 0;
    std::string text;
};

// Asks the question of a dialog routine: with the toolkit, on the terminal
// (ASCI) or not at all (its default, reported).
Answer ask(Context& ctx, kal_ask a, const std::string& title, const std::string& text, const std::string& items,
           const std::string& value, const std::string& shown_default) {
    Answer answer{a.choice, value};
    WidgetState& ws = widgets_of(ctx);
    if (ws.set.mode == 2) {
        std::printf("%s\n", text.c_str());
        if (a.kind == KAL_ASK_LIST) {
            const auto list = split_items(items, a.sep);
            for (size_t i = 0; i < list.size(); ++i) std::printf("%5zu %s\n", i + 1, list[i].c_str());
        }
        if (a.kind == KAL_ASK_MESSAGE) return answer;
        const char* hint = a.kind == KAL_ASK_BUTTONS ? "Yes/No" : a.kind == KAL_ASK_LIST ? "number" : "text";
        std::printf("%s [%s]: ", hint, shown_default.c_str());
        std::fflush(stdout);
        std::string line;
        if (!read_line(line) || line.empty()) return answer;
        if (a.kind == KAL_ASK_BUTTONS) {
            const char c = char(std::toupper(static_cast<unsigned char>(line[0])));
            if (c == 'Y' || c == '1') answer.choice = 1;
            if (c == 'N' || c == '0') answer.choice = 0;
        } else if (a.kind == KAL_ASK_LIST) {
            char* end = nullptr;
            const long n = std::strtol(line.c_str(), &end, 10);
            if (end && !*end && n >= 1 && n <= long(split_items(items, a.sep).size())) answer.choice = int(n);
        } else {
            answer.text = line;
        }
        return answer;
    }
    const kal_widget_toolkit* tk = widget_toolkit(ctx);
    const std::string t8 = latin1_to_utf8(title), x8 = latin1_to_utf8(text), i8 = latin1_to_utf8(items),
                      v8 = latin1_to_utf8(value);
    a.title = t8.c_str();
    a.text = x8.c_str();
    a.items = i8.c_str();
    a.value = v8.c_str();
    const int handle = tk ? tk->ask(&a) : 0;
    if (!handle) {
        message_line(ctx, std::string(">>>> No display in ") + ctx.frame.routine + ": " +
                              (text.empty() ? title : text) + "\n");
        message_line(ctx, " -> " + shown_default + "\n");
        return answer;
    }
    for (;;) {
        int choice = answer.choice;
        char* got = nullptr;
        int r;
        {
            CallPause pause;
            r = tk->answer(handle, SLICE_MS, &choice, &got);
        }
        if (r == 1) {
            answer.choice = choice;
            if (got) answer.text = utf8_to_latin1(got);
        }
        std::free(got);
        if (r != 0) break;
        if (wait_interrupted()) {
            tk->cancel(handle);
            break;
        }
    }
    return answer;
}

}  // namespace

// ---- the dialog -------------------------------------------------------------------

void wgfin(Context& ctx) {
    WidgetState& ws = widgets_of(ctx);
    if (ws.table.empty() || !ws.open) return widget_error(ctx, "No call to wgini before");
    if (ws.running) return widget_error(ctx, "Routine must be used between wgini and wgfin");
    const kal_widget_toolkit* tk = widget_toolkit(ctx);
    if (ws.ok_sent.exchange(false) || !tk) {
        if (ws.set.mode == 2) list_widgets(ws);
        if (ws.dialog && ws.toolkit) {
            ws.toolkit->close(ws.dialog);
            ws.toolkit->close(ws.dialog);
        }
        ws.dialog = 0;
        ws.open = false;
        return;
    }
    if (!show_dialog(ws, tk)) {
        ws.open = false;
        return;
    }
    ws.running = true;
    ws.quit_sent = false;
    kal_widget_event e{};
    for (bool done = false; !done;) {
        if (ws.ok_sent.exchange(false) || ws.quit_sent.exchange(false)) break;
        int got;
        {
            CallPause pause;
            got = tk->next_event(ws.dialog, SLICE_MS, &e);
        }
        if (got) {
            done = apply(ctx, ws, e, true);
            std::free(e.text);
            e.text = nullptr;
        }
        reap_commands(ctx, ws);
        if (wait_interrupted()) break;
    }
    tk->close(ws.dialog);
    // The values the window held when it closed.
    while (tk->next_event(ws.dialog, 0, &e)) {
        apply(ctx, ws, e, false);
        std::free(e.text);
        e.text = nullptr;
    }
    tk->close(ws.dialog);  // frees what the window left
    ws.dialog = 0;
    ws.running = false;
    ws.open = false;
}

void reawgt(Context& ctx) {
    WidgetState& ws = widgets_of(ctx);
    if (ws.table.empty() || !ws.open || ws.running)
        return widget_error(ctx, "Routine must be used between wgini and wgfin");
    if (const kal_widget_toolkit* tk = widget_toolkit(ctx)) show_dialog(ws, tk);
}

void sendok(Context& ctx) { widgets_of(ctx).ok_sent = true; }

// ---- questions --------------------------------------------------------------------

void msgbox(Context& ctx, const char* text) {
    kal_ask a{};
    a.kind = KAL_ASK_MESSAGE;
    ask(ctx, a, widgets_of(ctx).set.title, text, "", "", "OK");
}

void dwgmsg(Context& ctx, const char* text) {
    kal_ask a{};
    a.kind = KAL_ASK_MESSAGE;
    ask(ctx, a, widgets_of(ctx).set.title, text, "", "", "OK");
}

int dwgbut(Context& ctx, const char* text, int ival) {
    kal_ask a{};
    a.kind = KAL_ASK_BUTTONS;
    a.choice = ival != 0;
    return ask(ctx, a, widgets_of(ctx).set.title, text, "", "", a.choice ? "Yes" : "No").choice;
}

int dwglis(Context& ctx, const char* label, const char* list, int isel) {
    WidgetState& ws = widgets_of(ctx);
    const int n = int(split_items(list, ws.set.sep).size());
    if (isel < 1 || isel > n) {
        widget_error(ctx, "Selected list element out of range");
        return isel;
    }
    kal_ask a{};
    a.kind = KAL_ASK_LIST;
    a.sep = ws.set.sep;
    a.choice = isel;
    return ask(ctx, a, ws.set.title, label, list, "", std::to_string(isel)).choice;
}

const char* dwgtxt(Context& ctx, const char* label, const char* value) {
    static thread_local std::string result;  // until the next call in this thread
    WidgetState& ws = widgets_of(ctx);
    kal_ask a{};
    a.kind = KAL_ASK_TEXT;
    result = ask(ctx, a, ws.set.title, label, "", value, value).text;
    return result.c_str();
}

const char* dwgfil(Context& ctx, const char* label, const char* file, const char* mask) {
    static thread_local std::string result;  // until the next call in this thread
    WidgetState& ws = widgets_of(ctx);
    kal_ask a{};
    a.kind = KAL_ASK_FILE;
    a.mask_user = ws.set.mask_user;
    result = ask(ctx, a, label, label, mask, file, file).text;
    return result.c_str();
}

// ---- plots in a drawing widget ----

namespace {

// Shows a screen plot's pictures in the drawing widget of setxid; the plot
// neither waits at kalfin nor closes the widget.
class WidgetPresenter : public Presenter {
public:
    const kal_widget_toolkit* tk = nullptr;
    int dialog = 0, id = 0, w = 0, h = 0;

    bool interactive() const override { return false; }
    const char* display() const override { return "XWIN"; }
    bool screen(int& mw, int& mh, int area[4]) const override {
        mw = w;
        mh = h;
        area[0] = area[1] = 0;
        area[2] = w;
        area[3] = h;
        return true;
    }
    int open(Context&, int number, int, int, int, int, const std::string&) override { return number; }
    void title(int, const std::string&) override {}
    void show(Context&, int, int, const Raster& r, int) override {
        const int rw = r.width(), rh = r.height();
        rgb_.resize(size_t(rw) * size_t(rh) * 3);
        for (int y = 0; y < rh; ++y) r.rgb_row(0, y, rw, rgb_.data() + size_t(y) * size_t(rw) * 3);
        tk->draw(dialog, id, rgb_.data(), rw, rh);
    }
    int wait(const int*, int, int, bool, int, bool) override { return KAL_WAIT_CLOSED; }
    void close(int) override {}
    unsigned long xid(int) override { return tk->xid(dialog, id); }

private:
    std::vector<unsigned char> rgb_;
};

Presenter* widget_presenter(Context& ctx) {
    static thread_local WidgetPresenter presenter;
    const WidgetState& ws = ctx.widgets;
    if (ws.xid_widget < 0 || !ws.dialog || !ws.toolkit || size_t(ws.xid_widget) >= ws.table.size()) return nullptr;
    const Widget& w = ws.table[size_t(ws.xid_widget)];
    presenter.tk = ws.toolkit;
    presenter.dialog = ws.dialog;
    presenter.id = ws.xid_widget;
    presenter.w = w.w;
    presenter.h = w.height;
    return &presenter;
}

}  // namespace

// ---- window identifiers -----------------------------------------------------------

int gwgxid(Context& ctx, int id) {
    WidgetState& ws = widgets_of(ctx);
    if (id < 0 || size_t(id) >= ws.table.size()) {
        widget_error(ctx, "Not allowed ID");
        return 0;
    }
    return ws.dialog && ws.toolkit ? int(ws.toolkit->xid(ws.dialog, id)) : 0;
}

void setxid(Context& ctx, int id, const char* type) {
    const int i = keyword_index("WIDG+WIND+NONE", type);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + type);
    WidgetState& ws = widgets_of(ctx);
    if (i == 3) {
        ws.xid_widget = -1;
        return;
    }
    if (i == 1 && (id < 0 || size_t(id) >= ws.table.size() || ws.table[size_t(id)].kind != KAL_WG_DRAW))
        return widget_error(ctx, "Not allowed widget ID");
    ws.xid_widget = i == 1 ? id : -1;
    if (i == 1) set_context_presenter(widget_presenter);
}

int getxid(Context& ctx, const char* type) {
    const int i = keyword_index("WIND+WIDG", type);
    if (!i) {
        widget_error(ctx, std::string("Not allowed parameter ") + type);
        return 0;
    }
    WidgetState& ws = widgets_of(ctx);
    if (i == 1) return int(screen_window_xid(ctx));
    if (ws.xid_widget >= 0 && ws.dialog && ws.toolkit) return int(ws.toolkit->xid(ws.dialog, ws.xid_widget));
    return 0;
}

}  // namespace kal
