// The label settings: defaults, reset keys and the routines that set them.
#include "plot2d/labels.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "api/routines_axis_labels_names_titles_and_numbers.h"
#include "api/routines_contouring.h"
#include "api/routines_bar_graphs_and_pie_charts.h"
#include "api/routines_life_cycle.h"
#include "core/context.h"
#include "core/frame.h"
#include "plot2d/keyword_axes.h"

namespace kal {
namespace {

const char* const LABEL_KEYS = "NONE+FLOA+EXP +LOG +CLOG+ELOG+MAP +DMAP+LMAP+TIME+HOUR+SECO+MYLA+FEXP+DATE";
constexpr int MAX_NAME = 132;
constexpr int MAX_MYLAB_TEXT = 32;

// round(value / unit factor), at least 1.
int page_size(const Context& ctx, double value) {
    const double units = ctx.page.units > 0 ? ctx.page.units : 1.0;
    return std::max(1, static_cast<int>(std::lround(value / units)));
}

// Runs `set` for every axis the keyword names.
template <class F>
void for_axes(Context& ctx, const char* key, F set) {
    const int bits = axis_bits(ctx, key);
    for (int i = 0; i < AXIS_COUNT; ++i)
        if (bits & (1 << i)) set(ctx.labels.axis[i]);
}

void each_axis(Context& ctx, void (*f)(Context&, LabelAxis&)) {
    for (LabelAxis& a : ctx.labels.axis) f(ctx, a);
}

void reset_labels(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.type = LABEL_FLOA; }); }
void reset_digits(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.digits = 1; }); }
void reset_labdis(Context& ctx) {
    reset_digits(ctx);
    each_axis(ctx, [](Context& c, LabelAxis& a) { a.distance = page_size(c, 24); });
}
void reset_labjus(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.justify = LABJUS_AUTO; }); }
void reset_labpos(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.position = LABPOS_TICK; }); }
void reset_labtyp(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.vertical = false; }); }
void reset_mylab(Context& ctx) {
    each_axis(ctx, [](Context&, LabelAxis& a) {
        for (std::string& s : a.mylab) s.clear();
    });
}
void reset_namdis(Context& ctx) {
    each_axis(ctx, [](Context& c, LabelAxis& a) { a.name_distance = page_size(c, 30); });
}
void reset_name(Context& ctx) { each_axis(ctx, [](Context&, LabelAxis& a) { a.name.clear(); }); }
void reset_hname(Context& ctx) { ctx.labels.name_height = page_size(ctx, 36); }
void reset_htitle(Context& ctx) { ctx.labels.title.height = 0; }
void reset_numfmt(Context& ctx) { ctx.labels.number_form = NUMFMT_FLOA; }
void reset_numode(Context& ctx) { ctx.labels.mode = NumberMode{}; }
void reset_rvynam(Context& ctx) { ctx.labels.reverse_names = false; }
void reset_timopt(Context& ctx) { ctx.labels.time_colons = false; }
void reset_title(Context& ctx) {
    const int height = ctx.labels.title.height, shift = ctx.labels.title.shift;
    ctx.labels.title = TitleState{};
    ctx.labels.title.height = height;
    ctx.labels.title.shift = shift;
}
void reset_vkytit(Context& ctx) { ctx.labels.title.shift = 0; }

const ResetKey LABEL_RESET_KEYS[] = {
    {"LABE", reset_labels}, {"DIGI", reset_digits}, {"LABD", reset_labdis}, {"LABJ", reset_labjus},
    {"LABP", reset_labpos}, {"LABT", reset_labtyp}, {"MYLA", reset_mylab},  {"NAMD", reset_namdis},
    {"NAME", reset_name},   {"HNAM", reset_hname},  {"HTIT", reset_htitle}, {"NUMF", reset_numfmt},
    {"NUMO", reset_numode}, {"RVYN", reset_rvynam}, {"TIMO", reset_timopt}, {"TITL", reset_title},
    {"VKYT", reset_vkytit},
};

