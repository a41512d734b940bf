// Presenters: what shows the screen devices' pictures to the user. The
// screen driver draws into rasters as the PNG device does and hands each
// window's picture to one presenter, which opens, shows, waits and closes:
//
//   - a presenter the binding registers (a notebook cell, a drawing widget),
//   - the GTK window of the plug-in kalvor_gtk (plugins/gtk), loaded with
//     dlopen from beside the loading library the first time a screen plot
//     starts, when a display is there,
//   - else the headless one, which writes each finished page as a PNG file.
//
// The plug-in and the binding fill the plain table kal_presenter (no C++
// across the library boundary: the plug-in links no part of the library);
// the screen driver sees every kind through the C++ interface Presenter.
#pragma once
#include "core/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// What ends a wait.
enum {
    KAL_WAIT_TIMEOUT = 0,  // nothing happened within the time given
    KAL_WAIT_BUTTON = 1,   // the right mouse button (MB2)
    KAL_WAIT_KEY = 2,      // the key asked for
    KAL_WAIT_CLOSED = 3,   // a window was closed by the user
    KAL_WAIT_LOST = 4      // the display went away (the X server ended)
};
// The keys a wait accepts (winkey).
enum { KAL_KEY_NONE = 0, KAL_KEY_RETURN = 1, KAL_KEY_ESCAPE = 2 };

// Flags of a show.
enum {
    KAL_SHOW_PAGE_DONE = 1,  // the page is complete (the headless files write it)
    KAL_SHOW_SYNC = 2        // return only once the display shows it
};

// Pointer events of a window (pointer_event).
enum { KAL_POINTER_PRESS = 1, KAL_POINTER_RELEASE = 2, KAL_POINTER_MOTION = 3 };
// Shapes of the pointer over a window (cursor).
enum { KAL_CURSOR_ARROW = 0, KAL_CURSOR_CROSS = 1 };

#define KAL_PRESENTER_VERSION 4

// Window handles are positive numbers the presenter chooses. Every call
// comes from the plotting thread that owns the window.
typedef struct kal_presenter {
    int version;  // KAL_PRESENTER_VERSION
    void* data;
    // "XWIN", "WAYL" or another 4-letter name of the display.
    const char* (*display)(void* data);
    // The monitor (w, h) and its work area (x, y, w, h); 0 when unknown.
    int (*screen)(void* data, int* monitor_w, int* monitor_h, int* area);
    // A new window of w x h picture pixels at (x, y); its handle, or 0.
    int (*open)(void* data, int number, int x, int y, int w, int h, const char* title);
    void (*title)(void* data, int handle, const char* title);
    // The picture of the window (rgb: h rows of w * 3 bytes, red, green,
    // blue) after the rectangle (dx, dy, dw, dh) changed; flags KAL_SHOW_*.
    void (*show)(void* data, int handle, const unsigned char* rgb, int w, int h, int dx, int dy, int dw,
                 int dh, int flags);
    // Waits at most ms milliseconds for the user in one of the n windows:
    // the right button when `mouse`, the key `key` (KAL_KEY_*), or a window
    // closed. `first` starts a wait: what happened before it does not count.
    int (*wait)(void* data, const int* handles, int n, int key, int mouse, int ms, int first);
    void (*close)(void* data, int handle);
    // A modal message box with the text, to wait on and close as a window;
    // its handle, or 0 (no box: the text goes to the message stream).
    int (*message)(void* data, const char* title, const char* text);
    // One character of a hardware font as 8-bit coverage: `text` (UTF-8)
    // in the face `family` (bold, italic) at `size` pixels to the em, turned
    // by `angle` degrees counter-clockwise about its origin on the baseline.
    // The mask (h rows of `stride` bytes, w used) stays valid until the
    // thread's next call; the origin lies at (ox, oy) in it. 0: nothing
    // drawn (or no fonts: the entry may be NULL).
    int (*glyph)(void* data, const char* family, int bold, int italic, double size, double angle,
                 const char* text, const unsigned char** mask, int* w, int* h, int* stride, double* ox,
                 double* oy);
    // The next pointer event of a window within ms milliseconds: 1 with its
    // kind (KAL_POINTER_*), picture pixel and button (1 left, 2 middle,
    // 3 right; motion: 0), 0 when none came, -1 when the window is closed.
    // `first` forgets the events before the call. NULL: no pointer.
    int (*pointer_event)(void* data, int handle, int ms, int first, int* kind, int* x, int* y, int* button);
    // Moves the pointer to the picture pixel (x, y) when `move`, then returns
    // where it is and the buttons held (bits 1 left, 2 middle, 4 right); 0
    // when the window is gone. NULL: no pointer.
    int (*pointer)(void* data, int handle, int move, int* x, int* y, int* buttons);
    // The window system's identifier of the window: its X11 window, 0
    // where there is none (Wayland, a window gone). NULL: none.
    unsigned long (*xid)(void* data, int handle);
    // Gives the pointer over the window the shape KAL_CURSOR_*. NULL: the
    // window has no pointer shapes.
    void (*cursor)(void* data, int handle, int shape);
} kal_presenter;

