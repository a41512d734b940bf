// Creating widgets, their settings and their values.
#include <cmath>
#include <cstring>

#include "api/routines_widgets.h"
#include "core/context.h"
#include "core/frame.h"
#include "widgets/widget_common.h"

namespace kal {
namespace {

constexpr size_t MAX_WIDGETS = 10000;
constexpr int MAX_NESTING = 8;
constexpr int MAX_FONTS = 16;

int layout_of(Context& ctx, const char* layout) {
    const int i = keyword_index("VERT+HORI+FORM", layout);
    if (!i) widget_error(ctx, std::string("Not allowed parameter ") + layout);
    return i;
}

// The record's open widget table (between wgini and the end of wgfin, not
// from inside wgfin's callbacks), else an error.
WidgetState* creating(Context& ctx) {
    WidgetState& w = widgets_of(ctx);
    if (w.table.empty() || !w.open) {
        widget_error(ctx, "No call to wgini before");
        return nullptr;
    }
    if (w.running) {
        widget_error(ctx, "Routine must be used between wgini and wgfin");
        return nullptr;
    }
    return &w;
}

bool is_parent(int kind) { return kind == KAL_WG_MAIN || kind == KAL_WG_BASE; }

int depth(const WidgetState& w, int id) {
    int d = 0;
    for (; id > 0; id = w.table[size_t(id)].parent) ++d;
    return d;
}

// A new widget of `kind` in parent ip with the current settings; its
// identifier, or -1 after an error.
int add(Context& ctx, int ip, Widget n) {
    WidgetState* w = creating(ctx);
    if (!w) return -1;
    if (ip < 0 || size_t(ip) >= w->table.size() ||
        (n.kind == KAL_WG_ENTRY ? w->table[size_t(ip)].kind != KAL_WG_POPUP : !is_parent(w->table[size_t(ip)].kind))) {
        widget_error(ctx, "Not allowed parent ID");
        return -1;
    }
    if (w->table.size() >= MAX_WIDGETS) {
        widget_error(ctx, "Too many widgets");
        return -1;
    }
    const WidgetSettings& s = w->set;
    n.parent = ip;
    if (w->table[size_t(ip)].layout == KAL_LAYOUT_FORM) {
        n.x = s.pos_x;
        n.y = s.pos_y;
        n.w = s.size_w;
        n.h = s.size_h;
    }
    if (n.w < 0) n.w = s.width;
    n.sep = s.sep;
    n.font = s.font;
    n.back = s.back;
    n.fore = s.fore;
    n.justify = s.justify;
    n.scroll = s.scroll;
    n.vertical = s.vertical;
    n.call_mode = s.call_mode;
    w->table.push_back(std::move(n));
    return int(w->table.size() - 1);
}

Widget make(int kind, const char* text = "") {
    Widget n;
    n.kind = kind;
    n.text = text;
    return n;
}

// A selection of an item list: 1..count, or 0 where `none` allows it.
bool selection_ok(Context& ctx, const std::string& items, char sep, int sel, bool none) {
    const int n = int(split_items(items, sep).size());
    if ((sel == 0 && none) || (sel >= 1 && sel <= n)) return true;
    widget_error(ctx, "Selected list element out of range");
    return false;
}

int list_widget(Context& ctx, int kind, int ip, const char* items, int sel) {
    WidgetState& w = widgets_of(ctx);
    if (!selection_ok(ctx, items, w.set.sep, sel, kind == KAL_WG_LIST)) return -1;
    Widget n = make(kind);
    n.items = items;
    n.value = sel;
    return add(ctx, ip, std::move(n));
}

// Widget id of the record's table, else "Not allowed ID".
Widget* widget(Context& ctx, int id) {
    WidgetState& w = widgets_of(ctx);
    if (id < 0 || size_t(id) >= w.table.size()) {
        widget_error(ctx, "Not allowed ID");
        return nullptr;
    }
    return &w.table[size_t(id)];
}

// Widget id if it is of one of the kinds given, else "Not allowed widget ID".
Widget* widget(Context& ctx, int id, std::initializer_list<int> kinds) {
    Widget* p = widget(ctx, id);
    if (!p) return nullptr;
    for (int k : kinds)
        if (p->kind == k) return p;
    widget_error(ctx, "Not allowed widget ID");
    return nullptr;
}

bool positive(Context& ctx, double v) {
    if (v > 0) return true;
    widget_error(ctx, "Non positive paramter");
    return false;
}

void add_log_line(Widget& w, const std::string& line) {
    w.log.push_back(line);
    while (int(w.log.size()) > w.max_lines) w.log.erase(w.log.begin());
}

}  // namespace

// ---- creation ---------------------------------------------------------------------

int wgini(Context& ctx, const char* layout) {
    WidgetState& w = widgets_of(ctx);
    if (w.running) {
        widget_error(ctx, "Routine must be used between wgini and wgfin");
        return -1;
    }
    const int l = layout_of(ctx, layout);
    if (!l) return -1;
    w.clear();
    Widget n = make(KAL_WG_MAIN, w.set.title.c_str());
    n.layout = l;
    n.w = w.set.width;
    w.table.push_back(std::move(n));
    w.open = true;
    return 0;
}

int wgbas(Context& ctx, int ip, const char* layout) {
    WidgetState& w = widgets_of(ctx);
    if (!creating(ctx)) return -1;
    const int l = layout_of(ctx, layout);
    if (!l) return -1;
    if (ip >= 0 && size_t(ip) < w.table.size() && depth(w, ip) + 1 >= MAX_NESTING) {
        widget_error(ctx, "Too many nested widgets");
        return -1;
    }
    Widget n = make(KAL_WG_BASE);
    n.layout = l;
    return add(ctx, ip, std::move(n));
}

int wglab(Context& ctx, int ip, const char* text) { return add(ctx, ip, make(KAL_WG_LABEL, text)); }

int wgbut(Context& ctx, int ip, const char* text, int ival) {
    Widget n = make(KAL_WG_BUTTON, text);
    n.value = ival != 0;
    return add(ctx, ip, std::move(n));
}

int wgbox(Context& ctx, int ip, const char* items, int isel) { return list_widget(ctx, KAL_WG_BOX, ip, items, isel); }
int wglis(Context& ctx, int ip, const char* items, int isel) { return list_widget(ctx, KAL_WG_LIST, ip, items, isel); }
int wgdlis(Context& ctx, int ip, const char* items, int isel) {
    return list_widget(ctx, KAL_WG_DLIST, ip, items, isel);
}

int wgstxt(Context& ctx, int ip, int nlin, int nmax) {
    if (!positive(ctx, nlin) || !positive(ctx, nmax)) return -1;
    Widget n = make(KAL_WG_STEXT);
    n.lines = nlin;
    n.max_lines = nmax;
    return add(ctx, ip, std::move(n));
}

int wgtxt(Context& ctx, int ip, const char* text) {
    Widget n = make(KAL_WG_TEXT);
    n.text2 = text;
    return add(ctx, ip, std::move(n));
}

int wgltxt(Context& ctx, int ip, const char* label, const char* text, int nwth) {
    if (nwth < 0 || nwth > 100) {
        widget_error(ctx, "Bad value");
        return -1;
    }
    Widget n = make(KAL_WG_LTEXT, label);
    n.text2 = text;
    n.percent = nwth;
    return add(ctx, ip, std::move(n));
}

int wgfil(Context& ctx, int ip, const char* label, const char* file, const char* mask) {
    Widget n = make(KAL_WG_FILE, label);
    n.text2 = file;
    n.mask = mask;
    return add(ctx, ip, std::move(n));
}

int wgscl(Context& ctx, int ip, const char* label, float xmin, float xmax, float xval, int ndez) {
    WidgetState& w = widgets_of(ctx);
    if (!creating(ctx)) return -1;
    if (!(xmin < xmax) || !std::isfinite(xmin) || !std::isfinite(xmax)) {
        widget_error(ctx, "Bad value");
        return -1;
    }
    if (!(xval >= xmin && xval <= xmax)) {
        widget_error(ctx, "Value out of range");
        return -1;
    }
    const int digits = ndez < 0 ? 0 : ndez > 9 ? 9 : ndez;
    const double step = w.set.step > 0 ? w.set.step : (double(xmax) - xmin) / 100;
    if (step < std::pow(10.0, -digits) * (1 - 1e-6)) {
        widget_error(ctx, "Too small step size");
        return -1;
    }
    Widget n = make(KAL_WG_SCALE, label);
    n.fmin = xmin;
    n.fmax = xmax;
    n.fvalue = xval;
    n.digits = digits;
    n.step = step;
    return add(ctx, ip, std::move(n));
}

int wgpbut(Context& ctx, int ip, const char* label) { return add(ctx, ip, make(KAL_WG_PUSH, label)); }
int wgok(Context& ctx, int ip) { return add(ctx, ip, make(KAL_WG_OK, "OK")); }
int wgquit(Context& ctx, int ip) { return add(ctx, ip, make(KAL_WG_QUIT, "Quit")); }

int wgcmd(Context& ctx, int ip, const char* label, const char* cmd) {
    Widget n = make(KAL_WG_CMD, label);
    n.text2 = cmd;
    return add(ctx, ip, std::move(n));
}

int wgdraw(Context& ctx, int ip) {
    WidgetState& w = widgets_of(ctx);
    Widget n = make(KAL_WG_DRAW);
    n.height = int(std::lround(w.set.draw * float(w.set.width)));
    if (w.set.size_h > 0 && !w.table.empty() && ip >= 0 && size_t(ip) < w.table.size() &&
        w.table[size_t(ip)].layout == KAL_LAYOUT_FORM)
        n.height = w.set.size_h;
    return add(ctx, ip, std::move(n));
}

int wgpop(Context& ctx, int ip, const char* label) { return add(ctx, ip, make(KAL_WG_POPUP, label)); }
int wgapp(Context& ctx, int ip, const char* label) { return add(ctx, ip, make(KAL_WG_ENTRY, label)); }

// ---- settings ---------------------------------------------------------------------

void swgwth(Context& ctx, int n) {
    if (n < 1) return widget_error(ctx, "Bad value");
    widgets_of(ctx).set.width = n;
}

void swgspc(Context& ctx, float x, float y) {
    if (!(x >= 0 && y >= 0 && x <= 100 && y <= 100)) return widget_error(ctx, "Bad value");
    widgets_of(ctx).set.xspace = x;
    widgets_of(ctx).set.yspace = y;
}

void swgstp(Context& ctx, float step) {
    if (positive(ctx, step)) widgets_of(ctx).set.step = step;
}

void swgdrw(Context& ctx, float factor) {
    if (positive(ctx, factor)) widgets_of(ctx).set.draw = factor;
}

void swgpos(Context& ctx, int x, int y) {
    widgets_of(ctx).set.pos_x = x;
    widgets_of(ctx).set.pos_y = y;
}

void swgsiz(Context& ctx, int w, int h) {
    if (w < 1 || h < 1) return widget_error(ctx, "Bad value");
    widgets_of(ctx).set.size_w = w;
    widgets_of(ctx).set.size_h = h;
}

void swgwin(Context& ctx, int x, int y, int w, int h) {
    if (w < 1 || h < 1) return widget_error(ctx, "Bad value");
    int* r = widgets_of(ctx).set.win;
    r[0] = x;
    r[1] = y;
    r[2] = w;
    r[3] = h;
}

void swgoff(Context& ctx, int x, int y) {
    widgets_of(ctx).set.off_x = x;
    widgets_of(ctx).set.off_y = y;
}

void swgtit(Context& ctx, const char* text) {
    WidgetState& w = widgets_of(ctx);
    w.set.title = text;
    if (!w.table.empty() && w.open) w.table[0].text = text;
}

void swghlp(Context& ctx, const char* text) {
    widgets_of(ctx).set.help = text;
    widgets_of(ctx).set.help_set = true;
}

void swgfnt(Context& ctx, const char* font, int size) {
    WidgetSettings& s = widgets_of(ctx).set;
    if (size < 0) return widget_error(ctx, "Bad value");
    WidgetFont f;
    std::string name = font;
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (name.rfind("STANDARD", 0) != 0) {
        std::string family = font;
        auto strip = [&](const char* word, int& flag) {
            if (const size_t at = family.find(word); at != std::string::npos) {
                family.erase(at, std::strlen(word));
                flag = 1;
            }
        };
        strip("Bold", f.bold);
        strip("Italic", f.italic);
        while (!family.empty() && (family.back() == ' ' || family.back() == '-')) family.pop_back();
        while (!family.empty() && family.front() == ' ') family.erase(0, 1);
        if (family.empty() || !font_family_known(family)) return widget_error(ctx, "Font cannot be loaded");
        f.family = family;
    }
    f.size = size;
    for (size_t i = 0; i < s.fonts.size(); ++i)
        if (s.fonts[i].family == f.family && s.fonts[i].size == f.size && s.fonts[i].bold == f.bold &&
            s.fonts[i].italic == f.italic) {
            s.font = int(i);
            return;
        }
    if (s.fonts.size() >= MAX_FONTS) return widget_error(ctx, "Too many fonts");
    s.fonts.push_back(f);
    s.font = int(s.fonts.size() - 1);
}

void swgclr(Context& ctx, float r, float g, float b, const char* opt) {
    const int i = keyword_index("BACK+FORE", opt);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    if (!(r >= 0 && r <= 1 && g >= 0 && g <= 1 && b >= 0 && b <= 1)) return widget_error(ctx, "Bad value");
    const int rgb = int(std::lround(r * 255)) << 16 | int(std::lround(g * 255)) << 8 | int(std::lround(b * 255));
    (i == 1 ? widgets_of(ctx).set.back : widgets_of(ctx).set.fore) = rgb;
}

void swgjus(Context& ctx, const char* jus, const char* opt) {
    if (!keyword_index("LABE", opt)) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    const int i = keyword_index("LEFT+CENT+RIGH", jus);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + jus);
    widgets_of(ctx).set.justify = i - 1;
}

