/* The dialog toolkit of the GTK plug-in: builds KALVOR's dialog widgets as
 * GTK 3 widgets on the plug-in's GUI thread and queues what the user does
 * as events, which the library's wgfin applies on its own thread. */
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#include <stdlib.h>
#include <string.h>

#include "output/screen/presenter.h"
#include "widgets/toolkit.h"

const kal_presenter* kalvor_gtk_presenter(int version);

#define MAX_DIALOGS 64
#define MAX_ASKS 64

typedef struct Dialog Dialog;

typedef struct {
    int id, kind, call_mode;
    Dialog* dialog;
    GtkWidget* top;      /* what the parent holds */
    GtkWidget* main;     /* the widget carrying the value */
    GtkWidget* label;
    GtkWidget** radios;
    int nradio;
    GtkWidget* container;  /* parents: where children go */
    cairo_surface_t* picture;  /* drawing widgets: the plot shown */
    int layout;
} Item;

struct Dialog {
    int used, closed, mapped;
    unsigned seq;   /* the order of opening */
    GtkWidget* window;
    GtkWidget* help_item;
    char* help;
    Item* items;
    int n;
    GQueue events;  /* kal_widget_event* */
};

typedef struct {
    int used, kind, done, mapped;
    unsigned seq;
    int choice;
    char* text;
    GtkWidget* dialog;
    GtkWidget* entry;   /* text; the list's combo box */
} Ask;

static Dialog dialogs[MAX_DIALOGS];
static Ask asks[MAX_ASKS];
static int newest_dialog, newest_ask, newest_is_ask;
static unsigned opened; /* dialogs and questions opened so far */
static int applying; /* values set by the program: no events */
static GMutex lock;   /* the events, the answers and the slots */
static GCond changed;

/* ---- running on the GUI thread ---- */

typedef struct {
    void (*fn)(void*);
    void* data;
    int done;
} Call;

static gboolean run_call(gpointer p) {
    Call* c = p;
    c->fn(c->data);
    g_mutex_lock(&lock);
    c->done = 1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return G_SOURCE_REMOVE;
}

static void gui_sync(void (*fn)(void*), void* data) {
    Call c = {fn, data, 0};
    g_main_context_invoke(NULL, run_call, &c);
    g_mutex_lock(&lock);
    while (!c.done) g_cond_wait(&changed, &lock);
    g_mutex_unlock(&lock);
}

static void push(Dialog* d, int kind, int id, int value, double fvalue, const char* text) {
    if (applying) return;
    kal_widget_event* e = g_new0(kal_widget_event, 1);
    e->kind = kind;
    e->id = id;
    e->value = value;
    e->fvalue = fvalue;
    e->text = text ? strdup(text) : NULL;
    g_mutex_lock(&lock);
    g_queue_push_tail(&d->events, e);
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
}

/* ---- signal handlers ---- */

static void on_toggle(GtkToggleButton* b, gpointer p) {
    Item* it = p;
    push(it->dialog, KAL_EV_FIRE, it->id, gtk_toggle_button_get_active(b), 0, NULL);
}

static void on_radio(GtkToggleButton* b, gpointer p) {
    Item* it = p;
    if (!gtk_toggle_button_get_active(b)) return;
    for (int i = 0; i < it->nradio; ++i)
        if (GTK_WIDGET(b) == it->radios[i]) push(it->dialog, KAL_EV_FIRE, it->id, i + 1, 0, NULL);
}

static void on_row(GtkListBox* box, GtkListBoxRow* row, gpointer p) {
    Item* it = p;
    (void)box;
    push(it->dialog, KAL_EV_FIRE, it->id, row ? gtk_list_box_row_get_index(row) + 1 : 0, 0, NULL);
}

static void on_combo(GtkComboBox* c, gpointer p) {
    Item* it = p;
    push(it->dialog, KAL_EV_FIRE, it->id, gtk_combo_box_get_active(c) + 1, 0, NULL);
}

static void on_changed(GtkEditable* e, gpointer p) {
    Item* it = p;
    const int fire = it->kind != KAL_WG_FILE && it->call_mode != 0;
    push(it->dialog, fire ? KAL_EV_FIRE : KAL_EV_VALUE, it->id, 0, 0, gtk_entry_get_text(GTK_ENTRY(e)));
}

static void on_activate(GtkEntry* e, gpointer p) {
    Item* it = p;
    if (it->call_mode != 1) push(it->dialog, KAL_EV_FIRE, it->id, 0, 0, gtk_entry_get_text(e));
}

static void on_scale(GtkRange* r, gpointer p) {
    Item* it = p;
    push(it->dialog, KAL_EV_FIRE, it->id, 0, gtk_range_get_value(r), NULL);
}

static void on_click(GtkWidget* w, gpointer p) {
    Item* it = p;
    (void)w;
    const int kind = it->kind == KAL_WG_OK ? KAL_EV_OK : it->kind == KAL_WG_QUIT ? KAL_EV_QUIT : KAL_EV_FIRE;
    push(it->dialog, kind, it->id, 0, 0, NULL);
}

static gboolean on_press(GtkWidget* w, GdkEventButton* e, gpointer p) {
    (void)w;
    if (e->type == GDK_BUTTON_PRESS) on_click(NULL, p);
    return TRUE;
}

static gboolean on_blank(GtkWidget* w, cairo_t* cr, gpointer p) {
    Item* it = p;
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, a.width, a.height);
    cairo_fill(cr);
    if (it->picture) {
        cairo_set_source_surface(cr, it->picture, 0, 0);
        cairo_paint(cr);
    }
    return FALSE;
}

static void on_file_response(GtkDialog* chooser, gint response, gpointer p) {
    Item* it = p;
    if (response == GTK_RESPONSE_ACCEPT) {
        char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        if (name) {
            applying = 1;
            gtk_entry_set_text(GTK_ENTRY(it->main), name);
            applying = 0;
            push(it->dialog, KAL_EV_FIRE, it->id, 0, 0, name);
            g_free(name);
        }
    }
    gtk_widget_destroy(GTK_WIDGET(chooser));
}

