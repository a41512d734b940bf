/* The dialog toolkit: what draws the widgets of a dialog on a display. The
 * GTK plug-in (plugins/gtk/widgets.c) fills this plain table; the library
 * describes a dialog as an array of kal_widget (the index is the widget's
 * identifier), and reads the user's changes back as events. Every call may
 * come from any plotting thread; the plug-in runs GTK on its own thread.
 * Texts cross as UTF-8. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define KAL_TOOLKIT_VERSION 1

enum kal_widget_kind {
    KAL_WG_MAIN = 1, KAL_WG_BASE, KAL_WG_LABEL, KAL_WG_BUTTON, KAL_WG_BOX, KAL_WG_LIST, KAL_WG_DLIST,
    KAL_WG_STEXT, KAL_WG_TEXT, KAL_WG_LTEXT, KAL_WG_FILE, KAL_WG_SCALE, KAL_WG_PUSH, KAL_WG_OK,
    KAL_WG_QUIT, KAL_WG_CMD, KAL_WG_DRAW, KAL_WG_POPUP, KAL_WG_ENTRY
};

enum { KAL_LAYOUT_VERT = 1, KAL_LAYOUT_HORI = 2, KAL_LAYOUT_FORM = 3 };
enum { KAL_STATE_ACTIVE = 0, KAL_STATE_INACTIVE = 1, KAL_STATE_INVISIBLE = 2 };

typedef struct kal_widget {
    int kind, parent, layout;
    int x, y, w, h;             /* FORM children and the main window: position and size, -1 free */
    const char* text;           /* label, button text, title */
    const char* text2;          /* text of a field, file name, shown value */
    const char* items;          /* item list, items separated by `sep` */
    char sep;
    int value;                  /* button state, selection from 1 (0 none) */
    double fvalue, fmin, fmax, step;
    int digits;
    int state;                  /* KAL_STATE_* */
    int lines;                  /* scrolled text: lines shown */
    int percent;                /* label width of a labelled field */
    int justify;                /* 0 left, 1 centre, 2 right */
    int vertical;               /* scale orientation */
    int scroll;                 /* list scrolling: 0 auto, 1 scrolled, 2 none, 3 vertical */
    int height;                 /* drawing area height */
    const char* font;           /* NULL: the theme's; a fontconfig family */
    int font_size, bold, italic;
    int back, fore;             /* 0xRRGGBB, -1 the theme's */
    int call_mode;              /* texts: 0 Return, 1 every change, 2 both */
} kal_widget;

typedef struct kal_dialog {
    const kal_widget* widgets;  /* widgets[0] is the main widget */
    int n;
    const char* title;
    const char* help;           /* NULL: the Help entry is grey */
    int ok_entry, quit_entry, help_entry;
    int x, y, w, h;             /* the window; x < 0: the window manager's place */
    int centre;                 /* POSI CENT */
    int margin[4];              /* left, top, right, bottom */
    int spacing[2];             /* pixels between children across and down */
    int width;                  /* default widget width */
    int mask_user;              /* MASK USER: the file chooser filter is the given mask only */
} kal_dialog;

enum {
    KAL_EV_VALUE = 1,  /* a widget's value changed; no callback */
    KAL_EV_FIRE = 2,   /* a widget's value changed (or it was pressed): its callback runs */
    KAL_EV_OK = 3,     /* the dialog ends by OK */
    KAL_EV_QUIT = 4,   /* the dialog ends by Quit */
    KAL_EV_CLOSE = 5   /* the window was closed */
};

typedef struct kal_widget_event {
    int kind, id;
    int value;
    double fvalue;
    char* text;        /* malloc'ed by the plug-in, freed by the library; NULL none */
} kal_widget_event;

enum { KAL_ASK_MESSAGE = 1, KAL_ASK_BUTTONS, KAL_ASK_LIST, KAL_ASK_TEXT, KAL_ASK_FILE };

typedef struct kal_ask {
    int kind;
    const char* title;
    const char* text;
    const char* items;  /* list; the file mask */
    char sep;
    const char* value;  /* default text, file name */
    int choice;         /* default button (1 Yes, 0 No) or item from 1 */
    int mask_user;
} kal_ask;

typedef struct kal_widget_toolkit {
    int version;
    /* Builds and shows a dialog; its handle (> 0) or 0. */
    int (*open)(const kal_dialog* d);
    /* The next event of dialog `handle`, waiting at most ms; 0 none. */
    int (*next_event)(int handle, int ms, kal_widget_event* e);
    /* Shows widget id's new value or state, without an event. */
    void (*set)(int handle, int id, const kal_widget* w);
    void (*focus)(int handle, int id);
    void (*close)(int handle);
    /* The X11 window of widget id (0 the main window); 0 when none. */
    unsigned long (*xid)(int handle, int id);
    /* A modal question; its handle, 0 when it could not show. */
    int (*ask)(const kal_ask* a);
    /* Waits at most ms for the answer: 1 answered (choice, text: malloc'ed
       or NULL), -1 closed or cancelled, 0 not yet. */
    int (*answer)(int handle, int ms, int* choice, char** text);
    void (*cancel)(int handle);
    /* A message that nobody waits for. */
    void (*notice)(const char* title, const char* text);
    /* Shows a picture (h rows of w * 3 bytes, RGB) in drawing widget id. */
    void (*draw)(int handle, int id, const unsigned char* rgb, int w, int h);
    /* For tests: waits at most ms for a dialog or question on the screen
       (its handle, 0 none); the rectangle of widget id (0: the window; in
       root coordinates); acts on widget id as a user would. */
    int (*test_shown)(int ms);
    int (*test_rect)(int id, int* rect);
    int (*test_act)(int id, const char* action, const char* value);
} kal_widget_toolkit;

typedef const kal_widget_toolkit* (*kal_toolkit_entry)(int version);

#ifdef __cplusplus
}
#endif