void set_digits(Context& ctx, int ndig, const char* axes) {
    if (out_of_range(ctx, ndig, -1, 100)) return;
    for_axes(ctx, axes, [&](LabelAxis& a) { a.digits = ndig; });
}

std::string cut(const char* text, size_t n) {
    std::string s = text ? text : "";
    if (s.size() > n) s.resize(n);
    return s;
}

// labmod keys and their value lists (first three letters count).
const char* const DATE_PART_KEYS = "NAME+SHOR+NONE+FULL+LONG+TINY";
const int DATE_PART_FORMS[] = {DATE_NAME, DATE_SHORT, DATE_NONE, DATE_FULL, DATE_LONG, DATE_TINY};

// keyword_index on the first three letters only.
int three_letter_index(const char* list, const char* key) {
    char k[4] = {};
    for (int i = 0; i < 3 && key && key[i]; ++i) k[i] = key[i];
    return keyword_index(list, k);
}

// Applies one labmod setting to `form`; false when the value is unknown.
bool apply_labmod(DateForm& form, int which, const char* value) {
    switch (which) {
        case 1: {  // YEA
            const int k = keyword_index("FULL+SHOR+NONE", value);
            if (k == 0) return false;
            form.year = k == 1 ? DATE_FULL : k == 2 ? DATE_SHORT : DATE_NONE;
            return true;
        }
        case 2:    // DAY
        case 3: {  // MON
            const int k = keyword_index(which == 2 ? "NAME+SHOR+NONE+FULL+LONG" : DATE_PART_KEYS, value);
            if (k == 0) return false;
            (which == 2 ? form.day : form.month) = DATE_PART_FORMS[k - 1];
            return true;
        }
        case 4: {  // LAN
            const int k = keyword_index("ENGL+GERM", value);
            if (k == 0) return false;
            form.german = k == 2;
            return true;
        }
        case 5: {  // FOR
            if (three_letter_index("DMY +DYM +MDY +MYD +YDM +YMD ", value) == 0) return false;
            for (int i = 0; i < 3; ++i) form.order[i] = static_cast<char>(value[i] & ~0x20);
            return true;
        }
        case 6:  // SEP
            if (!value || std::strlen(value) != 1) return false;
            form.separator = value[0];
            return true;
        case 7: {  // CAS
            const int k = keyword_index("NONE+UPPE", value);
            if (k == 0) return false;
            form.upper = k == 2;
            return true;
        }
        case 8: {  // STE: months between labels, as the axis record counts them
            const int k = keyword_index("DAYS+MONT+QUAR+HALF+YEAR+DMON", value);
            if (k == 0) return false;
            const int steps[] = {0, 1, 2, 3, 4, 1};
            form.step = steps[k - 1];
            return true;
        }
        default: return false;
    }
}

}  // namespace

const ResetKeys LabelState::reset_keys = LABEL_RESET_KEYS;

// The base date of basdat is no plotting setting: it stays.
void LabelState::reset(Context& ctx) {
    const bool has_base = ctx.labels.has_base_date;
    const long base = ctx.labels.base_day;
    ctx.labels = LabelState{};
    ctx.labels.has_base_date = has_base;
    ctx.labels.base_day = base;
    reset_labdis(ctx);
    reset_namdis(ctx);
    reset_hname(ctx);
}

namespace {

// The contour keyword (CON, CONT, CONTOUR: the first three letters) names
// the labels of contour lines, kept with the contour settings.
bool contour_key(const char* axes) {
    const auto up = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
    return std::strlen(axes) >= 3 && up(axes[0]) == 'C' && up(axes[1]) == 'O' && up(axes[2]) == 'N';
}
// The plot kinds of the bar and pie labels that labels, labdig, labclr and
// labpos take in place of axes: 0 when `axes` names none of them.
enum : int { CHART_BAR = 1, CHART_PIE, CHART_DAT, CHART_PER };
int chart_kind(const char* axes) { return keyword_index("BAR +PIE +DAT +PER ", axes); }

}  // namespace

