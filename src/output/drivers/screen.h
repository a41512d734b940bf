#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "output/drivers/image.h"

namespace kal {

class Presenter;

// The screen devices (XWIN, XWI1 .. XWI8, XWND, CONS): each window is a
// raster drawn exactly as the PNG device draws its page (palette, or true
// colour with clrmod "FULL"; aamode as on PNG). The current window's raster
// is ctx.out.raster; a presenter (output/screen/presenter.h) shows the
// pictures: at updates, page and window changes, imgfin, palette changes,
// before waits and every 100 ms while drawing. No windowing call happens
// inside a drawing primitive other than these shows.
class ScreenDriver : public ImageDriver {
public:
    explicit ScreenDriver(int device);

    void open(Context& ctx) override;
    int close(Context& ctx) override;
    void hold(Context& ctx) override;
    void update(Context& ctx) override;
    void new_page(Context& ctx) override;
    void erase(Context& ctx) override;
    void push_palette(Context& ctx) override;
    void raster_written(Context& ctx) override;
    void character(Context& ctx, int code, double x, double y, double angle, int font, double height) override;

    // Whether the window draws the hardware fonts (winfnt and the like):
    // when the plot began on a display whose presenter has fonts.
    bool has_fonts() const { return fonts_ != nullptr; }

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                    const DeviceMap& map) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_triangle(Context& ctx, const double* x, const double* y, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;

    // opnwin, clswin, selwin (window numbers 1..8, checked by the caller),
    // wintit and winid.
    bool is_open(int n) const { return n >= 1 && n <= 8 && windows_[n].open; }
    int main_window() const { return main_; }
    int current() const { return current_; }
    // The presenter and the handle of an open window (the cursor routines).
    Presenter* presenter() const { return presenter_; }
    int handle(int n) const { return is_open(n) ? windows_[n].handle : 0; }
    void open_window(Context& ctx, int n);
    void close_window(Context& ctx, int n);
    void select_window(Context& ctx, int n);
    void fixed_title(int n, const std::string& title);

private:
    struct Window {
        bool open = false;
        int handle = 0;
        std::unique_ptr<Raster> raster;  // null while the window is current
        bool fixed = false;              // titled by wintit: kept
        std::string title;
    };
    Window windows_[9];
    int main_ = 1, current_ = 1;
    Presenter* presenter_ = nullptr;
    bool display_ = false;       // the presenter is a display (it may go away)
    Presenter* fonts_ = nullptr; // the display's fonts (they stay when it goes)
    bool linger_ = false;        // winmod NONE at kalfin: the windows stay
    bool final_shown_ = false;   // kalfin showed the finished pages
    bool drawn_ = false;         // something drawn since the last show
    bool working_ = false;       // the current window's title says "Working"
    unsigned ticks_ = 0;
    std::chrono::steady_clock::time_point last_show_;

    void place(Context& ctx);
    // The display went away (its server ended): the windows become the
    // headless PNG files from here on, with a warning. True when it did.
    bool display_lost(Context& ctx);
    void title(int n, const std::string& text);
    void default_title(int n, const char* state);
    Raster* raster_of(Context& ctx, int n);
    void show(Context& ctx, int n, bool page_done, bool complete);
    void show_all(Context& ctx, bool page_done);
    // A drawing primitive ran: the first gives the title, and the picture
    // is shown when 100 ms passed since the last show.
    void tick(Context& ctx);
    // Waits for the user; the KAL_WAIT_* that ended it.
    int wait_user(Context& ctx, bool mouse, int key, int seconds);
};

// The X11 window of the screen plot: the current window of the open plot,
// else the window a plot with winmod "NONE" left on the screen; 0 without
// (no display, Wayland, a file device).
unsigned long screen_window_xid(Context& ctx);

}  // namespace kal
