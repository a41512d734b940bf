#include "output/drivers/screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/call_lock.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/font_metrics.h"
#include "output/primitives.h"
#include "output/raster/raster.h"
#include "output/raster/raster_output.h"
#include "output/screen/presenter.h"

namespace kal {
namespace {

constexpr int MAX_BITMAP_SIDE = 32767;
constexpr auto SHOW_EVERY = std::chrono::milliseconds(100);

std::string numbered(int n, const char* rest = "") {
    char text[96];
    std::snprintf(text, sizeof text, "KALVOR %d%s", n, rest);
    return text;
}

// The window's title while the plot waits at its end.
std::string end_title(const Context& ctx, int n) {
    const PageState& p = ctx.page;
    if (p.window_mode == WINMODE_DELAY) {
        char rest[64];
        std::snprintf(rest, sizeof rest, " / Delay time %d seconds", p.close_delay);
        return numbered(n, rest);
    }
    const bool nomb = p.window_mode == WINMODE_NOMSGBOX;
    switch (p.close_key) {
        case CLOSE_RETURN:
            return numbered(n, nomb ? " / Press RETURN to continue ..." : " / Click MB2 or RETURN to continue ...");
        case CLOSE_ESCAPE:
            return numbered(n, nomb ? " / Press ESC to continue ..." : " / Click MB2 or ESC to continue ...");
        default:
            return numbered(n, nomb ? "" : " / Click MB2 to continue ...");
    }
}

}  // namespace

ScreenDriver::ScreenDriver(int device) : ImageDriver(device) {}

// Size and place of the main window: the request of window or winsiz, else
// two thirds of the work area's width (a landscape page) or height
// (portrait) with the page's aspect, the whole width less the frame for
// XWND; window n is moved by 40 pixels each way per number.
void ScreenDriver::place(Context& ctx) {
    PageState& p = ctx.page;
    int mw = 0, mh = 0, area[4] = {0, 0, 0, 0};
    const bool known = presenter_->screen(mw, mh, area);
    const int offset = 40 * (main_ - 1);
    if (p.win_request != WINDOW_PLACED) {
        p.win_x = (known ? area[0] : 0) + offset;
        p.win_y = (known ? area[1] : 0) + offset;
    }
    if (p.win_request != WINDOW_DEFAULT || !known) return;
    const double aspect = (p.height + 1.0) / (p.width + 1.0);
    constexpr int FRAME = 8;
    if (p.width >= p.height) {
        p.win_w = ctx.page.device == DEV_XWND ? area[2] - FRAME : int(std::lround(area[2] * 2.0 / 3.0));
        p.win_h = int(std::lround(p.win_w * aspect));
    } else {
        p.win_h = ctx.page.device == DEV_XWND ? area[3] - FRAME : int(std::lround(area[3] * 2.0 / 3.0));
        p.win_w = int(std::lround(p.win_h / aspect));
    }
    p.win_w = std::max(p.win_w, 1);
    p.win_h = std::max(p.win_h, 1);
}

void ScreenDriver::open(Context& ctx) {
    const int device = ctx.page.device;
    main_ = current_ = device >= 72 && device <= 79 ? device - 71 : 1;
    presenter_ = &presenter_for(ctx);
    display_ = presenter_->interactive();
    fonts_ = display_ && presenter_->has_glyphs() ? presenter_ : nullptr;
    place(ctx);
    ctx.out.factor = device_factor(ctx.page, device);
    ctx.out.colour_depth = ctx.colour.screen_mode == 1 ? 24 : 8;  // clrmod FULL
    ctx.screen_report_mode = ctx.page.background == 2 ? 1 : 0;
    if (ctx.page.win_w > MAX_BITMAP_SIDE || ctx.page.win_h > MAX_BITMAP_SIDE) {
        custom_warning(ctx, 101, "Cannot create Bitmap");
        return;  // no raster: nothing is drawn
    }
    ImageDriver::open(ctx);
    Window& w = windows_[main_];
    w.open = true;
    if (ctx.screen.next_title_set) {
        w.fixed = true;
        w.title = ctx.screen.next_title;
        ctx.screen.next_title_set = false;
    } else {
        w.title = numbered(main_);
    }
    const PageState& p = ctx.page;
    w.handle = presenter_->open(ctx, main_, p.win_x, p.win_y, p.win_w, p.win_h, w.title);
    if (!w.handle && !display_lost(ctx)) {
        custom_warning(ctx, 101, "Not enough memory for windows output");
        presenter_ = &file_presenter();
        display_ = false;
        w.handle = presenter_->open(ctx, main_, p.win_x, p.win_y, p.win_w, p.win_h, w.title);
    }
    show(ctx, main_, false, true);
}

void ScreenDriver::title(int n, const std::string& text) {
    Window& w = windows_[n];
    if (!w.open || w.fixed || w.title == text) return;
    w.title = text;
    presenter_->title(w.handle, text);
}

void ScreenDriver::fixed_title(int n, const std::string& text) {
    Window& w = windows_[n];
    if (!w.open) return;
    w.fixed = true;
    w.title = text;
    presenter_->title(w.handle, text);
}

bool ScreenDriver::display_lost(Context& ctx) {
    if (!display_ || presenter_->interactive()) return false;
    custom_warning(ctx, 101, "The display was lost, the windows go to PNG files");
    presenter_ = &file_presenter();
    display_ = false;
    const PageState& p = ctx.page;
    for (int n = 1; n <= 8; ++n) {
        Window& w = windows_[n];
        if (w.open || n == main_) w.handle = presenter_->open(ctx, n, p.win_x, p.win_y, p.win_w, p.win_h, w.title);
    }
    return true;
}

Raster* ScreenDriver::raster_of(Context& ctx, int n) {
    return n == current_ ? picture(ctx, true) : windows_[n].raster.get();
}

void ScreenDriver::show(Context& ctx, int n, bool page_done, bool complete) {
    Window& w = windows_[n];
    Raster* r = n == current_ ? picture(ctx, complete) : w.raster.get();
    if (!w.open || !r || !presenter_) return;
    display_lost(ctx);
    // Shows while drawing go on without waiting for the display.
    presenter_->show(ctx, w.handle, n, *r, (page_done ? KAL_SHOW_PAGE_DONE : 0) | (complete ? KAL_SHOW_SYNC : 0));
    if (n == current_) {
        drawn_ = false;
        last_show_ = std::chrono::steady_clock::now();
    }
}

void ScreenDriver::show_all(Context& ctx, bool page_done) {
    for (int n = 1; n <= 8; ++n)
        if (windows_[n].open) show(ctx, n, page_done, true);
}

void ScreenDriver::tick(Context& ctx) {
    drawn_ = true;
    if (!working_) {
        working_ = true;
        title(current_, numbered(current_, " / Working"));
    }
    if ((++ticks_ & 15) != 0 || !presenter_->interactive()) return;
    if (std::chrono::steady_clock::now() - last_show_ >= SHOW_EVERY) show(ctx, current_, false, false);
}

int ScreenDriver::wait_user(Context& ctx, bool mouse, int key, int seconds) {
    if (!presenter_ || !presenter_->interactive()) return KAL_WAIT_TIMEOUT;
    if (ctx.screen.mouse_sent.exchange(false)) return KAL_WAIT_BUTTON;
    int handles[8], n = 0;
    for (int i = 1; i <= 8; ++i)
        if (windows_[i].open) handles[n++] = windows_[i].handle;
    if (n == 0) return KAL_WAIT_CLOSED;
    // Other threads may call in meanwhile (sendmb ends the wait).
    CallPause pause;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(seconds, 0));
    for (bool first = true;; first = false) {
        int ms = 100;
        if (seconds >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now()).count();
            if (left <= 0) return KAL_WAIT_TIMEOUT;
            ms = int(std::min<long long>(ms, left));
        }
        const int r = presenter_->wait(handles, n, key, mouse, ms, first);
        if (r == KAL_WAIT_LOST) display_lost(ctx);
        if (r != KAL_WAIT_TIMEOUT) return r;
        if (ctx.screen.mouse_sent.exchange(false)) return KAL_WAIT_BUTTON;
        if (wait_interrupted()) return KAL_WAIT_CLOSED;
    }
}