void swgtyp(Context& ctx, const char* type, const char* opt) {
    const int o = keyword_index("LIST+SCAL", opt);
    if (!o) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    const int i = keyword_index(o == 1 ? "AUTO+SCRO+NOSC+VSCR" : "HORI+VERT", type);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + type);
    (o == 1 ? widgets_of(ctx).set.scroll : widgets_of(ctx).set.vertical) = i - 1;
}

void swgmod(Context& ctx, const char* mode) {
    const int i = keyword_index("AUTO+XWIN+ASCI", mode);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + mode);
    widgets_of(ctx).set.mode = i - 1;
}

void swgpop(Context& ctx, const char* opt) {
    const int i = keyword_index("NOOK+NOQU+NOHE+OK  +QUIT+HELP", opt);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    WidgetSettings& s = widgets_of(ctx).set;
    int* flag[] = {&s.ok_entry, &s.quit_entry, &s.help_entry};
    *flag[(i - 1) % 3] = i > 3;
}

void swgopt(Context& ctx, const char* value, const char* opt) {
    static const char* const values[] = {"STAN+CENT", "STAN+USER", "STAN+TOP ", "RETU+CHAN+BOTH", "QUIT+OK  "};
    const int o = keyword_index("POSI+MASK+DWGF+CALL+CLOS", opt);
    if (!o) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    const int i = keyword_index(values[o - 1], value);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + value);
    WidgetSettings& s = widgets_of(ctx).set;
    int* field[] = {&s.centre, &s.mask_user, &s.dwgf_top, &s.call_mode, &s.close_ok};
    *field[o - 1] = i - 1;
}

