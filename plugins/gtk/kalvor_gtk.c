/* The GTK 3 presenter of KALVOR's screen devices, loaded by the library at
 * run time (never linked into it). One thread of its own runs the GLib main
 * loop and makes every GTK call; the plotting threads hand it work and wait
 * for it. A window shows the picture the library drew (an RGB raster) one to
 * one, and reports the right mouse button, RETURN or ESC, its closing, and
 * the pointer's clicks and drags for the cursor routines, under the pointer
 * shape they ask for.
 *
 * Losing the display (the X server ends) does not end the process: the GUI
 * thread stops, every call returns at once and waits report KAL_WAIT_LOST,
 * so that the library goes on without windows. */
#include <gtk/gtk.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "output/screen/presenter.h"
#include "x_display.h"

#define MAX_WINDOWS 64

typedef struct {
    int used;
    int closed;            /* closed by the user */
    int armed;             /* a wait is listening */
    int key, mouse;        /* for this key (KAL_KEY_*) and the right button */
    int pending;           /* KAL_WAIT_* that ended it, 0 none */
    unsigned drawn;        /* draw handler runs */
    GtkWidget* window;
    GtkWidget* area;
    cairo_surface_t* picture;
    /* Pointer events since the last cursor request began: a ring. */
    struct { int kind, x, y, button; } events[256];
    unsigned head, tail;
} Window;

static Window windows[MAX_WINDOWS];
static GMutex lock;        /* windows[], the events and the calls below */
static GCond changed;
static int lost;           /* the display went away: no GTK call any more */
static GMainLoop* loop;

/* ---- calls run on the GUI thread ---- */

typedef struct {
    void (*fn)(void* data);
    void* data;
    int done;
    int refs;              /* the caller and the GUI thread */
} Call;

static void call_unref(Call* c) {
    if (--c->refs == 0) g_free(c);
}

static gboolean run_call(gpointer p) {
    Call* c = p;
    g_mutex_lock(&lock);
    const int skip = lost;  /* the caller has gone: its data with it */
    g_mutex_unlock(&lock);
    if (!skip) c->fn(c->data);
    g_mutex_lock(&lock);
    c->done = 1;
    call_unref(c);
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return G_SOURCE_REMOVE;
}

/* Runs fn on the GUI thread and returns when it has run, or at once when the
 * display is lost (fn does not run then). */
static void gui_sync(void (*fn)(void*), void* data) {
    Call* c = g_new0(Call, 1);
    c->fn = fn;
    c->data = data;
    c->refs = 2;
    g_mutex_lock(&lock);
    if (lost) {
        g_free(c);
        g_mutex_unlock(&lock);
        return;
    }
    g_mutex_unlock(&lock);
    g_main_context_invoke(NULL, run_call, c);
    g_mutex_lock(&lock);
    while (!c->done && !lost) g_cond_wait(&changed, &lock);
    call_unref(c);
    g_mutex_unlock(&lock);
}

/* The display is gone (on the GUI thread): wake every waiting caller and
 * leave the main loop, which would otherwise spin on the dead connection. */
static void display_lost(void) {
    g_mutex_lock(&lock);
    lost = 1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    if (loop) g_main_loop_quit(loop);
}

static void on_display_closed(GdkDisplay* display, gboolean is_error, gpointer p) {
    (void)display;
    (void)is_error;
    (void)p;
    display_lost();
}


static void event(Window* w, int what) {
    g_mutex_lock(&lock);
    if (what == KAL_WAIT_CLOSED) w->closed = 1;
    if (w->armed || what == KAL_WAIT_CLOSED) w->pending = what;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
}