static void add_filters(GtkFileChooser* fc, const char* mask) {
    if (mask && *mask) {
        GtkFileFilter* f = gtk_file_filter_new();
        char* name = g_strdup_printf("Mask (%s)", mask);
        gtk_file_filter_set_name(f, name);
        g_free(name);
        gtk_file_filter_add_pattern(f, mask);
        gtk_file_chooser_add_filter(fc, f);
    }
    GtkFileFilter* all = gtk_file_filter_new();
    gtk_file_filter_set_name(all, "All Files (*.*)");
    gtk_file_filter_add_pattern(all, "*");
    gtk_file_chooser_add_filter(fc, all);
}

static void start_in(GtkFileChooser* fc, const char* file) {
    if (!file || !*file) return;
    if (g_file_test(file, G_FILE_TEST_EXISTS)) {
        gtk_file_chooser_set_filename(fc, file);
    } else {
        char* dir = g_path_get_dirname(file);
        if (g_file_test(dir, G_FILE_TEST_IS_DIR)) gtk_file_chooser_set_current_folder(fc, dir);
        g_free(dir);
    }
}

static void on_file_button(GtkButton* b, gpointer p) {
    Item* it = p;
    (void)b;
    GtkWidget* fc = gtk_file_chooser_dialog_new("File", GTK_WINDOW(it->dialog->window), GTK_FILE_CHOOSER_ACTION_OPEN,
                                                "_Cancel", GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, NULL);
    add_filters(GTK_FILE_CHOOSER(fc), g_object_get_data(G_OBJECT(it->main), "kal-mask"));
    start_in(GTK_FILE_CHOOSER(fc), gtk_entry_get_text(GTK_ENTRY(it->main)));
    g_signal_connect(fc, "response", G_CALLBACK(on_file_response), it);
    gtk_widget_show(fc);
}

static void on_help(GtkMenuItem* m, gpointer p) {
    Dialog* d = p;
    (void)m;
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(d->window), GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_INFO,
                                            GTK_BUTTONS_OK, "%s", d->help ? d->help : "");
    g_signal_connect(box, "response", G_CALLBACK(gtk_widget_destroy), NULL);
    gtk_widget_show(box);
}

static void on_menu_end(GtkMenuItem* m, gpointer p) {
    Dialog* d = p;
    push(d, GPOINTER_TO_INT(g_object_get_data(G_OBJECT(m), "kal-end")), -1, 0, 0, NULL);
}

static gboolean on_delete(GtkWidget* w, GdkEvent* e, gpointer p) {
    Dialog* d = p;
    (void)w;
    (void)e;
    push(d, KAL_EV_CLOSE, -1, 0, 0, NULL);
    return TRUE; /* the library closes it */
}

/* A question's window destroyed by another client: closed, its default. */
static gboolean on_ask_destroyed(GtkWidget* w, GdkEvent* e, gpointer p) {
    (void)e;
    (void)p;
    gtk_dialog_response(GTK_DIALOG(w), GTK_RESPONSE_DELETE_EVENT);
    return TRUE;
}

static gboolean on_map(GtkWidget* w, GdkEvent* e, gpointer p) {
    (void)w;
    (void)e;
    g_mutex_lock(&lock);
    *(int*)p = 1;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
    return FALSE;
}

/* ---- building ---- */

static void style(GtkWidget* w, const kal_widget* k) {
    GString* css = g_string_new("* {");
    if (k->back >= 0) g_string_append_printf(css, " background-color: #%06x; background-image: none;", k->back);
    if (k->fore >= 0) g_string_append_printf(css, " color: #%06x;", k->fore);
    if (k->font) g_string_append_printf(css, " font-family: \"%s\";", k->font);
    if (k->font_size > 0) g_string_append_printf(css, " font-size: %dpt;", k->font_size);
    if (k->bold) g_string_append(css, " font-weight: bold;");
    if (k->italic) g_string_append(css, " font-style: italic;");
    g_string_append(css, " }");
    if (css->len > 4) {
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(p, css->str, -1, NULL);
        GList* todo = g_list_prepend(NULL, w);
        while (todo) {
            GtkWidget* x = todo->data;
            todo = g_list_delete_link(todo, todo);
            gtk_style_context_add_provider(gtk_widget_get_style_context(x), GTK_STYLE_PROVIDER(p),
                                           GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
            if (GTK_IS_CONTAINER(x)) {
                GList* kids = gtk_container_get_children(GTK_CONTAINER(x));
                todo = g_list_concat(todo, kids);
            }
        }
        g_object_unref(p);
    }
    g_string_free(css, TRUE);
}

static gchar** items_of(const kal_widget* k) {
    const char sep[2] = {k->sep ? k->sep : '|', 0};
    return g_strsplit(k->items ? k->items : "", sep, -1);
}

static void set_value(Item* it, const kal_widget* k) {
    applying = 1;
    switch (it->kind) {
    case KAL_WG_BUTTON:
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(it->main), k->value);
        break;
    case KAL_WG_BOX:
        if (k->value >= 1 && k->value <= it->nradio)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(it->radios[k->value - 1]), TRUE);
        break;
    case KAL_WG_LIST: {
        GtkListBox* box = GTK_LIST_BOX(it->main);
        GList* kids = gtk_container_get_children(GTK_CONTAINER(box));
        for (GList* l = kids; l; l = l->next) gtk_widget_destroy(l->data);
        g_list_free(kids);
        gchar** items = items_of(k);
        for (int i = 0; items[i]; ++i) {
            GtkWidget* label = gtk_label_new(items[i]);
            gtk_label_set_xalign(GTK_LABEL(label), 0);
            gtk_list_box_insert(box, label, -1);
        }
        g_strfreev(items);
        gtk_widget_show_all(GTK_WIDGET(box));
        GtkListBoxRow* row = k->value >= 1 ? gtk_list_box_get_row_at_index(box, k->value - 1) : NULL;
        if (row)
            gtk_list_box_select_row(box, row);
        else
            gtk_list_box_unselect_all(box);
        break;
    }
    case KAL_WG_DLIST: {
        GtkComboBoxText* c = GTK_COMBO_BOX_TEXT(it->main);
        gtk_combo_box_text_remove_all(c);
        gchar** items = items_of(k);
        for (int i = 0; items[i]; ++i) gtk_combo_box_text_append_text(c, items[i]);
        g_strfreev(items);
        gtk_combo_box_set_active(GTK_COMBO_BOX(c), k->value - 1);
        break;
    }
    case KAL_WG_STEXT: {
        GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(it->main));
        gtk_text_buffer_set_text(b, k->text2 ? k->text2 : "", -1);
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(b, &end);
        gtk_text_view_scroll_to_iter(GTK_TEXT_VIEW(it->main), &end, 0, FALSE, 0, 0);
        break;
    }
    case KAL_WG_TEXT:
    case KAL_WG_LTEXT:
    case KAL_WG_FILE:
        gtk_entry_set_text(GTK_ENTRY(it->main), k->text2 ? k->text2 : "");
        break;
    case KAL_WG_SCALE:
        gtk_range_set_value(GTK_RANGE(it->main), k->fvalue);
        break;
    default:
        break;
    }
    if (it->top) {
        gtk_widget_set_sensitive(it->top, k->state == KAL_STATE_ACTIVE);
        gtk_widget_set_no_show_all(it->top, k->state == KAL_STATE_INVISIBLE);
        if (k->state == KAL_STATE_INVISIBLE)
            gtk_widget_hide(it->top);
        else
            gtk_widget_show_all(it->top);
    }
    applying = 0;
}