void ScreenDriver::hold(Context& ctx) {
    // The pictures first, then the titles that ask for the user.
    final_shown_ = true;
    show_all(ctx, true);
    PageState& p = ctx.page;
    if (p.window_mode == WINMODE_NONE) {
        for (int n = 1; n <= 8; ++n) title(n, numbered(n));
        linger_ = presenter_ && presenter_->interactive();
        return;
    }
    for (int n = 1; n <= 8; ++n) title(n, end_title(ctx, n));
    int r;
    if (p.window_mode == WINMODE_DELAY)
        r = wait_user(ctx, false, KAL_KEY_NONE, p.close_delay);
    else
        r = wait_user(ctx, p.window_mode != WINMODE_NOMSGBOX, p.close_key, -1);
    if (r == KAL_WAIT_LOST) show_all(ctx, true);  // the pages as files now
}

int ScreenDriver::close(Context& ctx) {
    if (!final_shown_) show_all(ctx, true);
    const bool files = presenter_ && !presenter_->interactive() && ctx.page.headless_files > 0;
    // The current window first: the lingering one getxid names.
    for (int i = 0; i <= 8; ++i) {
        const int n = i == 0 ? current_ : i;
        Window& w = windows_[n];
        if (!w.open || !presenter_) continue;
        if (linger_) {
            ctx.screen.lingering.push_back(w.handle);
            ctx.screen.lingering_presenter = presenter_;
        } else {
            presenter_->close(w.handle);
        }
        w = Window{};
    }
    ImageDriver::close(ctx);
    return files ? 1 : 0;
}