static gboolean on_draw(GtkWidget* area, cairo_t* cr, gpointer p) {
    Window* w = p;
    (void)area;
    if (w->picture) {
        cairo_set_source_surface(cr, w->picture, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
    }
    g_mutex_lock(&lock);
    ++w->drawn;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return TRUE;
}

static void pointer_event(Window* w, int kind, double x, double y, int button) {
    g_mutex_lock(&lock);
    if (w->tail - w->head < 256) {
        const unsigned i = w->tail++ % 256;
        w->events[i].kind = kind;
        w->events[i].x = (int)x;
        w->events[i].y = (int)y;
        w->events[i].button = button;
    }
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
}

static gboolean on_button(GtkWidget* widget, GdkEventButton* e, gpointer p) {
    (void)widget;
    const Window* w = p;
    if (e->type == GDK_BUTTON_PRESS && e->button == 3 && w->mouse) event(p, KAL_WAIT_BUTTON);
    if (e->type == GDK_BUTTON_PRESS || e->type == GDK_BUTTON_RELEASE)
        pointer_event(p, e->type == GDK_BUTTON_PRESS ? KAL_POINTER_PRESS : KAL_POINTER_RELEASE, e->x, e->y,
                      (int)e->button);
    return TRUE;
}

static gboolean on_motion(GtkWidget* widget, GdkEventMotion* e, gpointer p) {
    (void)widget;
    pointer_event(p, KAL_POINTER_MOTION, e->x, e->y, 0);
    return TRUE;
}

static gboolean on_key(GtkWidget* widget, GdkEventKey* e, gpointer p) {
    (void)widget;
    const int ret = e->keyval == GDK_KEY_Return || e->keyval == GDK_KEY_KP_Enter;
    const int esc = e->keyval == GDK_KEY_Escape;
    const Window* w = p;
    if ((w->key == KAL_KEY_RETURN && ret) || (w->key == KAL_KEY_ESCAPE && esc)) event(p, KAL_WAIT_KEY);
    return TRUE;
}

/* The window destroyed by another client. */
static gboolean on_destroyed(GtkWidget* widget, GdkEvent* e, gpointer p) {
    (void)widget;
    (void)e;
    event(p, KAL_WAIT_CLOSED);
    return FALSE;
}

static gboolean on_delete(GtkWidget* widget, GdkEvent* e, gpointer p) {
    (void)e;
    gtk_widget_hide(widget);
    event(p, KAL_WAIT_CLOSED);
    return TRUE;
}

/* ---- the table ---- */

/* The pointer over the picture: an arrow, or the cross hair of csrtyp. */
static void set_cursor(Window* w, int shape) {
    GdkWindow* gw = gtk_widget_get_window(w->area);
    if (!gw) return;
    GdkCursor* c = gdk_cursor_new_for_display(gdk_window_get_display(gw),
                                              shape == KAL_CURSOR_CROSS ? GDK_CROSSHAIR : GDK_LEFT_PTR);
    gdk_window_set_cursor(gw, c);
    if (c) g_object_unref(c);
}

typedef struct {
    int number, x, y, w, h;
    const char* title;
    int handle;
} OpenArgs;

/* The first free slot, cleared and marked used; MAX_WINDOWS when all are
 * taken. */
static int claim_window(void) {
    int i = 0;
    g_mutex_lock(&lock);
    while (i < MAX_WINDOWS && windows[i].used) ++i;
    if (i < MAX_WINDOWS) {
        memset(&windows[i], 0, sizeof windows[i]);
        windows[i].used = 1;
    }
    g_mutex_unlock(&lock);
    return i;
}

static void do_open(void* p) {
    OpenArgs* a = p;
    const int i = claim_window();
    if (i == MAX_WINDOWS) return;
    Window* w = &windows[i];
    w->picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a->w, a->h);
    w->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_window_set_wmclass(GTK_WINDOW(w->window), "kalmain", "kalmain");
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_window_set_title(GTK_WINDOW(w->window), a->title);
    gtk_window_set_resizable(GTK_WINDOW(w->window), FALSE);
    gtk_window_move(GTK_WINDOW(w->window), a->x, a->y);
    w->area = gtk_drawing_area_new();
    gtk_widget_set_size_request(w->area, a->w, a->h);
    gtk_widget_add_events(w->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON_MOTION_MASK);
    gtk_container_add(GTK_CONTAINER(w->window), w->area);
    g_signal_connect(w->area, "draw", G_CALLBACK(on_draw), w);
    g_signal_connect(w->area, "button-press-event", G_CALLBACK(on_button), w);
    g_signal_connect(w->area, "button-release-event", G_CALLBACK(on_button), w);
    g_signal_connect(w->area, "motion-notify-event", G_CALLBACK(on_motion), w);
    g_signal_connect(w->window, "key-press-event", G_CALLBACK(on_key), w);
    g_signal_connect(w->window, "delete-event", G_CALLBACK(on_delete), w);
    g_signal_connect(w->window, "destroy-event", G_CALLBACK(on_destroyed), w);
    gtk_widget_show_all(w->window);
    set_cursor(w, KAL_CURSOR_ARROW);
    a->handle = i + 1;
}

