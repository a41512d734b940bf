// The screen window routines: additional windows, titles, the display's
// properties and sendmb.
#include <string>

#include "api/routines_screen_windows.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/drivers/screen.h"
#include "output/line_layer.h"
#include "output/screen/presenter.h"

namespace kal {
namespace {

bool on_screen_device(const Context& ctx) { return family(ctx.page.device) == Family::Screen; }

// The open screen driver, or nullptr after warning 56 (another device).
ScreenDriver* screen(Context& ctx) {
    auto* d = dynamic_cast<ScreenDriver*>(ctx.out.driver.get());
    if (!d) warn(ctx, 56);
    return d;
}

// The screen driver and a valid window number, else nullptr after a warning.
ScreenDriver* window_call(Context& ctx, int id) {
    ScreenDriver* d = screen(ctx);
    if (!d) return nullptr;
    if (id < 1 || id > 8) {
        warn_int(ctx, 2, id);
        return nullptr;
    }
    line_flush(ctx);
    return d;
}

void not_open(Context& ctx, int id) {
    custom_warning(ctx, 103, ("Window " + std::to_string(id) + " is not open").c_str());
}

}  // namespace

ScreenState::~ScreenState() { close_lingering(); }

void ScreenState::close_lingering() {
    if (lingering_presenter)
        for (int handle : lingering) lingering_presenter->close(handle);
    lingering.clear();
    lingering_presenter = nullptr;
}

void ScreenState::reset(Context& ctx) { ctx.screen.close_lingering(); }

const ResetKeys ScreenState::reset_keys = {};

void opnwin(Context& ctx, int id) {
    if (ScreenDriver* d = window_call(ctx, id)) d->open_window(ctx, id);
}

void clswin(Context& ctx, int id) {
    ScreenDriver* d = window_call(ctx, id);
    if (!d) return;
    if (id == d->main_window()) {
        custom_warning(ctx, 102, ("The Main Window " + std::to_string(id) + " cannot be closed").c_str());
    } else if (!d->is_open(id)) {
        not_open(ctx, id);
    } else {
        d->close_window(ctx, id);
    }
}

void selwin(Context& ctx, int id) {
    ScreenDriver* d = window_call(ctx, id);
    if (!d) return;
    if (!d->is_open(id))
        not_open(ctx, id);
    else
        d->select_window(ctx, id);
}

void wintit(Context& ctx, const char* title) {
    if (ctx.frame.level == 0) {
        if (!on_screen_device(ctx)) {
            warn(ctx, 56);
            return;
        }
        ctx.screen.next_title_set = true;
        ctx.screen.next_title = title;
        return;
    }
    if (ScreenDriver* d = screen(ctx)) d->fixed_title(d->current(), title);
}

int winid(Context& ctx) {
    auto* d = dynamic_cast<ScreenDriver*>(ctx.out.driver.get());
    return d ? d->current() : 0;
}

void x11mod(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "STOR+NOST+AUTO+PIXM", mode);
    if (i) ctx.screen.x11_mode = i - 1;
}

void getscr(Context&, int* nwpix, int* nhpix) { screen_size(*nwpix, *nhpix); }

void getwin(Context& ctx, int* nx, int* ny, int* nw, int* nh) {
    const PageState& p = ctx.page;
    *nx = p.win_x;
    *ny = p.win_y;
    *nw = p.win_w;
    *nh = p.win_h;
}

const char* getdsp(Context&) { return display_kind(); }

int getbpp(Context& ctx) {
    if (ctx.frame.level > 0 && on_screen_device(ctx)) return ctx.out.colour_depth > 8 ? 24 : 8;
    return ctx.colour.screen_mode == 1 ? 24 : 8;
}

void sendmb(Context& ctx) { ctx.screen.mouse_sent.store(true); }

}  // namespace kal
