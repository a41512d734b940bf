/* The X connection of the GTK presenter (libX11 1.7 or later), kept apart
 * from kalvor_gtk.c, whose
 * names would clash with Xlib's. */
#pragma once
#include <gdk/gdk.h>

/* On an X display, `lost` runs (on the GUI thread) when the connection to
 * the server breaks, instead of the toolkit ending the process. */
void watch_x_display(GdkDisplay* display, void (*lost)(void));
/* After the loss, on the GUI thread: gives up the display lock Xlib keeps
 * for this thread from the I/O error on (else the process hangs at exit,
 * when other libraries' finalisers lock the display). */
void release_x_display(void);
/* The X11 window of a realized GDK window; 0 on another window system. */
unsigned long x_window_id(GdkWindow* window);