static Window* window_of(int handle) {
    return handle >= 1 && handle <= MAX_WINDOWS && windows[handle - 1].used ? &windows[handle - 1] : NULL;
}

static int p_open(void* data, int number, int x, int y, int w, int h, const char* title) {
    (void)data;
    OpenArgs a = {number, x, y, w, h, title, 0};
    if (w < 1 || h < 1) return 0;
    gui_sync(do_open, &a);
    return a.handle;
}

typedef struct {
    int handle;
    const char* title;
} TitleArgs;

static void do_title(void* p) {
    TitleArgs* a = p;
    Window* w = window_of(a->handle);
    if (w) gtk_window_set_title(GTK_WINDOW(w->window), a->title);
    gdk_display_sync(gdk_display_get_default());
}

static void p_title(void* data, int handle, const char* title) {
    (void)data;
    TitleArgs a = {handle, title};
    gui_sync(do_title, &a);
}

typedef struct {
    int handle;
    const unsigned char* rgb;
    int w, h, dx, dy, dw, dh;
    unsigned target;  /* the draw that shows the picture */
    int visible;
} ShowArgs;

static void do_show(void* p) {
    ShowArgs* a = p;
    Window* w = window_of(a->handle);
    if (!w || w->closed || !w->picture) return;
    cairo_surface_t* s = w->picture;
    cairo_surface_flush(s);
    const int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    unsigned char* base = cairo_image_surface_get_data(s);
    const int x0 = a->dx < 0 ? 0 : a->dx, y0 = a->dy < 0 ? 0 : a->dy;
    int x1 = a->dx + a->dw, y1 = a->dy + a->dh;
    if (x1 > sw) x1 = sw;
    if (x1 > a->w) x1 = a->w;
    if (y1 > sh) y1 = sh;
    if (y1 > a->h) y1 = a->h;
    for (int y = y0; y < y1; ++y) {
        const unsigned char* src = a->rgb + ((size_t)y * a->w + x0) * 3;
        guint32* dst = (guint32*)(base + (size_t)y * stride) + x0;
        for (int x = x0; x < x1; ++x, src += 3) *dst++ = (guint32)src[0] << 16 | (guint32)src[1] << 8 | src[2];
    }
    cairo_surface_mark_dirty(s);
    if (x1 > x0 && y1 > y0) gtk_widget_queue_draw_area(w->area, x0, y0, x1 - x0, y1 - y0);
    a->visible = gtk_widget_get_mapped(w->area);
    g_mutex_lock(&lock);
    a->target = w->drawn + 1;
    g_mutex_unlock(&lock);
}

static void do_sync(void* p) {
    (void)p;
    gdk_display_sync(gdk_display_get_default());
}

static void p_show(void* data, int handle, const unsigned char* rgb, int w, int h, int dx, int dy, int dw, int dh,
                   int flags) {
    (void)data;
    ShowArgs a = {handle, rgb, w, h, dx, dy, dw, dh, 0, 0};
    gui_sync(do_show, &a);
    if (!a.target || !(flags & KAL_SHOW_SYNC)) return;
    /* Returns once the window painted the picture (a window just opened
     * paints when it is mapped), and the server has it. */
    const gint64 end = g_get_monotonic_time() + (a.visible ? 1 : 3) * G_TIME_SPAN_SECOND;
    Window* win = window_of(handle);
    g_mutex_lock(&lock);
    while (win && !win->closed && !lost && (int)(win->drawn - a.target) < 0)
        if (!g_cond_wait_until(&changed, &lock, end)) break;
    g_mutex_unlock(&lock);
    gui_sync(do_sync, NULL);
}

static int p_wait(void* data, const int* handles, int n, int key, int mouse, int ms, int first) {
    (void)data;
    const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
    int result = KAL_WAIT_TIMEOUT;
    g_mutex_lock(&lock);
    if (first) {
        for (int i = 0; i < n; ++i) {
            Window* w = window_of(handles[i]);
            if (w) {
                w->armed = 1;
                w->pending = 0;
                w->key = key;
                w->mouse = mouse;
            }
        }
    }
    for (;;) {
        int open = 0;
        if (lost) {
            result = KAL_WAIT_LOST;
            break;
        }
        for (int i = 0; i < n && result == KAL_WAIT_TIMEOUT; ++i) {
            Window* w = window_of(handles[i]);
            if (!w) continue;
            if (w->pending) {
                result = w->pending;
                w->pending = 0;
            }
            open += !w->closed;
        }
        if (result == KAL_WAIT_TIMEOUT && open == 0) result = KAL_WAIT_CLOSED;
        if (result != KAL_WAIT_TIMEOUT || !g_cond_wait_until(&changed, &lock, end)) break;
    }
    if (result != KAL_WAIT_TIMEOUT)
        for (int i = 0; i < n; ++i) {
            Window* w = window_of(handles[i]);
            if (w) w->armed = 0;
        }
    g_mutex_unlock(&lock);
    return result;
}

