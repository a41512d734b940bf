#include "output/screen/presenter.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/call_lock.h"
#include "core/context.h"
#include "core/message_out.h"
#include "core/files.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"

namespace kal {
namespace {

// A presenter behind a kal_presenter table (the plug-in, the binding's).
class TablePresenter : public Presenter {
public:
    explicit TablePresenter(const kal_presenter* t) : t_(t) {}
    // A presenter without a display ("NONE": a notebook cell) never waits.
    bool interactive() const override { return std::strcmp(display(), "NONE") != 0; }
    const char* display() const override { return t_->display ? t_->display(t_->data) : "XWIN"; }
    bool screen(int& w, int& h, int area[4]) const override {
        w = h = 0;
        area[0] = area[1] = area[2] = area[3] = 0;
        return t_->screen && t_->screen(t_->data, &w, &h, area) && area[2] > 0 && area[3] > 0;
    }
    int open(Context&, int number, int x, int y, int w, int h, const std::string& title) override {
        return t_->open ? t_->open(t_->data, number, x, y, w, h, title.c_str()) : 0;
    }
    void title(int handle, const std::string& title) override {
        if (t_->title) t_->title(t_->data, handle, title.c_str());
    }
    void show(Context&, int handle, int, const Raster& r, int flags) override {
        if (!t_->show) return;
        const int w = r.width(), h = r.height();
        std::vector<unsigned char>& rgb = buffer_;
        rgb.resize(size_t(w) * size_t(h) * 3);
        for (int y = 0; y < h; ++y) r.rgb_row(0, y, w, rgb.data() + size_t(y) * size_t(w) * 3);
        t_->show(t_->data, handle, rgb.data(), w, h, 0, 0, w, h, flags);
    }
    int wait(const int* handles, int n, int key, bool mouse, int ms, bool first) override {
        return t_->wait ? t_->wait(t_->data, handles, n, key, mouse ? 1 : 0, ms, first ? 1 : 0) : KAL_WAIT_CLOSED;
    }
    void close(int handle) override {
        if (t_->close) t_->close(t_->data, handle);
    }
    bool has_glyphs() const override { return t_->glyph != nullptr; }
    int glyph(const char* family, bool bold, bool italic, double size, double angle, const char* text,
              const unsigned char** mask, int* w, int* h, int* stride, double* ox, double* oy) override {
        return t_->glyph ? t_->glyph(t_->data, family, bold, italic, size, angle, text, mask, w, h, stride, ox, oy)
                         : 0;
    }
    int message(const std::string& title, const std::string& text) override {
        return t_->message ? t_->message(t_->data, title.c_str(), text.c_str()) : 0;
    }
    int pointer_event(int handle, int ms, bool first, int& kind, int& x, int& y, int& button) override {
        return t_->pointer_event ? t_->pointer_event(t_->data, handle, ms, first ? 1 : 0, &kind, &x, &y, &button) : -1;
    }
    bool pointer(int handle, bool move, int& x, int& y, int& buttons) override {
        return t_->pointer && t_->pointer(t_->data, handle, move ? 1 : 0, &x, &y, &buttons);
    }
    unsigned long xid(int handle) override { return t_->xid ? t_->xid(t_->data, handle) : 0; }
    void cursor(int handle, int shape) override {
        if (t_->cursor) t_->cursor(t_->data, handle, shape);
    }

private:
    const kal_presenter* t_;
    static thread_local std::vector<unsigned char> buffer_;
};
thread_local std::vector<unsigned char> TablePresenter::buffer_;

// No display: every finished page of every window becomes a PNG file, named
// as the output of a file device ("kalvor.png" or the setfil name); the
// files after the first of a plot take the next versions.
class FilePresenter : public Presenter {
public:
    bool interactive() const override { return false; }
    const char* display() const override { return "NONE"; }
    bool screen(int& w, int& h, int area[4]) const override {
        w = h = 0;
        area[0] = area[1] = area[2] = area[3] = 0;
        return false;
    }
    int open(Context&, int number, int, int, int, int, const std::string&) override { return number; }
    void title(int, const std::string&) override {}
    void show(Context& ctx, int, int, const Raster& r, int flags) override {
        if (!(flags & KAL_SHOW_PAGE_DONE)) return;
        PageState& p = ctx.page;
        const int mode = p.file_mode;
        if (p.headless_files > 0) p.file_mode = FILE_COUNT;
        std::string path;
        FILE* fp = nullptr;
        try {
            fp = create_file(ctx, p.headless_name.empty() ? "kalvor.png" : p.headless_name, "wb", path);
        } catch (...) {
            p.file_mode = mode;
            throw;
        }
        p.file_mode = mode;
        if (!fp) {
            custom_warning(ctx, 101, ("Open error, no display for " + path).c_str());
            return;
        }
        custom_warning(ctx, 101, ("No display, the page goes to " + path).c_str());
        OutputSink sink(fp);
        WriteOptions o = write_options(ctx);
        o.format = r.true_colour() ? IMAGE_RGB : IMAGE_IND;
        int result = write_image(sink, FileKind::Png, whole_raster(r), o);
        if (std::fclose(fp) != 0 && result == WRITE_OK) result = WRITE_IO;
        report_write(ctx, result);
        ++p.headless_files;
        p.file_name = path;
    }
    int wait(const int*, int, int, bool, int, bool) override { return KAL_WAIT_CLOSED; }
    void close(int) override {}
};

struct Presenters {
    std::mutex lock;
    // Every presenter the binding registered: a plot may still use one that
    // was replaced.
    std::vector<std::unique_ptr<TablePresenter>> registered;
    TablePresenter* current = nullptr;
    bool plugin_tried = false;
    std::unique_ptr<TablePresenter> display;
    FilePresenter files;
};

Presenters& presenters() {
    static Presenters* p = new Presenters;  // lives to the end of the process
    return *p;
}

// The plug-in beside the library that holds this code (libkalvor.so or the
// Python module), loaded at most once per process.
const kal_presenter* load_plugin() {
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if ((!x || !*x) && (!wl || !*wl)) return nullptr;
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&load_plugin), &info) || !info.dli_fname) return nullptr;
    std::string dir = info.dli_fname;
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    void* lib = dlopen((dir + "/kalvor_gtk.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    auto entry = reinterpret_cast<kal_gtk_entry>(dlsym(lib, "kalvor_gtk_presenter"));
    const kal_presenter* t = entry ? entry(KAL_PRESENTER_VERSION) : nullptr;
    if (!t || t->version != KAL_PRESENTER_VERSION) return nullptr;  // the library stays: its thread may run
    return t;
}

Presenter* display_presenter(Presenters& ps) {
    if (!ps.plugin_tried) {
        ps.plugin_tried = true;
        if (const kal_presenter* t = load_plugin()) ps.display = std::make_unique<TablePresenter>(t);
    }
    return ps.display.get();
}

thread_local WaitInterrupt interrupt_check = nullptr;
std::atomic<ContextPresenter> context_presenter{nullptr};

}  // namespace