void swgmrg(Context& ctx, int value, const char* opt) {
    const int i = keyword_index("LEFT+TOP +RIGH+BOTT", opt);
    if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    if (value < 0) return widget_error(ctx, "Bad value");
    widgets_of(ctx).set.margin[i - 1] = value;
}

void swgmix(Context& ctx, const char* c, const char* opt) {
    if (!keyword_index("SEP ", opt)) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    if (!c[0]) return widget_error(ctx, "Bad value");
    widgets_of(ctx).set.sep = c[0];
}

void swgatt(Context& ctx, int id, const char* value, const char* opt) {
    const int o = keyword_index("STAT+LIST", opt);
    if (!o) return widget_error(ctx, std::string("Not allowed parameter ") + opt);
    Widget* w = o == 1 ? widget(ctx, id) : widget(ctx, id, {KAL_WG_BOX, KAL_WG_LIST, KAL_WG_DLIST});
    if (!w) return;
    if (o == 1) {
        const int i = keyword_index("ACTI+INAC+INVI", value);
        if (!i) return widget_error(ctx, std::string("Not allowed parameter ") + value);
        w->state = i - 1;
    } else {
        w->items = value;
        const int n = int(split_items(w->items, w->sep).size());
        if (w->value < (w->kind == KAL_WG_LIST ? 0 : 1) || w->value > n) w->value = 1;
    }
    show_widget(widgets_of(ctx), id);
}