static gboolean do_close(gpointer p) {
    Window* w = window_of(GPOINTER_TO_INT(p));
    if (!w) return G_SOURCE_REMOVE;
    gtk_widget_destroy(w->window);
    cairo_surface_destroy(w->picture);
    gdk_display_sync(gdk_display_get_default());
    g_mutex_lock(&lock);
    memset(w, 0, sizeof *w);
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return G_SOURCE_REMOVE;
}

static void close_call(void* p) { do_close(p); }

static void p_close(void* data, int handle) {
    (void)data;
    if (window_of(handle)) gui_sync(close_call, GINT_TO_POINTER(handle));
}

static int p_pointer_event(void* data, int handle, int ms, int first, int* kind, int* x, int* y, int* button) {
    (void)data;
    const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
    int result = 0;
    g_mutex_lock(&lock);
    Window* w = window_of(handle);
    if (w && first) w->head = w->tail;
    for (;;) {
        w = window_of(handle);
        if (!w || w->closed) {
            result = -1;
            break;
        }
        if (w->head != w->tail) {
            const unsigned i = w->head++ % 256;
            *kind = w->events[i].kind;
            *x = w->events[i].x;
            *y = w->events[i].y;
            *button = w->events[i].button;
            result = 1;
            break;
        }
        if (!g_cond_wait_until(&changed, &lock, end)) break;
    }
    g_mutex_unlock(&lock);
    return result;
}

typedef struct {
    int handle, move, x, y, buttons, ok;
} PointerArgs;

static void do_pointer(void* p) {
    PointerArgs* a = p;
    Window* w = window_of(a->handle);
    GdkWindow* gw = w ? gtk_widget_get_window(w->area) : NULL;
    if (!gw) return;
    GdkDevice* mouse = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    if (a->move) {
        int ox, oy;
        gdk_window_get_origin(gw, &ox, &oy);
        gdk_device_warp(mouse, gdk_window_get_screen(gw), ox + a->x, oy + a->y);
        gdk_display_sync(gdk_display_get_default());
    }
    double x, y;
    GdkModifierType mask;
    gdk_window_get_device_position_double(gw, mouse, &x, &y, &mask);
    a->x = (int)x;
    a->y = (int)y;
    a->buttons = (mask & GDK_BUTTON1_MASK ? 1 : 0) | (mask & GDK_BUTTON2_MASK ? 2 : 0) | (mask & GDK_BUTTON3_MASK ? 4 : 0);
    a->ok = 1;
}

static int p_pointer(void* data, int handle, int move, int* x, int* y, int* buttons) {
    (void)data;
    PointerArgs a = {handle, move, *x, *y, 0, 0};
    if (!window_of(handle)) return 0;
    gui_sync(do_pointer, &a);
    *x = a.x;
    *y = a.y;
    *buttons = a.buttons;
    return a.ok;
}

typedef struct {
    int handle, shape;
    unsigned long xid;
} WindowArgs;

static void do_xid(void* p) {
    WindowArgs* a = p;
    Window* w = window_of(a->handle);
    if (w && !w->closed) a->xid = x_window_id(gtk_widget_get_window(w->window));
}

static unsigned long p_xid(void* data, int handle) {
    (void)data;
    WindowArgs a = {handle, 0, 0};
    if (window_of(handle)) gui_sync(do_xid, &a);
    return a.xid;
}

static void do_cursor(void* p) {
    WindowArgs* a = p;
    Window* w = window_of(a->handle);
    if (!w || w->closed) return;
    set_cursor(w, a->shape);
    gdk_display_flush(gdk_display_get_default());
}

static void p_cursor(void* data, int handle, int shape) {
    (void)data;
    WindowArgs a = {handle, shape, 0};
    if (window_of(handle)) gui_sync(do_cursor, &a);
}