static GtkWidget* labelled(GtkWidget* label, GtkWidget* field, int percent, int width) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    if (percent > 0 && width > 0) gtk_widget_set_size_request(label, width * percent / 100, -1);
    gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), field, TRUE, TRUE, 0);
    return box;
}

static void build_item(Dialog* d, const kal_dialog* dd, int id, GtkWidget* menubar) {
    const kal_widget* k = &dd->widgets[id];
    Item* it = &d->items[id];
    it->id = id;
    it->kind = k->kind;
    it->dialog = d;
    it->call_mode = k->call_mode;
    const int width = k->w > 0 ? k->w : dd->width;
    GtkWidget* w = NULL;
    switch (k->kind) {
    case KAL_WG_BASE:
        it->layout = k->layout;
        it->container = k->layout == KAL_LAYOUT_FORM ? gtk_fixed_new()
                        : gtk_box_new(k->layout == KAL_LAYOUT_HORI ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL,
                                      k->layout == KAL_LAYOUT_HORI ? dd->spacing[0] : dd->spacing[1]);
        w = it->container;
        break;
    case KAL_WG_LABEL:
        w = it->main = gtk_label_new(k->text);
        gtk_label_set_xalign(GTK_LABEL(w), k->justify * 0.5f);
        gtk_label_set_line_wrap(GTK_LABEL(w), TRUE);
        break;
    case KAL_WG_BUTTON:
        w = it->main = gtk_check_button_new_with_label(k->text);
        g_signal_connect(w, "toggled", G_CALLBACK(on_toggle), it);
        break;
    case KAL_WG_BOX: {
        w = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
        gchar** items = items_of(k);
        it->nradio = (int)g_strv_length(items);
        it->radios = g_new0(GtkWidget*, it->nradio + 1);
        GSList* group = NULL;
        for (int i = 0; i < it->nradio; ++i) {
            it->radios[i] = gtk_radio_button_new_with_label(group, items[i]);
            group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(it->radios[i]));
            gtk_box_pack_start(GTK_BOX(w), it->radios[i], FALSE, FALSE, 0);
            g_signal_connect(it->radios[i], "toggled", G_CALLBACK(on_radio), it);
        }
        g_strfreev(items);
        it->main = w;
        break;
    }
    case KAL_WG_LIST: {
        it->main = gtk_list_box_new();
        g_signal_connect(it->main, "row-selected", G_CALLBACK(on_row), it);
        if (k->scroll == 2) {
            w = it->main;
        } else {
            w = gtk_scrolled_window_new(NULL, NULL);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(w), k->scroll == 3 ? GTK_POLICY_NEVER : GTK_POLICY_AUTOMATIC,
                                           k->scroll == 1 ? GTK_POLICY_ALWAYS : GTK_POLICY_AUTOMATIC);
            gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(w), 100);
            gtk_container_add(GTK_CONTAINER(w), it->main);
        }
        break;
    }
    case KAL_WG_DLIST:
        w = it->main = gtk_combo_box_text_new();
        g_signal_connect(w, "changed", G_CALLBACK(on_combo), it);
        break;
    case KAL_WG_STEXT:
        it->main = gtk_text_view_new();
        gtk_text_view_set_editable(GTK_TEXT_VIEW(it->main), FALSE);
        w = gtk_scrolled_window_new(NULL, NULL);
        gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(w), 18 * (k->lines > 0 ? k->lines : 1));
        gtk_container_add(GTK_CONTAINER(w), it->main);
        break;
    case KAL_WG_TEXT:
    case KAL_WG_LTEXT:
    case KAL_WG_FILE:
        it->main = gtk_entry_new();
        g_signal_connect(it->main, "changed", G_CALLBACK(on_changed), it);
        g_signal_connect(it->main, "activate", G_CALLBACK(on_activate), it);
        w = it->main;
        if (k->kind == KAL_WG_LTEXT) {
            it->label = gtk_label_new(k->text);
            gtk_label_set_xalign(GTK_LABEL(it->label), 0);
            w = labelled(it->label, it->main, k->percent, width);
        } else if (k->kind == KAL_WG_FILE) {
            g_object_set_data_full(G_OBJECT(it->main), "kal-mask", g_strdup(k->items), g_free);
            GtkWidget* button = gtk_button_new_with_label("File");
            g_signal_connect(button, "clicked", G_CALLBACK(on_file_button), it);
            w = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
            if (k->text && *k->text) {
                it->label = gtk_label_new(k->text);
                gtk_label_set_xalign(GTK_LABEL(it->label), 0);
                gtk_box_pack_start(GTK_BOX(w), it->label, FALSE, FALSE, 0);
            }
            GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
            gtk_box_pack_start(GTK_BOX(row), it->main, TRUE, TRUE, 0);
            gtk_box_pack_start(GTK_BOX(row), button, FALSE, FALSE, 0);
            gtk_box_pack_start(GTK_BOX(w), row, FALSE, FALSE, 0);
        }
        break;
    case KAL_WG_SCALE: {
        it->main = gtk_scale_new_with_range(k->vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, k->fmin,
                                            k->fmax, k->step > 0 ? k->step : 1);
        gtk_scale_set_digits(GTK_SCALE(it->main), k->digits);
        gtk_range_set_increments(GTK_RANGE(it->main), k->step, k->step * 10);
        if (k->vertical) {
            gtk_range_set_inverted(GTK_RANGE(it->main), TRUE);
            gtk_widget_set_size_request(it->main, -1, 150);
        }
        g_signal_connect(it->main, "value-changed", G_CALLBACK(on_scale), it);
        w = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
        it->label = gtk_label_new(k->text);
        gtk_label_set_xalign(GTK_LABEL(it->label), 0);
        gtk_box_pack_start(GTK_BOX(w), it->label, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(w), it->main, FALSE, FALSE, 0);
        break;
    }
    case KAL_WG_PUSH:
    case KAL_WG_OK:
    case KAL_WG_QUIT:
    case KAL_WG_CMD:
        w = it->main = gtk_button_new_with_label(k->text);
        g_signal_connect(w, "clicked", G_CALLBACK(on_click), it);
        break;
    case KAL_WG_DRAW:
        w = it->main = gtk_drawing_area_new();
        gtk_widget_set_size_request(w, width, k->height > 0 ? k->height : width);
        gtk_widget_add_events(w, GDK_BUTTON_PRESS_MASK);
        g_signal_connect(w, "button-press-event", G_CALLBACK(on_press), it);
        g_signal_connect(w, "draw", G_CALLBACK(on_blank), it);
        break;
    case KAL_WG_POPUP: {
        GtkWidget* item = gtk_menu_item_new_with_label(k->text);
        it->container = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), it->container);
        gtk_menu_shell_append(GTK_MENU_SHELL(menubar), item);
        it->top = item;
        set_value(it, k);
        return;
    }
    case KAL_WG_ENTRY: {
        GtkWidget* item = gtk_menu_item_new_with_label(k->text);
        g_signal_connect(item, "activate", G_CALLBACK(on_click), it);
        Item* menu = &d->items[k->parent];
        if (menu->container) gtk_menu_shell_append(GTK_MENU_SHELL(menu->container), item);
        it->top = it->main = item;
        set_value(it, k);
        return;
    }
    default:
        return;
    }
    it->top = w;
    if (k->kind != KAL_WG_DRAW && k->kind != KAL_WG_BASE) gtk_widget_set_size_request(w, width, k->h > 0 ? k->h : -1);
    if (k->kind == KAL_WG_BASE && k->w > 0 && k->x >= 0) gtk_widget_set_size_request(w, k->w, k->h);
    style(w, k);
    Item* parent = &d->items[k->parent];
    if (parent->layout == KAL_LAYOUT_FORM) {
        gtk_fixed_put(GTK_FIXED(parent->container), w, k->x > 0 ? k->x : 0, k->y > 0 ? k->y : 0);
    } else if (parent->container) {
        gtk_box_pack_start(GTK_BOX(parent->container), w, FALSE, FALSE, 0);
    }
    set_value(it, k);
}