void ScreenDriver::update(Context& ctx) { show(ctx, current_, false, true); }

unsigned long screen_window_xid(Context& ctx) {
    if (auto* d = dynamic_cast<ScreenDriver*>(ctx.out.driver.get()))
        return d->presenter() && d->handle(d->current()) ? d->presenter()->xid(d->handle(d->current())) : 0;
    const ScreenState& s = ctx.screen;
    return s.lingering_presenter && !s.lingering.empty() ? s.lingering_presenter->xid(s.lingering.front()) : 0;
}

// newpag: the page is shown complete (the headless presenter writes it),
// then the window waits (not with NONE and NOHO; DELA pauses) and is erased
// (not with NOER).
void ScreenDriver::new_page(Context& ctx) {
    const PageState& p = ctx.page;
    const WindowMode mode = p.window_mode;
    if (mode != WINMODE_NONE && mode != WINMODE_NOHOLD) {
        show(ctx, current_, true, true);
        if (mode == WINMODE_DELAY) {
            char rest[64];
            std::snprintf(rest, sizeof rest, " / Delay time %d seconds", p.close_delay);
            title(current_, numbered(current_, rest));
        } else {
            title(current_, numbered(current_, " / Click MB2 for next page ..."));
        }
        int r;
        if (mode == WINMODE_DELAY)
            r = wait_user(ctx, false, KAL_KEY_NONE, p.close_delay);
        else
            r = wait_user(ctx, true, p.close_key, -1);
        if (r == KAL_WAIT_LOST) show(ctx, current_, true, true);  // the page as a file now
        title(current_, numbered(current_, " / Working"));
    } else {
        show(ctx, current_, true, true);
    }
    if (mode != WINMODE_NOERASE) erase(ctx);
}

void ScreenDriver::erase(Context& ctx) {
    ImageDriver::erase(ctx);
    show(ctx, current_, false, true);
}

void ScreenDriver::push_palette(Context& ctx) {
    ImageDriver::push_palette(ctx);
    for (int n = 1; n <= 8; ++n) {
        Window& w = windows_[n];
        if (w.open && w.raster) {
            load_table_palette(ctx, *w.raster);
            w.raster->set_colour(ctx.out.current_colour);
        }
    }
    // Shown at once unless a show came just before: a program that sets
    // the table entry by entry waits for no window each time.
    if (ctx.out.raster && presenter_ && presenter_->interactive() &&
        std::chrono::steady_clock::now() - last_show_ >= SHOW_EVERY)
        show_all(ctx, false);
}

void ScreenDriver::raster_written(Context& ctx) {
    ImageDriver::raster_written(ctx);
    show(ctx, current_, false, true);
}

namespace {

// The Symbol font's Latin keys of the Greek letters and their code points.
constexpr char SYMBOL_LETTERS[] = "abgdezhqiklmnxprstufcywGDQLXPSUFYW";
constexpr unsigned GREEK[] = {0x3B1, 0x3B2, 0x3B3, 0x3B4, 0x3B5, 0x3B6, 0x3B7, 0x3B8, 0x3B9, 0x3BA, 0x3BB, 0x3BC,
                              0x3BD, 0x3BE, 0x3C0, 0x3C1, 0x3C3, 0x3C4, 0x3C5, 0x3C6, 0x3C7, 0x3C8, 0x3C9, 0x393,
                              0x394, 0x398, 0x39B, 0x39E, 0x3A0, 0x3A3, 0x3D2, 0x3A6, 0x3A8, 0x3A9};

std::string utf8(unsigned u) {
    std::string s;
    if (u < 0x80) {
        s += char(u);
    } else if (u < 0x800) {
        s += char(0xC0 | (u >> 6));
        s += char(0x80 | (u & 0x3F));
    } else {
        s += char(0xE0 | (u >> 12));
        s += char(0x80 | ((u >> 6) & 0x3F));
        s += char(0x80 | (u & 0x3F));
    }
    return s;
}

}  // namespace