static const char* p_display(void* data) {
    (void)data;
    g_mutex_lock(&lock);
    const int gone = lost;
    g_mutex_unlock(&lock);
    if (gone) return "NONE";
    const char* type = G_OBJECT_TYPE_NAME(gdk_display_get_default());
    return type && strstr(type, "Wayland") ? "WAYL" : "XWIN";
}

typedef struct {
    int mw, mh, area[4];
} ScreenArgs;

static void do_screen(void* p) {
    ScreenArgs* a = p;
    GdkDisplay* d = gdk_display_get_default();
    GdkMonitor* m = gdk_display_get_primary_monitor(d);
    if (!m) m = gdk_display_get_monitor(d, 0);
    if (!m) return;
    GdkRectangle g, wa;
    gdk_monitor_get_geometry(m, &g);
    gdk_monitor_get_workarea(m, &wa);
    a->mw = g.width;
    a->mh = g.height;
    a->area[0] = wa.x;
    a->area[1] = wa.y;
    a->area[2] = wa.width;
    a->area[3] = wa.height;
}

static int p_screen(void* data, int* mw, int* mh, int* area) {
    (void)data;
    ScreenArgs a = {0, 0, {0, 0, 0, 0}};
    gui_sync(do_screen, &a);
    *mw = a.mw;
    *mh = a.mh;
    memcpy(area, a.area, sizeof a.area);
    return a.mw > 0;
}

/* A message box: a modal dialog with the text and an OK button, a window to
 * wait on like the plot's (its answer or closing ends the wait). */
typedef struct {
    const char* title;
    const char* text;
    int handle;
} MessageArgs;

static void on_response(GtkDialog* dialog, gint response, gpointer p) {
    (void)response;
    gtk_widget_hide(GTK_WIDGET(dialog));
    event(p, KAL_WAIT_CLOSED);
}