void labels(Context& ctx, const char* type, const char* axes) {
    if (contour_key(axes)) {
        const int k = keyword(ctx, "NONE+FLOA+CONL", type);
        if (k > 0) ctx.contour.label_mode = k - 1;
        return;
    }
    switch (chart_kind(axes)) {
        case CHART_BAR: {
            const int k = keyword(ctx, "NONE+SECO+FIRS+MAXI+MINI+DELT+POSI", type);
            if (k > 0) ctx.labels.chart.bar_value = k - 1;
            return;
        }
        case CHART_PIE: {
            const int k = keyword(ctx, "NONE+PERC+DATA+BOTH", type);
            if (k > 0) ctx.labels.chart.pie_value = k - 1;
            return;
        }
        case CHART_DAT:
        case CHART_PER: warn_text(ctx, 2, axes); return;
        default: break;
    }
    const int k = keyword(ctx, LABEL_KEYS, type);
    if (k > 0) for_axes(ctx, axes, [&](LabelAxis& a) { a.type = k - 1; });
}

void labdig(Context& ctx, int ndig, const char* axes) {
    if (contour_key(axes)) {
        if (!out_of_range(ctx, ndig, -1, 100)) ctx.contour.label_digits = ndig;
        return;
    }
    const int kind = chart_kind(axes);
    if (kind == 0) {
        set_digits(ctx, ndig, axes);
        return;
    }
    if (out_of_range(ctx, ndig, -1, 100)) return;
    ChartLabels& c = ctx.labels.chart;
    if (kind == CHART_BAR) c.bar_digits = ndig;
    if (kind == CHART_PIE || kind == CHART_DAT) c.data_digits = ndig;
    if (kind == CHART_PIE || kind == CHART_PER) c.percent_digits = ndig;
}

// labclr: the colour of the labels of one kind of plot, by keyword; -1 is
// the colour of the drawing itself.
void labclr(Context& ctx, int colour, const char* kind) {
    if (contour_key(kind)) {
        if (!out_of_range(ctx, colour, -1, -2)) ctx.contour.label_colour = colour;
        return;
    }
    struct Target {
        const char* key;
        int ChartLabels::*colour;
    };
    static const Target TARGETS[] = {{"BAR ", &ChartLabels::bar_colour}, {"PIE ", &ChartLabels::pie_colour}};
    std::string keys;
    for (const Target& t : TARGETS) keys += std::string(keys.empty() ? "" : "+") + t.key;
    const int k = keyword(ctx, keys.c_str(), kind);
    if (k == 0 || out_of_range(ctx, colour, -1, -2)) return;
    ctx.labels.chart.*TARGETS[k - 1].colour = colour;
}
void digits(Context& ctx, int ndig, const char* axes) { set_digits(ctx, ndig, axes); }

void labdis(Context& ctx, int n, const char* axes) {
    if (contour_key(axes)) {
        if (!out_of_range(ctx, n, 1, 10000)) ctx.contour.label_distance = n;
        return;
    }
    if (!out_of_range(ctx, n, 1, 10000)) for_axes(ctx, axes, [&](LabelAxis& a) { a.distance = n; });
}

void labpos(Context& ctx, const char* mode, const char* axes) {
    const int kind = chart_kind(axes);
    if (kind == CHART_BAR) {
        static const int CODES[] = {0, 22, 12, 21, 21, 23, 23, 32};
        const int k = keyword(ctx, "AUTO+INSI+OUTS+LEFT+ABOV+RIGH+BELO+CENT", mode);
        if (k > 0) ctx.labels.chart.bar_position = CODES[k - 1];
        return;
    }
    if (kind == CHART_PIE) {
        const int k = keyword(ctx, "INTE+EXTE+ALIG", mode);
        if (k > 0) ctx.labels.chart.pie_position = k - 1;
        return;
    }
    if (kind != 0) {
        warn_text(ctx, 2, axes);
        return;
    }
    const int k = keyword(ctx, "TICK+CENT+SHIF", mode);
    if (k > 0) for_axes(ctx, axes, [&](LabelAxis& a) { a.position = k - 1; });
}

