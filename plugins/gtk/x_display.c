#include "x_display.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>

unsigned long x_window_id(GdkWindow* window) {
    return window && GDK_IS_X11_WINDOW(window) ? (unsigned long)gdk_x11_window_get_xid(window) : 0;
}
#else
unsigned long x_window_id(GdkWindow* window) {
    (void)window;
    return 0;
}
#endif

#if defined(GDK_WINDOWING_X11) && defined(KALVOR_X11_WATCH)
static Display* watched;
static void (*on_lost)(void);
static XIOErrorHandler toolkit_handler;
static int broken;

/* Xlib calls this when the connection breaks; the toolkit's own handler ends
 * the process. Ours returns, and so does the exit handler below: Xlib then
 * marks the connection dead and every later request on it returns at once. */
static int io_error(Display* d) {
    if (d != watched) return toolkit_handler ? toolkit_handler(d) : 0;
    broken = 1;
    on_lost();
    return 0;
}

static void io_exit(Display* d, void* p) {
    (void)d;
    (void)p;
}

void watch_x_display(GdkDisplay* display, void (*lost)(void)) {
    if (!GDK_IS_X11_DISPLAY(display)) return;
    watched = GDK_DISPLAY_XDISPLAY(display);
    on_lost = lost;
    toolkit_handler = XSetIOErrorHandler(io_error);
    XSetIOErrorExitHandler(watched, io_exit, NULL);
}

void release_x_display(void) {
    if (broken) XUnlockDisplay(watched);
}
#else
void watch_x_display(GdkDisplay* display, void (*lost)(void)) {
    (void)display;
    (void)lost;
}

void release_x_display(void) {}
#endif