static void do_message(void* p) {
    MessageArgs* a = p;
    const int i = claim_window();
    if (i == MAX_WINDOWS) return;
    Window* w = &windows[i];
    w->window = gtk_message_dialog_new(NULL, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", a->text);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_window_set_wmclass(GTK_WINDOW(w->window), "kalmain", "kalmain");
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_window_set_title(GTK_WINDOW(w->window), a->title);
    g_signal_connect(w->window, "response", G_CALLBACK(on_response), w);
    g_signal_connect(w->window, "delete-event", G_CALLBACK(on_delete), w);
    gtk_widget_show_all(w->window);
    gdk_display_sync(gdk_display_get_default());
    a->handle = i + 1;
}

static int p_message(void* data, const char* title, const char* text) {
    (void)data;
    MessageArgs a = {title, text, 0};
    gui_sync(do_message, &a);
    return a.handle;
}

/* ---- hardware fonts: Pango on the calling thread, no GTK ---- */

typedef struct {
    cairo_surface_t* surface;  /* the last mask */
} GlyphCache;

static void cache_free(gpointer p) {
    GlyphCache* c = p;
    if (c->surface) cairo_surface_destroy(c->surface);
    g_free(c);
}

static GPrivate glyph_cache = G_PRIVATE_INIT(cache_free);

static int p_glyph(void* data, const char* family, int bold, int italic, double size, double angle,
                   const char* text, const unsigned char** mask, int* w, int* h, int* stride, double* ox,
                   double* oy) {
    (void)data;
    if (!(size > 0.5 && size < 4000)) return 0;
    GlyphCache* cache = g_private_get(&glyph_cache);
    if (!cache) {
        cache = g_new0(GlyphCache, 1);
        g_private_set(&glyph_cache, cache);
    }
    /* The font map is the thread's own. */
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* pc = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(pc);
    PangoFontDescription* fd = pango_font_description_new();
    pango_font_description_set_family(fd, family);
    pango_font_description_set_weight(fd, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(fd, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(fd, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, fd);
    pango_layout_set_text(layout, text, -1);
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout, &ink, NULL);
    const double base = pango_layout_get_baseline(layout) / (double)PANGO_SCALE;
    /* The ink's corners about the origin, turned (y down on the page). */
    const double a = angle * G_PI / 180, c = cos(a), s = sin(a);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (int k = 0; k < 4; ++k) {
        const double px = ink.x + (k & 1 ? ink.width : 0), py = ink.y + (k & 2 ? ink.height : 0) - base;
        const double tx = px * c + py * s, ty = -px * s + py * c;
        x0 = MIN(x0, tx), x1 = MAX(x1, tx), y0 = MIN(y0, ty), y1 = MAX(y1, ty);
    }
    int ok = 0;
    const int mw = (int)ceil(x1 - x0) + 4, mh = (int)ceil(y1 - y0) + 4;
    if (ink.width > 0 && ink.height > 0 && mw < 8192 && mh < 8192) {
        if (cache->surface) cairo_surface_destroy(cache->surface);
        cache->surface = cairo_image_surface_create(CAIRO_FORMAT_A8, mw, mh);
        cairo_t* cr = cairo_create(cache->surface);
        *ox = 2 - x0;
        *oy = 2 - y0;
        cairo_translate(cr, *ox, *oy);
        cairo_rotate(cr, -a);
        cairo_move_to(cr, 0, -base);
        pango_cairo_update_context(cr, pc);
        pango_layout_context_changed(layout);
        pango_cairo_show_layout(cr, layout);
        cairo_destroy(cr);
        cairo_surface_flush(cache->surface);
        *mask = cairo_image_surface_get_data(cache->surface);
        *w = mw;
        *h = mh;
        *stride = cairo_image_surface_get_stride(cache->surface);
        ok = cairo_surface_status(cache->surface) == CAIRO_STATUS_SUCCESS;
    }
    pango_font_description_free(fd);
    g_object_unref(layout);
    g_object_unref(pc);
    return ok;
}

static const kal_presenter TABLE = {KAL_PRESENTER_VERSION, NULL,   p_display, p_screen,  p_open, p_title,
                                    p_show,                p_wait, p_close,   p_message, p_glyph,
                                    p_pointer_event,       p_pointer, p_xid,     p_cursor};

/* ---- the GUI thread ---- */

static int started, init_ok, finished;
static GThread* gui;
static pid_t gui_pid;  /* a forked child has no GUI thread */

static gpointer gui_thread(gpointer p) {
    (void)p;
    g_setenv("NO_AT_BRIDGE", "1", FALSE);
    const int ok = gtk_init_check(NULL, NULL);
    /* This thread owns the main context from now on: work handed over with
     * g_main_context_invoke always runs here. */
    if (ok) {
        g_main_context_acquire(NULL);
        loop = g_main_loop_new(NULL, FALSE);
    }
    g_mutex_lock(&lock);
    init_ok = ok ? 1 : -1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    if (!ok) return NULL;
    GdkDisplay* display = gdk_display_get_default();
    g_signal_connect(display, "closed", G_CALLBACK(on_display_closed), NULL);
    watch_x_display(display, display_lost);
    g_main_loop_run(loop);
    /* Only a lost display or the process's end stops the loop: nothing here
     * touches GTK again. */
    release_x_display();
    g_mutex_lock(&lock);
    finished = 1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return NULL;
}

static gboolean quit_loop(gpointer p) {
    (void)p;
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
}

/* The process ends: exit() runs this before the libraries' finalisers, of
 * which Xlib's frees the lock that every GDK call on the GUI thread takes.
 * The thread leaves its loop first (at most 2 s are given), and from here
 * on no call waits for it, as when the display goes away. */
static void stop_gui(void) {
    g_mutex_lock(&lock);
    const int running = init_ok > 0 && !lost;
    lost = 1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    if (!running || g_thread_self() == gui || getpid() != gui_pid) return;
    g_main_context_invoke(NULL, quit_loop, NULL);
    const gint64 end = g_get_monotonic_time() + 2 * G_TIME_SPAN_SECOND;
    g_mutex_lock(&lock);
    while (!finished)
        if (!g_cond_wait_until(&changed, &lock, end)) break;
    g_mutex_unlock(&lock);
}

__attribute__((visibility("default"))) const kal_presenter* kalvor_gtk_presenter(int version) {
    if (version != KAL_PRESENTER_VERSION) return NULL;
    g_mutex_lock(&lock);
    if (!started) {
        started = 1;
        gui = g_thread_new("kalvor-gtk", gui_thread, NULL);  /* kept to the end of the process */
        gui_pid = getpid();
        atexit(stop_gui);
    }
    while (!init_ok) g_cond_wait(&changed, &lock);
    const int ok = init_ok > 0;
    g_mutex_unlock(&lock);
    return ok ? &TABLE : NULL;
}