void labtyp(Context& ctx, const char* mode, const char* axes) {
    const int k = keyword(ctx, "HORI+VERT", mode);
    if (k > 0) for_axes(ctx, axes, [&](LabelAxis& a) { a.vertical = k == 2; });
}

void labjus(Context& ctx, const char* mode, const char* axes) {
    const int k = keyword(ctx, "AUTO+LEFT+RIGH+OUTW+INWA", mode);
    if (k > 0) for_axes(ctx, axes, [&](LabelAxis& a) { a.justify = k - 1; });
}

void labmod(Context& ctx, const char* key, const char* value, const char* axes) {
    const int which = three_letter_index("YEA +DAY +MON +LAN +FOR +SEP +CAS +STE ", key);
    if (which == 0) {
        warn_text(ctx, 2, key);
        return;
    }
    DateForm probe;
    if (!apply_labmod(probe, which, value)) {
        warn_text(ctx, 2, value);
        return;
    }
    for_axes(ctx, axes, [&](LabelAxis& a) { apply_labmod(a.date, which, value); });
}

void name(Context& ctx, const char* text, const char* axes) {
    const std::string s = cut(text, MAX_NAME);
    for_axes(ctx, axes, [&](LabelAxis& a) { a.name = s; });
}

void namdis(Context& ctx, int n, const char* axes) {
    if (!out_of_range(ctx, n, -10000, 10000)) for_axes(ctx, axes, [&](LabelAxis& a) { a.name_distance = n; });
}

void namjus(Context& ctx, const char* mode, const char* axes) {
    const int k = keyword(ctx, "CENT+LEFT+RIGH", mode);
    if (k > 0) for_axes(ctx, axes, [&](LabelAxis& a) { a.name_justify = k - 1; });
}

void hname(Context& ctx, int h) {
    if (!out_of_range(ctx, h, 1, 10000)) ctx.labels.name_height = h;
}

void mylab(Context& ctx, const char* text, int index, const char* axes) {
    if (out_of_range(ctx, index, 1, MAX_MYLAB)) return;
    const int bits = axis_bits(ctx, axes);
    if (!bits) return;
    bool replaced = false;
    for (int i = 0; i < AXIS_COUNT; ++i) {
        if (!(bits & (1 << i))) continue;
        std::string& slot = ctx.labels.axis[i].mylab[index - 1];
        replaced = replaced || !slot.empty();
        slot = cut(text, MAX_MYLAB_TEXT);
    }
    if (replaced) warn(ctx, 6);
}

void numfmt(Context& ctx, const char* form) {
    const int k = keyword(ctx, "FLOA+EXP +FEXP+LOG ", form);
    if (k > 0) ctx.labels.number_form = k - 1;
}

void numode(Context& ctx, const char* decimal, const char* group, const char* sign, const char* equal) {
    const int d = keyword(ctx, "POIN+COMM", decimal);
    const int g = keyword(ctx, "NONE+SPAC+POIN+COMM", group);
    const int s = keyword(ctx, "NONE+SPAC+PLUS", sign);
    const int e = keyword(ctx, "NOEQ+EQUA", equal);
    if (d == 0 || g == 0 || s == 0 || e == 0) return;
    NumberMode& m = ctx.labels.mode;
    m.decimal = d == 1 ? '.' : ',';
    m.group = "\0 .,"[g - 1];
    m.sign = "\0 +"[s - 1];
    m.equal = e == 2;
}

void timopt(Context& ctx) { ctx.labels.time_colons = true; }

void rvynam(Context& ctx) { ctx.labels.reverse_names = true; }

void getlab(Context& ctx, char* x, char* y, char* z) {
    static const char* const NAMES[] = {"NONE", "FLOAT", "EXP",  "LOG",     "CLOG",  "ELOG", "MAP", "DMAP",
                                        "LMAP", "TIME",  "HOUR", "SECONDS", "MYLAB", "FEXP", "DATE"};
    char* out[AXIS_COUNT] = {x, y, z};
    for (int i = 0; i < AXIS_COUNT; ++i)
        if (out[i]) std::strcpy(out[i], NAMES[ctx.labels.axis[i].type]);
}

}  // namespace kal