typedef struct {
    const kal_dialog* d;
    int handle;
} OpenArgs;

static GtkWidget* menu_end(Dialog* d, const char* label, int end) {
    GtkWidget* m = gtk_menu_item_new_with_mnemonic(label);
    g_object_set_data(G_OBJECT(m), "kal-end", GINT_TO_POINTER(end));
    g_signal_connect(m, "activate", G_CALLBACK(on_menu_end), d);
    return m;
}

static void do_open(void* p) {
    OpenArgs* a = p;
    const kal_dialog* dd = a->d;
    int slot = 0;
    while (slot < MAX_DIALOGS && dialogs[slot].used) ++slot;
    if (slot == MAX_DIALOGS || dd->n < 1) return;
    Dialog* d = &dialogs[slot];
    memset(d, 0, sizeof *d);
    d->used = 1;
    g_queue_init(&d->events);
    d->n = dd->n;
    d->items = g_new0(Item, dd->n);
    d->help = dd->help ? g_strdup(dd->help) : NULL;
    d->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_window_set_wmclass(GTK_WINDOW(d->window), "kalwidget", "kalwidget");
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_window_set_title(GTK_WINDOW(d->window), dd->title);
    if (dd->w > 0) gtk_window_set_default_size(GTK_WINDOW(d->window), dd->w, dd->h);
    if (dd->centre) gtk_window_set_position(GTK_WINDOW(d->window), GTK_WIN_POS_CENTER);
    g_signal_connect(d->window, "delete-event", G_CALLBACK(on_delete), d);
    g_signal_connect(d->window, "destroy-event", G_CALLBACK(on_delete), d); /* by another client */
    g_signal_connect(d->window, "map-event", G_CALLBACK(on_map), &d->mapped);
    GtkWidget* outer = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(d->window), outer);
    GtkWidget* menubar = gtk_menu_bar_new();
    gtk_box_pack_start(GTK_BOX(outer), menubar, FALSE, FALSE, 0);
    if (dd->quit_entry) gtk_menu_shell_append(GTK_MENU_SHELL(menubar), menu_end(d, "_Quit", KAL_EV_QUIT));
    if (dd->ok_entry) gtk_menu_shell_append(GTK_MENU_SHELL(menubar), menu_end(d, "_Exit", KAL_EV_OK));
    if (dd->help_entry) {
        d->help_item = gtk_menu_item_new_with_mnemonic("_Help");
        gtk_widget_set_sensitive(d->help_item, dd->help != NULL);
        g_signal_connect(d->help_item, "activate", G_CALLBACK(on_help), d);
        gtk_menu_shell_append(GTK_MENU_SHELL(menubar), d->help_item);
    }
    const kal_widget* main = &dd->widgets[0];
    Item* root = &d->items[0];
    root->id = 0;
    root->kind = KAL_WG_MAIN;
    root->dialog = d;
    root->layout = main->layout;
    root->container = main->layout == KAL_LAYOUT_FORM ? gtk_fixed_new()
                      : gtk_box_new(main->layout == KAL_LAYOUT_HORI ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL,
                                    main->layout == KAL_LAYOUT_HORI ? dd->spacing[0] : dd->spacing[1]);
    gtk_widget_set_margin_start(root->container, dd->margin[0]);
    gtk_widget_set_margin_top(root->container, dd->margin[1]);
    gtk_widget_set_margin_end(root->container, dd->margin[2]);
    gtk_widget_set_margin_bottom(root->container, dd->margin[3]);
    gtk_box_pack_start(GTK_BOX(outer), root->container, TRUE, TRUE, 0);
    for (int i = 1; i < dd->n; ++i) build_item(d, dd, i, menubar);
    gtk_widget_show_all(d->window);
    for (int i = 1; i < dd->n; ++i)
        if (dd->widgets[i].state == KAL_STATE_INVISIBLE && d->items[i].top) gtk_widget_hide(d->items[i].top);
    if (dd->x >= 0 && !dd->centre) gtk_window_move(GTK_WINDOW(d->window), dd->x, dd->y);
    d->seq = ++opened;
    a->handle = slot + 1;
}

