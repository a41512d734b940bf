#include "widgets/widget_common.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/context.h"
#include "core/frame.h"
#include "core/threads.h"
#include "output/screen/presenter.h"

namespace kal {
namespace {

CallbacksEnded callbacks_ended = nullptr;

std::mutex toolkit_lock;
bool toolkit_tried = false;
const kal_widget_toolkit* toolkit = nullptr;

// The plug-in beside the library holding this code; the screen presenter
// loads the same file, so both share its GUI thread.
const kal_widget_toolkit* load_toolkit() {
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if ((!x || !*x) && (!wl || !*wl)) return nullptr;
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&load_toolkit), &info) || !info.dli_fname) return nullptr;
    std::string dir = info.dli_fname;
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    void* lib = dlopen((dir + "/kalvor_gtk.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    auto entry = reinterpret_cast<kal_toolkit_entry>(dlsym(lib, "kalvor_gtk_widgets"));
    const kal_widget_toolkit* t = entry ? entry(KAL_TOOLKIT_VERSION) : nullptr;
    return t && t->version == KAL_TOOLKIT_VERSION ? t : nullptr;
}

// fontconfig, loaded at run time (the library does not link it).
struct Fontconfig {
    void* (*parse)(const unsigned char*) = nullptr;
    int (*substitute)(void*, void*, int) = nullptr;
    void (*defaults)(void*) = nullptr;
    void* (*match)(void*, void*, int*) = nullptr;
    int (*get_string)(void*, const char*, int, unsigned char**) = nullptr;
    void (*destroy)(void*) = nullptr;
    bool ok = false;
};

const Fontconfig& fontconfig() {
    static const Fontconfig fc = [] {
        Fontconfig f;
        void* lib = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return f;
        f.parse = reinterpret_cast<decltype(f.parse)>(dlsym(lib, "FcNameParse"));
        f.substitute = reinterpret_cast<decltype(f.substitute)>(dlsym(lib, "FcConfigSubstitute"));
        f.defaults = reinterpret_cast<decltype(f.defaults)>(dlsym(lib, "FcDefaultSubstitute"));
        f.match = reinterpret_cast<decltype(f.match)>(dlsym(lib, "FcFontMatch"));
        f.get_string = reinterpret_cast<decltype(f.get_string)>(dlsym(lib, "FcPatternGetString"));
        f.destroy = reinterpret_cast<decltype(f.destroy)>(dlsym(lib, "FcPatternDestroy"));
        f.ok = f.parse && f.substitute && f.defaults && f.match && f.get_string && f.destroy;
        return f;
    }();
    return fc;
}

bool same_name(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}


// The family of the font fontconfig matches for `family`, "" when none.
std::string matched_family(const Fontconfig& fc, const std::string& family) {
    void* pattern = fc.parse(reinterpret_cast<const unsigned char*>(family.c_str()));
    if (!pattern) return "";
    fc.substitute(nullptr, pattern, 0 /* FcMatchPattern */);
    fc.defaults(pattern);
    int result = 0;
    void* font = fc.match(nullptr, pattern, &result);
    unsigned char* got = nullptr;
    std::string name;
    if (font && fc.get_string(font, "family", 0, &got) == 0) name = reinterpret_cast<const char*>(got);
    if (font) fc.destroy(font);
    fc.destroy(pattern);
    return name;
}

}  // namespace

// Known: fontconfig has the family, or puts another in its place (a metric
// alias such as Liberation Sans for Arial) rather than its default font.
bool font_family_known(const std::string& family) {
    const Fontconfig& fc = fontconfig();
    if (!fc.ok) return true;  // nothing to ask: the toolkit falls back itself
    if (family.find_first_of(":,\\") != std::string::npos) return false;
    const std::string got = matched_family(fc, family);
    if (got.empty()) return false;
    if (same_name(got, family.c_str())) return true;
    static const std::string fallback = matched_family(fc, "kalvor-no-such-family");
    return got != fallback;
}

void set_callbacks_ended(CallbacksEnded hook) { callbacks_ended = hook; }

void WidgetState::clear() {
    if (dialog && toolkit) {
        toolkit->close(dialog);  // the window
        toolkit->close(dialog);  // what it left
    }
    dialog = 0;
    const bool had = !table.empty();
    table.clear();
    open = false;
    ok_sent = false;
    quit_sent = false;
    if (had && callbacks_ended && owner) callbacks_ended(owner);
}

WidgetState::~WidgetState() { clear(); }