// A character of a standard font, drawn by the window's fonts: the
// metric-compatible Liberation faces (Helvetica's widths are Arial's, hence
// Liberation Sans'; Times' Liberation Serif; Courier's Liberation Mono),
// in the current colour, at the height of the character's capitals.
void ScreenDriver::character(Context& ctx, int code, double x, double y, double angle, int font, double height) {
    if (!has_fonts() || !ctx.out.raster) return;
    if (font < 0 || font >= STANDARD_FONT_COUNT) font = 0;
    const StandardFont& f = standard_font(font);
    const std::string name = f.name;
    unsigned u = unsigned(code);
    if (name == "Symbol") {
        const char* k = code > 32 && code < 127 ? std::strchr(SYMBOL_LETTERS, code) : nullptr;
        u = k ? GREEK[k - SYMBOL_LETTERS] : unsigned(code);
    } else if (code >= FIRST_NATIONAL && code <= LAST_NATIONAL) {
        u = unsigned(national_latin1(code));
    } else if (code < 32 || code > 255) {
        return;
    }
    const char* family = "Liberation Sans";
    for (const char* serif : {"Times", "NewCentury", "Bookman", "Palatino"})
        if (name.rfind(serif, 0) == 0) family = "Liberation Serif";
    if (name.rfind("Courier", 0) == 0) family = "Liberation Mono";
    const bool bold = name.find("Bold") != std::string::npos || name.find("Demi") != std::string::npos;
    const bool italic = name.find("Italic") != std::string::npos || name.find("Oblique") != std::string::npos;
    const double em = height * 1000.0 / (f.cap_height > 0 ? f.cap_height : 718) * ctx.out.factor;
    const unsigned char* mask = nullptr;
    int w = 0, h = 0, stride = 0;
    double ox = 0, oy = 0;
    if (!fonts_->glyph(family, bold, italic, em, angle, utf8(u).c_str(), &mask, &w, &h, &stride, &ox, &oy))
        return;
    const DevicePoint d = device_point(ctx, x, y);
    Raster* r = canvas(ctx);
    if (!r) return;
    const int left = int(std::lround(d.x - ox)), top = int(std::lround(d.y - oy));
    const Raster::Colour ink = r->colour_rgb();
    const int index = r->colour_index();
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int a = mask[size_t(j) * size_t(stride) + size_t(i)];
            const int px = left + i, py = top + j;
            if (a == 0 || !r->inside(px, py)) continue;
            if (!r->true_colour()) {
                if (a >= 128) r->put_index(px, py, index);
                continue;
            }
            const Raster::Colour b = r->pixel_rgb(px, py);
            auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            r->put_rgb(px, py, mix(ink.r, b.r), mix(ink.g, b.g), mix(ink.b, b.b));
        }
    tick(ctx);
}

void ScreenDriver::open_window(Context& ctx, int n) {
    if (!ctx.out.raster) return;
    Window& w = windows_[n];
    if (!w.open) {
        const PageState& p = ctx.page;
        w.raster = new_raster(ctx, p.win_w, p.win_h, ctx.out.colour_depth > 8);
        if (!w.raster) {
            custom_warning(ctx, 101, "Not enough memory for windows output");
            return;
        }
        w.open = true;
        w.fixed = false;
        w.title = numbered(n);
        const int shift = 40 * (n - main_);
        w.handle = presenter_->open(ctx, n, p.win_x + shift, p.win_y + shift, p.win_w, p.win_h, w.title);
        show(ctx, n, false, true);
    }
    select_window(ctx, n);
}

void ScreenDriver::select_window(Context& ctx, int n) {
    if (n == current_ || !windows_[n].open) return;
    sync_raster(ctx);
    show(ctx, current_, false, true);
    title(current_, numbered(current_));
    windows_[current_].raster = std::move(ctx.out.raster);
    ctx.out.raster = std::move(windows_[n].raster);
    current_ = n;
    ctx.out.raster->set_colour(ctx.out.current_colour);
    ImageDriver::raster_written(ctx);  // the aamode canvas takes the window's picture
    working_ = true;
    title(n, numbered(n, " / Working"));
}

void ScreenDriver::close_window(Context& ctx, int n) {
    if (n == current_) select_window(ctx, main_);
    Window& w = windows_[n];
    show(ctx, n, true, true);
    presenter_->close(w.handle);
    w = Window{};
}

void ScreenDriver::move_draw(Context& ctx, double x, double y, int pen) {
    ImageDriver::move_draw(ctx, x, y, pen);
    tick(ctx);
}

void ScreenDriver::polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    ImageDriver::polyline(ctx, n, x, y, first_pen);
    tick(ctx);
}

void ScreenDriver::window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                              const DeviceMap& map) {
    ImageDriver::window_run(ctx, n, x, y, first_pen, map);
    tick(ctx);
}

bool ScreenDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const bool done = ImageDriver::fill_rect(ctx, x1, y1, x2, y2, value);
    tick(ctx);
    return done;
}

bool ScreenDriver::fill_triangle(Context& ctx, const double* x, const double* y, int value) {
    const bool done = ImageDriver::fill_triangle(ctx, x, y, value);
    tick(ctx);
    return done;
}

bool ScreenDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    const bool done = ImageDriver::fill_polygon(ctx, n, x, y);
    tick(ctx);
    return done;
}

}  // namespace kal