static Dialog* dialog_of(int handle) {
    return handle >= 1 && handle <= MAX_DIALOGS && dialogs[handle - 1].used ? &dialogs[handle - 1] : NULL;
}

static int t_open(const kal_dialog* d) {
    OpenArgs a = {d, 0};
    gui_sync(do_open, &a);
    return a.handle;
}

static int t_next_event(int handle, int ms, kal_widget_event* e) {
    Dialog* d = dialog_of(handle);
    if (!d) return 0;
    const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
    g_mutex_lock(&lock);
    kal_widget_event* got;
    while (!(got = g_queue_pop_head(&d->events)))
        if (ms <= 0 || !g_cond_wait_until(&changed, &lock, end)) break;
    g_mutex_unlock(&lock);
    if (!got) return 0;
    *e = *got;
    g_free(got);
    return 1;
}

typedef struct {
    int handle, id;
    const kal_widget* w;
} SetArgs;

static void do_set(void* p) {
    SetArgs* a = p;
    Dialog* d = dialog_of(a->handle);
    if (!d || a->id < 1 || a->id >= d->n) return;
    Item* it = &d->items[a->id];
    if (it->kind == KAL_WG_BOX && a->w->items) { /* a new list: the buttons stay, their labels change */
        gchar** items = items_of(a->w);
        for (int i = 0; i < it->nradio && items[i]; ++i) gtk_button_set_label(GTK_BUTTON(it->radios[i]), items[i]);
        g_strfreev(items);
    }
    set_value(it, a->w);
}

static void t_set(int handle, int id, const kal_widget* w) {
    SetArgs a = {handle, id, w};
    gui_sync(do_set, &a);
}

static void do_focus(void* p) {
    SetArgs* a = p;
    Dialog* d = dialog_of(a->handle);
    if (d && a->id >= 1 && a->id < d->n && d->items[a->id].main) gtk_widget_grab_focus(d->items[a->id].main);
}

static void t_focus(int handle, int id) {
    SetArgs a = {handle, id, NULL};
    gui_sync(do_focus, &a);
}

static void do_close(void* p) {
    Dialog* d = dialog_of(GPOINTER_TO_INT(p));
    if (!d) return;
    /* The fields' last texts, for the values after wgfin. */
    for (int i = 1; i < d->n; ++i) {
        Item* it = &d->items[i];
        if (it->kind == KAL_WG_TEXT || it->kind == KAL_WG_LTEXT || it->kind == KAL_WG_FILE)
            push(d, KAL_EV_VALUE, i, 0, 0, gtk_entry_get_text(GTK_ENTRY(it->main)));
    }
    gtk_widget_destroy(d->window);
    gdk_display_sync(gdk_display_get_default());
    g_mutex_lock(&lock);
    d->closed = 1;
    g_mutex_unlock(&lock);
}

static void t_close(int handle) {
    Dialog* d = dialog_of(handle);
    if (!d) return;
    if (!d->closed) {
        gui_sync(do_close, GINT_TO_POINTER(handle));
        return; /* the events stay for the library to drain; the next close frees */
    }
    g_mutex_lock(&lock);
    kal_widget_event* e;
    while ((e = g_queue_pop_head(&d->events))) {
        free(e->text);
        g_free(e);
    }
    for (int i = 0; i < d->n; ++i) {
        g_free(d->items[i].radios);
        if (d->items[i].picture) cairo_surface_destroy(d->items[i].picture);
    }
    g_free(d->items);
    g_free(d->help);
    memset(d, 0, sizeof *d);
    g_mutex_unlock(&lock);
}