void swgbut(Context& ctx, int id, int ival) {
    if (Widget* w = widget(ctx, id, {KAL_WG_BUTTON})) {
        w->value = ival != 0;
        show_widget(widgets_of(ctx), id);
    }
}

static void set_selection(Context& ctx, int id, int sel, std::initializer_list<int> kinds) {
    Widget* w = widget(ctx, id, kinds);
    if (!w || !selection_ok(ctx, w->items, w->sep, sel, w->kind == KAL_WG_LIST)) return;
    w->value = sel;
    show_widget(widgets_of(ctx), id);
}

void swgbox(Context& ctx, int id, int ival) { set_selection(ctx, id, ival, {KAL_WG_BOX}); }
void swglis(Context& ctx, int id, int ival) { set_selection(ctx, id, ival, {KAL_WG_LIST, KAL_WG_DLIST}); }

void swgscl(Context& ctx, int id, float xval) {
    Widget* w = widget(ctx, id, {KAL_WG_SCALE});
    if (!w) return;
    if (!(xval >= w->fmin && xval <= w->fmax)) return widget_error(ctx, "Value is out of range");
    w->fvalue = xval;
    show_widget(widgets_of(ctx), id);
}

void swgtxt(Context& ctx, int id, const char* text) {
    Widget* w = widget(ctx, id, {KAL_WG_TEXT, KAL_WG_LTEXT, KAL_WG_STEXT});
    if (!w) return;
    if (w->kind == KAL_WG_STEXT)
        add_log_line(*w, text);
    else
        w->text2 = text;
    show_widget(widgets_of(ctx), id);
}