// The plug-in's one entry: its table when a display can be opened, else
// NULL.
typedef const kal_presenter* (*kal_gtk_entry)(int version);

#ifdef __cplusplus
}

#include <string>

namespace kal {

struct Context;
class Raster;

class Presenter {
public:
    virtual ~Presenter() = default;
    // False for the headless files: nothing waits, no window shows.
    virtual bool interactive() const = 0;
    // "XWIN", "WAYL" or "NONE".
    virtual const char* display() const = 0;
    // The monitor size and work area (x, y, w, h); false when unknown.
    virtual bool screen(int& w, int& h, int area[4]) const = 0;
    virtual int open(Context& ctx, int number, int x, int y, int w, int h, const std::string& title) = 0;
    virtual void title(int handle, const std::string& title) = 0;
    // The raster's picture as the PNG writer would write it; flags KAL_SHOW_*.
    virtual void show(Context& ctx, int handle, int number, const Raster& r, int flags) = 0;
    virtual int wait(const int* handles, int n, int key, bool mouse, int ms, bool first) = 0;
    virtual void close(int handle) = 0;
    // A message box (a window to wait on); 0 when there is none.
    virtual int message(const std::string&, const std::string&) { return 0; }
    // Whether glyph() draws characters (the window's fonts).
    virtual bool has_glyphs() const { return false; }
    virtual int glyph(const char*, bool, bool, double, double, const char*, const unsigned char**, int*, int*,
                      int*, double*, double*) {
        return 0;
    }
    // The pointer (kal_presenter's pointer_event and pointer); -1 and false
    // where there is none.
    virtual int pointer_event(int, int, bool, int&, int&, int&, int&) { return -1; }
    virtual bool pointer(int, bool, int&, int&, int&) { return false; }
    // The window's X11 window (kal_presenter's xid); 0 where there is none.
    virtual unsigned long xid(int) { return 0; }
    // The pointer shape over the window (KAL_CURSOR_*).
    virtual void cursor(int, int) {}
};

// The presenter of a new screen plot: the registered one, else the display
// (loading the plug-in on first need), else the headless files.
Presenter& choose_presenter();
// The headless presenter, whatever else is there.
Presenter& file_presenter();
// The display kind without opening a plot window: "XWIN", "WAYL", "NONE".
const char* display_kind();
// The monitor size (0 x 0 without a display).
void screen_size(int& w, int& h);

// Shows the text in a modal message box and waits until the user closes it
// (or Ctrl-C, or the display goes); false when there is no display to show
// it on.
bool message_box(const std::string& title, const std::string& text);

// A presenter a record asks for itself (a dialog's drawing widget), looked
// up before the others by presenter_for; nullptr: none.
using ContextPresenter = Presenter* (*)(Context& ctx);
void set_context_presenter(ContextPresenter hook);
Presenter& presenter_for(Context& ctx);

// The binding's presenter (nullptr: none); the table must outlive its use.
KALVOR_INTERNAL void register_presenter(const kal_presenter* table);

// A wait for the user asks this, every 100 ms, whether it was interrupted
// (the Python binding: a signal such as Ctrl-C); set for the calling
// thread around a call that may wait.
using WaitInterrupt = bool (*)();
KALVOR_INTERNAL void set_wait_interrupt(WaitInterrupt check);
bool wait_interrupted();

}  // namespace kal
#endif