typedef struct {
    int handle, id;
    unsigned long xid;
} XidArgs;

static void do_xid(void* p) {
    XidArgs* a = p;
    Dialog* d = dialog_of(a->handle);
    if (!d || d->closed || a->id < 0 || a->id >= d->n) return;
    GtkWidget* w = a->id == 0 ? d->window : d->items[a->id].main ? d->items[a->id].main : d->items[a->id].top;
    if (!w) return;
#ifdef GDK_WINDOWING_X11
    GdkWindow* g = gtk_widget_get_window(w);
    if (g && GDK_IS_X11_WINDOW(g)) a->xid = (unsigned long)gdk_x11_window_get_xid(g);
#endif
}

static unsigned long t_xid(int handle, int id) {
    XidArgs a = {handle, id, 0};
    gui_sync(do_xid, &a);
    return a.xid;
}

typedef struct {
    int handle, id;
    const unsigned char* rgb;
    int w, h;
} DrawArgs;

static void do_draw(void* p) {
    DrawArgs* a = p;
    Dialog* d = dialog_of(a->handle);
    if (!d || d->closed || a->id < 1 || a->id >= d->n || d->items[a->id].kind != KAL_WG_DRAW) return;
    Item* it = &d->items[a->id];
    if (it->picture && (cairo_image_surface_get_width(it->picture) != a->w ||
                        cairo_image_surface_get_height(it->picture) != a->h)) {
        cairo_surface_destroy(it->picture);
        it->picture = NULL;
    }
    if (!it->picture) it->picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a->w, a->h);
    cairo_surface_flush(it->picture);
    unsigned char* base = cairo_image_surface_get_data(it->picture);
    const int stride = cairo_image_surface_get_stride(it->picture);
    for (int y = 0; y < a->h; ++y) {
        const unsigned char* src = a->rgb + (size_t)y * a->w * 3;
        guint32* dst = (guint32*)(base + (size_t)y * stride);
        for (int x = 0; x < a->w; ++x, src += 3) dst[x] = (guint32)src[0] << 16 | (guint32)src[1] << 8 | src[2];
    }
    cairo_surface_mark_dirty(it->picture);
    gtk_widget_queue_draw(it->main);
}

static void t_draw(int handle, int id, const unsigned char* rgb, int w, int h) {
    DrawArgs a = {handle, id, rgb, w, h};
    if (w > 0 && h > 0) gui_sync(do_draw, &a);
}

/* ---- questions ---- */

static void answered(Ask* q, int done, int choice, const char* text) {
    g_mutex_lock(&lock);
    q->done = done;
    q->choice = choice;
    q->text = text ? strdup(text) : NULL;
    g_cond_broadcast(&changed);
    g_mutex_unlock(&lock);
}

static void on_ask_response(GtkDialog* dialog, gint response, gpointer p) {
    Ask* q = p;
    if (q->done) return;
    const int ok = response == GTK_RESPONSE_OK || response == GTK_RESPONSE_ACCEPT || response == GTK_RESPONSE_YES ||
                   response == GTK_RESPONSE_NO;
    if (!ok) {
        answered(q, -1, 0, NULL);
    } else if (q->kind == KAL_ASK_BUTTONS) {
        answered(q, 1, response == GTK_RESPONSE_YES, NULL);
    } else if (q->kind == KAL_ASK_LIST) {
        answered(q, 1, gtk_combo_box_get_active(GTK_COMBO_BOX(q->entry)) + 1, NULL);
    } else if (q->kind == KAL_ASK_TEXT) {
        answered(q, 1, 0, gtk_entry_get_text(GTK_ENTRY(q->entry)));
    } else if (q->kind == KAL_ASK_FILE) {
        char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        answered(q, name ? 1 : -1, 0, name);
        g_free(name);
    } else {
        answered(q, 1, 0, NULL);
    }
    gtk_widget_destroy(GTK_WIDGET(dialog));
    q->dialog = NULL;
}

typedef struct {
    const kal_ask* a;
    int handle;
} AskArgs;