void swgfil(Context& ctx, int id, const char* file) {
    if (Widget* w = widget(ctx, id, {KAL_WG_FILE})) {
        w->text2 = file;
        show_widget(widgets_of(ctx), id);
    }
}

void swgfoc(Context& ctx, int id) {
    WidgetState& ws = widgets_of(ctx);
    if (!widget(ctx, id)) return;
    ws.focus = id;
    if (ws.dialog && ws.toolkit) ws.toolkit->focus(ws.dialog, id);
}

static Widget* callback_widget(Context& ctx, int id) {
    Widget* w = widget(ctx, id);
    if (!w) return nullptr;
    if (w->kind == KAL_WG_LABEL) {
        widget_error(ctx, "Callbacks cannot be defined for label widgets");
        return nullptr;
    }
    if (is_parent(w->kind)) {
        widget_error(ctx, "Callbacks cannot be defined for parent widgets");
        return nullptr;
    }
    return w;
}

void swgcbk(Context& ctx, int id, kalvor_widget_callback f) {
    if (Widget* w = callback_widget(ctx, id)) {
        w->callback = f;
        w->callback_data = nullptr;
        w->data = nullptr;
    }
}

void swgcb(Context& ctx, int id, kalvor_widget_callback_data f, void* data) {
    if (Widget* w = callback_widget(ctx, id)) {
        w->callback = nullptr;
        w->callback_data = f;
        w->data = data;
    }
}

// ---- values -----------------------------------------------------------------------

int gwgbut(Context& ctx, int id) {
    const Widget* w = widget(ctx, id, {KAL_WG_BUTTON});
    return w ? w->value : -1;
}

int gwgbox(Context& ctx, int id) {
    const Widget* w = widget(ctx, id, {KAL_WG_BOX});
    return w ? w->value : -1;
}

int gwglis(Context& ctx, int id) {
    const Widget* w = widget(ctx, id, {KAL_WG_LIST, KAL_WG_DLIST});
    return w ? w->value : -1;
}

float gwgscl(Context& ctx, int id) {
    const Widget* w = widget(ctx, id, {KAL_WG_SCALE});
    return w ? float(w->fvalue) : 0.0f;
}

const char* gwgtxt(Context& ctx, int id) {
    static thread_local std::string result;  // until the next call in this thread
    const Widget* w = widget(ctx, id, {KAL_WG_TEXT, KAL_WG_LTEXT, KAL_WG_STEXT});
    result.clear();
    if (w && w->kind == KAL_WG_STEXT) {
        for (size_t i = 0; i < w->log.size(); ++i) result += (i ? "\n" : "") + w->log[i];
    } else if (w) {
        result = w->text2;
    }
    return result.c_str();
}

const char* gwgfil(Context& ctx, int id) {
    static thread_local std::string result;  // until the next call in this thread
    const Widget* w = widget(ctx, id, {KAL_WG_FILE});
    result = w ? w->text2 : std::string();
    return result.c_str();
}

int gwgatt(Context& ctx, int id, const char* opt) {
    if (!keyword_index("STAT", opt)) {
        widget_error(ctx, std::string("Not allowed parameter ") + opt);
        return -1;
    }
    const Widget* w = widget(ctx, id);
    return w ? w->state : -1;
}

}  // namespace kal