WidgetState& widgets_of(Context& ctx) {
    ctx.widgets.owner = &ctx;
    return ctx.widgets;
}

void widget_error(Context& ctx, const std::string& message) {
    const std::string text = ">>>> " + message + "!";
    message_line(ctx, text + "   (" + ctx.frame.routine + ")\n");
    if (!ctx.frame.warnings_on || ctx.widgets.set.mode == 2) return;
    if (const kal_widget_toolkit* t = loaded_toolkit())
        t->notice(ctx.frame.routine, latin1_to_utf8(text).c_str());
}

std::vector<std::string> split_items(const std::string& list, char sep) {
    std::vector<std::string> items(1);
    for (char c : list) {
        if (c == sep)
            items.emplace_back();
        else
            items.back() += c;
    }
    return items;
}

std::string latin1_to_utf8(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8_to_latin1(const char* s) {
    std::string out;
    if (!s) return out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p;) {
        const unsigned c = *p;
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        unsigned code = len == 1 ? c : c & (0x3F >> (len - 1));
        int i = 1;
        for (; i < len && (p[i] & 0xC0) == 0x80; ++i) code = code << 6 | (p[i] & 0x3F);
        if (i < len) len = i;  // a cut sequence
        out += code < 0x100 ? char(code) : '?';
        p += len;
    }
    return out;
}

const kal_widget_toolkit* widget_toolkit(Context& ctx) {
    return ctx.widgets.set.mode == 2 ? nullptr : display_toolkit();
}

const kal_widget_toolkit* display_toolkit() {
    std::lock_guard<std::mutex> hold(toolkit_lock);
    if (!toolkit_tried) {
        toolkit_tried = true;
        toolkit = load_toolkit();
    }
    return toolkit;
}

const kal_widget_toolkit* loaded_toolkit() {
    std::lock_guard<std::mutex> hold(toolkit_lock);
    return toolkit;
}

kal_widget describe_widget(const WidgetState& ws, int id, std::deque<std::string>& keep) {
    const Widget& w = ws.table[size_t(id)];
    kal_widget d{};
    auto text = [&](const std::string& s) {
        keep.push_back(latin1_to_utf8(s));
        return keep.back().c_str();
    };
    d.kind = w.kind;
    d.parent = w.parent;
    d.layout = w.layout;
    d.x = w.x;
    d.y = w.y;
    d.w = w.w;
    d.h = w.h;
    d.text = text(w.text);
    d.text2 = text(w.kind == KAL_WG_STEXT ? "" : w.text2);
    if (w.kind == KAL_WG_STEXT) {
        std::string all;
        for (size_t i = 0; i < w.log.size(); ++i) all += (i ? "\n" : "") + w.log[i];
        d.text2 = text(all);
    }
    d.items = text(w.kind == KAL_WG_FILE ? w.mask : w.items);
    d.sep = w.sep;
    d.value = w.value;
    d.fvalue = w.fvalue;
    d.fmin = w.fmin;
    d.fmax = w.fmax;
    d.step = w.step;
    d.digits = w.digits;
    d.state = w.state;
    d.lines = w.lines;
    d.percent = w.percent;
    d.justify = w.justify;
    d.vertical = w.vertical;
    d.scroll = w.scroll;
    d.height = w.height;
    d.back = w.back;
    d.fore = w.fore;
    d.call_mode = w.call_mode;
    d.font = nullptr;
    if (w.font >= 0 && size_t(w.font) < ws.set.fonts.size()) {
        const WidgetFont& f = ws.set.fonts[size_t(w.font)];
        d.font = f.family.empty() ? nullptr : text(f.family);
        d.font_size = f.size;
        d.bold = f.bold;
        d.italic = f.italic;
    }
    return d;
}

void show_widget(WidgetState& w, int id) {
    if (!w.dialog || !w.toolkit) return;
    std::deque<std::string> keep;
    const kal_widget d = describe_widget(w, id, keep);
    w.toolkit->set(w.dialog, id, &d);
}

bool widget_callback_set(int id) {
    Context* ctx = fetch_record();
    if (!ctx || id < 0 || size_t(id) >= ctx->widgets.table.size()) return false;
    const Widget& w = ctx->widgets.table[size_t(id)];
    return w.callback || w.callback_data;
}

void widget_dialog_quit() {
    if (Context* ctx = fetch_record())
        if (ctx->widgets.running) ctx->widgets.quit_sent = true;
}

}  // namespace kal