static void do_ask(void* p) {
    AskArgs* aa = p;
    const kal_ask* a = aa->a;
    int slot = 0;
    while (slot < MAX_ASKS && asks[slot].used) ++slot;
    if (slot == MAX_ASKS) return;
    Ask* q = &asks[slot];
    memset(q, 0, sizeof *q);
    q->used = 1;
    q->kind = a->kind;
    GtkWidget* d;
    if (a->kind == KAL_ASK_MESSAGE || a->kind == KAL_ASK_BUTTONS) {
        d = gtk_message_dialog_new(NULL, 0, a->kind == KAL_ASK_MESSAGE ? GTK_MESSAGE_INFO : GTK_MESSAGE_QUESTION,
                                   GTK_BUTTONS_NONE, "%s", a->text);
        if (a->kind == KAL_ASK_MESSAGE) {
            gtk_dialog_add_button(GTK_DIALOG(d), "OK", GTK_RESPONSE_OK);
        } else {
            gtk_dialog_add_button(GTK_DIALOG(d), "Yes", GTK_RESPONSE_YES);
            gtk_dialog_add_button(GTK_DIALOG(d), "No", GTK_RESPONSE_NO);
            const int def = a->choice ? GTK_RESPONSE_YES : GTK_RESPONSE_NO;
            gtk_dialog_set_default_response(GTK_DIALOG(d), def);
            gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(d), def));
        }
    } else if (a->kind == KAL_ASK_FILE) {
        d = gtk_file_chooser_dialog_new(a->title, NULL, GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                        "_Open", GTK_RESPONSE_ACCEPT, NULL);
        add_filters(GTK_FILE_CHOOSER(d), a->items);
        start_in(GTK_FILE_CHOOSER(d), a->value);
        gtk_dialog_set_default_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    } else {
        d = gtk_dialog_new_with_buttons(a->title, NULL, 0, "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, NULL);
        GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(d));
        gtk_container_set_border_width(GTK_CONTAINER(area), 10);
        gtk_box_pack_start(GTK_BOX(area), gtk_label_new(a->text), FALSE, FALSE, 4);
        if (a->kind == KAL_ASK_LIST) {
            q->entry = gtk_combo_box_text_new();
            const char sep[2] = {a->sep ? a->sep : '|', 0};
            gchar** items = g_strsplit(a->items ? a->items : "", sep, -1);
            for (int i = 0; items[i]; ++i) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(q->entry), items[i]);
            g_strfreev(items);
            gtk_combo_box_set_active(GTK_COMBO_BOX(q->entry), a->choice - 1);
        } else {
            q->entry = gtk_entry_new();
            gtk_entry_set_text(GTK_ENTRY(q->entry), a->value ? a->value : "");
            gtk_entry_set_activates_default(GTK_ENTRY(q->entry), TRUE);
        }
        gtk_box_pack_start(GTK_BOX(area), q->entry, FALSE, FALSE, 4);
        gtk_dialog_set_default_response(GTK_DIALOG(d), GTK_RESPONSE_OK);
    }
    gtk_window_set_title(GTK_WINDOW(d), a->title);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_window_set_wmclass(GTK_WINDOW(d), "kaldialog", "kaldialog");
    G_GNUC_END_IGNORE_DEPRECATIONS
    q->dialog = d;
    g_signal_connect(d, "response", G_CALLBACK(on_ask_response), q);
    g_signal_connect(d, "destroy-event", G_CALLBACK(on_ask_destroyed), q);
    g_signal_connect(d, "map-event", G_CALLBACK(on_map), &q->mapped);
    gtk_widget_show_all(d);
    if (q->entry) gtk_widget_grab_focus(q->entry);
    q->seq = ++opened;
    aa->handle = slot + 1;
}

static int t_ask(const kal_ask* a) {
    AskArgs aa = {a, 0};
    gui_sync(do_ask, &aa);
    return aa.handle;
}

static Ask* ask_of(int handle) {
    return handle >= 1 && handle <= MAX_ASKS && asks[handle - 1].used ? &asks[handle - 1] : NULL;
}

static int t_answer(int handle, int ms, int* choice, char** text) {
    Ask* q = ask_of(handle);
    if (!q) return -1;
    const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
    g_mutex_lock(&lock);
    while (!q->done)
        if (ms <= 0 || !g_cond_wait_until(&changed, &lock, end)) break;
    const int done = q->done;
    if (done) {
        *choice = q->choice;
        *text = q->text;
        memset(q, 0, sizeof *q);
    }
    g_mutex_unlock(&lock);
    return done;
}

static void do_cancel(void* p) {
    Ask* q = ask_of(GPOINTER_TO_INT(p));
    if (q && q->dialog) gtk_dialog_response(GTK_DIALOG(q->dialog), GTK_RESPONSE_CANCEL);
}

static void t_cancel(int handle) {
    gui_sync(do_cancel, GINT_TO_POINTER(handle));
    int choice;
    char* text = NULL;
    t_answer(handle, 1000, &choice, &text);
    free(text);
}

typedef struct {
    const char *title, *text;
} NoticeArgs;

static void do_notice(void* p) {
    NoticeArgs* a = p;
    GtkWidget* d = gtk_message_dialog_new(NULL, 0, GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, "%s", a->text);
    gtk_window_set_title(GTK_WINDOW(d), a->title);
    g_signal_connect(d, "response", G_CALLBACK(gtk_widget_destroy), NULL);
    gtk_widget_show_all(d);
}

static void t_notice(const char* title, const char* text) {
    NoticeArgs a = {title, text};
    gui_sync(do_notice, &a);
}

/* ---- for tests ---- */

static void sync_display(void* p) {
    (void)p;
    gdk_display_sync(gdk_display_get_default());
}

static int t_test_shown(int ms) {
    const gint64 end = g_get_monotonic_time() + (gint64)ms * 1000;
    int handle = 0;
    g_mutex_lock(&lock);
    for (;;) {
        /* The newest dialog or question on the screen is the one tests act on. */
        unsigned best = 0;
        for (int i = 0; i < MAX_DIALOGS; ++i)
            if (dialogs[i].used && dialogs[i].mapped && !dialogs[i].closed && dialogs[i].seq > best) {
                best = dialogs[i].seq;
                newest_dialog = handle = i + 1;
                newest_is_ask = 0;
            }
        for (int i = 0; i < MAX_ASKS; ++i)
            if (asks[i].used && asks[i].mapped && !asks[i].done && asks[i].seq > best) {
                best = asks[i].seq;
                newest_ask = handle = i + 1;
                newest_is_ask = 1;
            }
        if (handle || !g_cond_wait_until(&changed, &lock, end)) break;
    }
    g_mutex_unlock(&lock);
    if (handle) gui_sync(sync_display, NULL);
    return handle;
}

typedef struct {
    int id;
    int* rect;
    int ok;
    const char *action, *value;
} TestArgs;

static GtkWidget* test_widget(int id) {
    if (newest_is_ask) {
        Ask* q = ask_of(newest_ask);
        return q ? (id == 0 ? q->dialog : q->entry) : NULL;
    }
    Dialog* d = dialog_of(newest_dialog);
    if (!d || d->closed || id < 0 || id >= d->n) return NULL;
    return id == 0 ? d->window : d->items[id].top;
}