Presenter& choose_presenter() {
    Presenters& ps = presenters();
    std::lock_guard<std::mutex> hold(ps.lock);
    if (ps.current) return *ps.current;
    Presenter* d = display_presenter(ps);
    if (d && d->interactive()) return *d;
    return ps.files;
}

void set_context_presenter(ContextPresenter hook) { context_presenter = hook; }

Presenter& presenter_for(Context& ctx) {
    if (ContextPresenter hook = context_presenter.load())
        if (Presenter* p = hook(ctx)) return *p;
    return choose_presenter();
}

Presenter& file_presenter() { return presenters().files; }

const char* display_kind() { return choose_presenter().display(); }

void screen_size(int& w, int& h) {
    int area[4];
    if (!choose_presenter().screen(w, h, area)) w = h = 0;
}

bool message_box(const std::string& title, const std::string& text) {
    Presenter& p = choose_presenter();
    if (!p.interactive()) return false;
    const int handle = p.message(title, text);
    if (!handle) return false;
    CallPause pause;  // other threads' calls go on meanwhile
    int r = KAL_WAIT_TIMEOUT;
    for (bool first = true; r == KAL_WAIT_TIMEOUT && !wait_interrupted(); first = false)
        r = p.wait(&handle, 1, KAL_KEY_NONE, false, 100, first);
    p.close(handle);
    return r != KAL_WAIT_LOST;  // a box on a lost display was never seen
}

// The windowed program's end protocol shows in a box whenever a display is
// there, whatever the device.
const bool message_box_installed = (set_message_box(&message_box), true);

void register_presenter(const kal_presenter* table) {
    Presenters& ps = presenters();
    std::lock_guard<std::mutex> hold(ps.lock);
    ps.current = nullptr;
    if (table) {
        ps.registered.push_back(std::make_unique<TablePresenter>(table));
        ps.current = ps.registered.back().get();
    }
}

void set_wait_interrupt(WaitInterrupt check) { interrupt_check = check; }

bool wait_interrupted() { return interrupt_check && interrupt_check(); }

}  // namespace kal