static void do_rect(void* p) {
    TestArgs* a = p;
    GtkWidget* w = test_widget(a->id);
    if (!w || !gtk_widget_get_realized(w)) return;
    GtkWidget* top = gtk_widget_get_toplevel(w);
    int ox = 0, oy = 0, x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(top), &ox, &oy);
    GtkAllocation al;
    gtk_widget_get_allocation(w, &al);
    if (w != top) {
        gtk_widget_translate_coordinates(w, top, 0, 0, &x, &y);
    } else {
        al.width = gtk_widget_get_allocated_width(top);
        al.height = gtk_widget_get_allocated_height(top);
    }
    a->rect[0] = ox + x;
    a->rect[1] = oy + y;
    a->rect[2] = al.width;
    a->rect[3] = al.height;
    a->ok = gtk_widget_get_visible(w);
}

static int t_test_rect(int id, int* rect) {
    TestArgs a = {id, rect, 0, NULL, NULL};
    gui_sync(do_rect, &a);
    return a.ok;
}

static void do_act(void* p) {
    TestArgs* a = p;
    const char* act = a->action;
    if (newest_is_ask) {
        Ask* q = ask_of(newest_ask);
        if (!q || !q->dialog) return;
        if (!strcmp(act, "text") && q->entry && GTK_IS_ENTRY(q->entry))
            gtk_entry_set_text(GTK_ENTRY(q->entry), a->value);
        else if (!strcmp(act, "select") && q->entry)
            gtk_combo_box_set_active(GTK_COMBO_BOX(q->entry), atoi(a->value) - 1);
        else if (!strcmp(act, "file"))
            gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(q->dialog), a->value);
        else if (!strcmp(act, "ok"))
            gtk_dialog_response(GTK_DIALOG(q->dialog), q->kind == KAL_ASK_BUTTONS ? (atoi(a->value) ? GTK_RESPONSE_YES : GTK_RESPONSE_NO)
                                                       : q->kind == KAL_ASK_FILE ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_OK);
        else if (!strcmp(act, "close"))
            gtk_dialog_response(GTK_DIALOG(q->dialog), GTK_RESPONSE_DELETE_EVENT);
        else
            return;
        a->ok = 1;
        return;
    }
    Dialog* d = dialog_of(newest_dialog);
    if (!d || d->closed) return;
    if (!strcmp(act, "close")) {
        GdkEvent* e = gdk_event_new(GDK_DELETE);
        e->any.window = g_object_ref(gtk_widget_get_window(d->window));
        gtk_main_do_event(e);
        gdk_event_free(e);
        a->ok = 1;
        return;
    }
    if (!strcmp(act, "menu")) { /* value: the label of a menu bar entry */
        GList* kids = gtk_container_get_children(
            GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(d->window))));
        GtkWidget* bar = kids ? kids->data : NULL;
        g_list_free(kids);
        GList* entries = bar ? gtk_container_get_children(GTK_CONTAINER(bar)) : NULL;
        for (GList* l = entries; l; l = l->next)
            if (!strcmp(gtk_menu_item_get_label(l->data), a->value) && gtk_widget_is_sensitive(l->data)) {
                gtk_menu_item_activate(l->data);
                a->ok = 1;
            }
        g_list_free(entries);
        return;
    }
    if (a->id < 1 || a->id >= d->n) return;
    Item* it = &d->items[a->id];
    if (!gtk_widget_is_sensitive(it->top) || !gtk_widget_get_visible(it->top)) return; /* as for a user */
    const int n = a->value ? atoi(a->value) : 0;
    switch (it->kind) {
    case KAL_WG_BUTTON:
        gtk_button_clicked(GTK_BUTTON(it->main));
        break;
    case KAL_WG_BOX:
        if (n < 1 || n > it->nradio) return;
        gtk_button_clicked(GTK_BUTTON(it->radios[n - 1]));
        break;
    case KAL_WG_LIST: {
        GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(it->main), n - 1);
        if (!row) return;
        gtk_list_box_select_row(GTK_LIST_BOX(it->main), row);
        break;
    }
    case KAL_WG_DLIST:
        gtk_combo_box_set_active(GTK_COMBO_BOX(it->main), n - 1);
        break;
    case KAL_WG_TEXT:
    case KAL_WG_LTEXT:
        if (!strcmp(act, "activate"))
            g_signal_emit_by_name(it->main, "activate");
        else
            gtk_entry_set_text(GTK_ENTRY(it->main), a->value);
        break;
    case KAL_WG_FILE:
        if (!strcmp(act, "chosen")) { /* as the file dialog would */
            gtk_entry_set_text(GTK_ENTRY(it->main), a->value);
            push(d, KAL_EV_FIRE, it->id, 0, 0, a->value);
        } else {
            gtk_entry_set_text(GTK_ENTRY(it->main), a->value);
        }
        break;
    case KAL_WG_SCALE:
        gtk_range_set_value(GTK_RANGE(it->main), g_ascii_strtod(a->value, NULL));
        break;
    case KAL_WG_DRAW:
        on_click(NULL, it);
        break;
    case KAL_WG_ENTRY:
        gtk_menu_item_activate(GTK_MENU_ITEM(it->main));
        break;
    default:
        if (GTK_IS_BUTTON(it->main)) gtk_button_clicked(GTK_BUTTON(it->main));
        break;
    }
    a->ok = 1;
}

static int t_test_act(int id, const char* action, const char* value) {
    TestArgs a = {id, NULL, 0, action, value ? value : ""};
    gui_sync(do_act, &a);
    return a.ok;
}

static const kal_widget_toolkit TOOLKIT = {
    KAL_TOOLKIT_VERSION, t_open,   t_next_event, t_set,         t_focus,       t_close,    t_xid, t_ask,
    t_answer,            t_cancel, t_notice,     t_draw, t_test_shown,  t_test_rect,   t_test_act};

__attribute__((visibility("default"))) const kal_widget_toolkit* kalvor_gtk_widgets(int version) {
    if (version != KAL_TOOLKIT_VERSION) return NULL;
    /* The presenter starts the GUI thread; without a display neither works. */
    return kalvor_gtk_presenter(KAL_PRESENTER_VERSION) ? &TOOLKIT : NULL;
}
