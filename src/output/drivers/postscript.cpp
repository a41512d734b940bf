#include "output/drivers/postscript.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/clock.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/colour_table.h"
#include "output/font_metrics.h"
#include "output/primitives.h"
#include "output/record.h"

namespace kal {
namespace {

constexpr double POINTS_PER_UNIT = 0.1417322835;  // 1/20 mm in points
constexpr double VERSION = 9.1;

// trunc(v + 0.5), kept inside the int range.
int round_up(double v) {
    const double r = std::trunc(v + 0.5);
    return std::fabs(r) < 1e9 ? static_cast<int>(r) : clamp_int(r);
}

// The procedures every file defines, one string per line.
const char* const PROCEDURES[] = {
    "2 setlinecap 2 setlinejoin",
    "/cm {0.1417322835 mul} def /rgb {255 div} def /lc 1 string def",
    "/u  { /y exch cm def /x exch cm def newpath  x y moveto } def",
    "/d  { /y exch cm def /x exch cm def x y lineto } def",
    "/p  { stroke } def",
    "/e { /b exch rgb def /g exch rgb def",
    " /r exch rgb def /v exch cm def /w exch cm def /y exch cm def",
    " /x exch cm def gsave r g b setrgbcolor newpath x y moveto",
    " w y lineto w v lineto x v lineto closepath fill grestore } def",
    "/f { /b exch rgb def /g exch rgb def",
    " /r exch rgb def r g b setrgbcolor } def",
    "/text { /c1 exch def /a exch def /y exch cm def /x exch cm def",
    " /Name exch def gsave x y moveto x y translate a rotate c1 0 gt",
    " { Name stringwidth 2 div neg exch 2 div neg exch rmoveto }",
    " {} ifelse Name show grestore } def /font { /h exch def",
    " /s exch def s findfont h scalefont setfont } def",
    "/c { /a exch def /y exch cm def /x exch cm def /i exch def",
    " gsave x y moveto x y translate a rotate lc 0 i put lc",
    " stringwidth 2 div neg exch 2 div neg exch rmoveto lc show",
    " grestore } def",
    "/sec { /b exch rgb def /g exch rgb def /r exch rgb def",
    " /a2 exch def /a exch def /r2 exch cm def /r1 exch cm def",
    " /y exch cm def /x exch cm def gsave r g b setrgbcolor newpath",
    " x y r1 a a2 arc x y r2 a2 a arcn closepath fill grestore } def",
    "/tri { /y3 exch cm def /x3 exch cm def /y2 exch cm def",
    " /x2 exch cm def /y1 exch cm def /x1 exch cm def",
    " gsave newpath x1 y1 moveto",
    " x2 y2 lineto x3 y3 lineto closepath fill grestore } def",
    "/Reencsmalldict 12 dict def",
    "/ReEncodeSmall",
    "{ Reencsmalldict begin",
    "  /NewCodesAndNames exch def",
    "  /NewFontName exch def",
    "  /BaseFontName exch def",
    "  /BaseFontDict",
    "  BaseFontName findfont def",
    "  /NewFont BaseFontDict",
    "  maxlength dict def",
    "  BaseFontDict",
    "  { exch dup /FID ne",
    "    { dup /Encoding eq",
    "      { exch dup length array copy",
    "        NewFont 3 1 roll put",
    "      }",
    "      { exch NewFont 3 1 roll put",
    "      } ifelse",
    "      }",
    "      {pop pop} ifelse",
    "    } forall",
    "    NewFont",
    "    /FontName NewFontName put",
    "    NewCodesAndNames aload pop",
    "    NewCodesAndNames",
    "    length 2 idiv",
    "    { NewFont /Encoding get",
    "    3 1 roll put  } repeat",
    "    NewFontName NewFont",
    "    definefont pop end } def",
};

// Glyphs of the German code vector, from octal 200 upwards (177 is
// Adieresis, on the opening line).
const char* const GERMAN_GLYPHS[] = {
    "Odieresis",   "Udieresis",   "adieresis",   "odieresis",   "udieresis",   "germandbls",
    "Aring",       "Oslash",      "AE",          "aring",       "oslash",      "ae",
    "Ntilde",      "ntilde",      "Ccedilla",    "ccedilla",    "Edieresis",   "Idieresis",
    "edieresis",   "idieresis",   "Aacute",      "Eacute",      "Iacute",      "Oacute",
    "Uacute",      "aacute",      "eacute",      "iacute",      "oacute",      "uacute",
    "Agrave",      "Egrave",      "Igrave",      "Ograve",      "Ugrave",      "agrave",
    "egrave",      "igrave",      "ograve",      "ugrave",      "Acircumflex", "Ecircumflex",
    "Icircumflex", "Ocircumflex", "Ucircumflex", "acircumflex", "ecircumflex", "icircumflex",
    "ocircumflex", "ucircumflex", "Atilde",      "atilde",      "Otilde",      "otilde",
    "Yacute",      "yacute",      "ydieresis",   "exclamdown",  "questiondown",
};
constexpr int GERMAN_COUNT = sizeof(GERMAN_GLYPHS) / sizeof(GERMAN_GLYPHS[0]);

// Three code/glyph pairs to a line; the last eight glyphs go two to a line,
// and the last line closes the array.
void write_german_vector(OutputSink& out) {
    out.text(" /GermanVec [ 8#177 /Adieresis\n");
    static_assert(GERMAN_COUNT == 59);
    int i = 0;
    while (i < GERMAN_COUNT) {
        const int per_line = i < GERMAN_COUNT - 8 ? 3 : 2;
        for (int k = 0; k < per_line; ++k, ++i) out.format(" 8#%o /%s", 0200 + i, GERMAN_GLYPHS[i]);
        out.text(i == GERMAN_COUNT ? " ] def\n" : "\n");
    }
}

// One device unit origin coordinate from an hworig value: tenths of a
// millimetre times the unit factor, two device units each.
int origin_units(int value, double units) {
    return clamp_int(2.0 * std::trunc(value * units + 0.5));
}

// Appends "<v> " to out; returns the new end. The word writer drops the
// padding of "%5d" anyway, so the digits alone give the same output.
char* int_word(char* out, int v) {
    out = std::to_chars(out, out + 12, v).ptr;
    *out++ = ' ';
    return out;
}

}  // namespace

bool PostScriptDriver::rotated(const Context& ctx) const { return page_turned(ctx.page, device_); }

PostScriptDriver::Point PostScriptDriver::to_device(const Context& ctx, double x, double y) const {
    const DevicePoint d = device_point(ctx, x, y);
    return {round_up(d.x), round_up(d.y)};
}

void PostScriptDriver::words(Context& ctx, const char* text) {
    ctx.out.record.write_words(sink(), text, static_cast<int>(std::strlen(text)));
}

void PostScriptDriver::end_line(Context& ctx) { ctx.out.record.write_words(sink(), "", -1); }

// ---- life cycle ----

bool PostScriptDriver::paints_background(const Context& ctx) const {
    return device_ != DEV_POST && ctx.page.background != 2;
}

void PostScriptDriver::background(Context& ctx, bool in_header) {
    const double s = ctx.out.factor;
    const int a = round_up(ctx.page.height * s);
    const int b = round_up(ctx.page.width * s);
    char buf[96];
    if (rotated(ctx))
        std::snprintf(buf, sizeof buf, "0 0 %d %d 0 0 0 e", a, b);
    else
        std::snprintf(buf, sizeof buf, "0 %d %d 0 0 0 0 e", a, b);
    if (in_header) {
        sink().format("%s\n", buf);
    } else {
        words(ctx, buf);
        words(ctx, " ");
    }
}

void PostScriptDriver::header(Context& ctx) {
    OutputSink& out = sink();
    const PageState& p = ctx.page;
    const double s = ctx.out.factor;
    const double k = POINTS_PER_UNIT;
    const bool turned = rotated(ctx);
    const int ox = p.hw_origin ? origin_units(p.hw_ox, p.units) : 150;
    const int oy = p.hw_origin ? origin_units(p.hw_oy, p.units) : 200;
    const double across = (turned ? p.height : p.width) * s;  // paper x extent
    const double up = (turned ? p.width : p.height) * s;      // paper y extent

    out.text(device_ == DEV_EPS ? "%!PS-Adobe-3.0 EPSF-3.0\n" : "%!PS-Adobe-2.0\n");
    out.format("%s %d %d %d %d\n", "%%BoundingBox: ", clamp_int(std::trunc(ox * k)),
                 clamp_int(std::trunc(oy * k)), clamp_int(std::trunc((across + ox) * k + 1.0)),
                 clamp_int(std::trunc((up + oy) * k + 1.0)));
    out.format(turned ? "%s %4.1f L\n" : "%s %4.1f P\n", "%%Creator: KALVOR ", VERSION);
    const DateTime t = now();
    out.format("%s %s , %s\n", "%%CreationDate:", date_text(t).c_str(), time_text(t).c_str());
    out.text("%%EndComments\n%%Page: 1 1\n");
    for (const char* line : PROCEDURES) out.format("%s\n", line);
    write_german_vector(out);
    out.format("%5d cm %5d %s %10.6f%10.6f scale\n", ox, oy, "cm translate 5 cm setlinewidth", 1.0, 1.0);
    if (paints_background(ctx)) background(ctx, true);
}

void PostScriptDriver::open(Context& ctx) {
    ctx.out.colour_depth = 24;
    if (ctx.out.file) header(ctx);
    path(ctx, 0, 0, PATH_OPEN);
}

void PostScriptDriver::new_page(Context& ctx) {
    if (device_ == DEV_EPS) return;
    path(ctx, 0, 0, PATH_END);
    words(ctx, "copypage ");
    end_line(ctx);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s %8d ", "%%Page: 1", ctx.page.page_counter + 1);
    words(ctx, buf);
    end_line(ctx);
    if (paints_background(ctx))
        background(ctx, false);
    else
        words(ctx, "erasepage ");
    colour(ctx, ctx.out.current_colour);
}

int PostScriptDriver::close(Context& ctx) {
    path(ctx, 0, 0, PATH_CLOSE);
    words(ctx, "showpage ");
    return 1;
}

// ---- paths ----

// "x y u" for the first point, "x y d" for the others, a word at a time.
void PostScriptDriver::write_path(Context& ctx) {
    RecordBuffer& r = ctx.out.record;
    OutputSink& out = sink();
    static_assert(RecordBuffer::WORD_MOST >= 12);   // "-2147483648 "
    for (int i = 0; i < path_.n; ++i) {
        char* w = r.word_end();
        r.end_word(out, static_cast<int>(int_word(w, path_.x[i]) - w));
        w = r.word_end();
        r.end_word(out, static_cast<int>(int_word(w, path_.y[i]) - w));
        r.put_word(out, i == 0 ? "u " : "d ", 2);
    }
    r.put_word(out, "p ", 2);
}

void PostScriptDriver::path(Context& ctx, double x, double y, int mode) {
    settle();
    const int xi = round_up(x), yi = round_up(y);
    if (mode == PATH_OPEN) {
        thinning_ = thinning_wanted();
        shapes_on_ = figure_shapes_wanted();
        path_ready_ = true;
        path_.clear();
        path_.last_x = path_.last_y = 0;
        return;
    }
    if (!path_ready_) return;
    if (mode == PATH_DRAW) {
        add_draw(ctx, xi, yi);
        return;
    }
    if (path_.n > 0) write_path(ctx);
    if (mode == PATH_CLOSE) {
        path_ready_ = false;
        path_.clear();
        return;
    }
    if (mode == PATH_END) {
        path_.end();
        return;
    }
    // A move.
    path_.start(xi, yi);
}

void PostScriptDriver::move_draw(Context& ctx, double x, double y, int pen) {
    if (pen == 2)
        path(ctx, x, y, PATH_DRAW);
    else if (pen == 3)
        path(ctx, x, y, PATH_MOVE);
}

void PostScriptDriver::polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    int i = 0;
    if (n > 0 && first_pen != 2) {
        move_draw(ctx, x[0], y[0], first_pen);
        i = 1;
    }
    if (!path_ready_) return;
    if (!thinning_) {
        for (; i < n; ++i) add_draw(ctx, round_up(x[i]), round_up(y[i]));
        return;
    }
    // Dense runs thinned at the written precision, whole device units
    // (path_thinning.h), from the point the path is at; the thinner hands
    // back the rounded values it was given. Paths end where they would end
    // unthinned, so that the joints between them stay where they were.
    if (!thinner_.active()) {
        const bool open = path_.n > 0;
        thinner_.start(open ? path_.x[path_.n - 1] : path_.last_x, open ? path_.y[path_.n - 1] : path_.last_y);
    }
    thin_into(
        thinner_, path_, n - i, x + i, y + i, [](double v) { return static_cast<double>(round_up(v)); },
        [](double, double q) { return static_cast<int>(q); },
        [&] {
            write_path(ctx);
            path_.go_on();
            thinner_.start(path_.x[0], path_.y[0]);
        });
}

// ---- repeated figures ----

// "/K<n> { ... } def": the figure's paths around the origin, which the
// procedure moves to the centre it is called with (device units). The
// points keep two decimals, so that each lies where the path form rounds it
// to within half a unit.
void PostScriptDriver::define(Context& ctx, FigureShape& f) {
    f.number = ++procedures_;
    char buf[96];
    std::snprintf(buf, sizeof buf, "/K%d { gsave cm exch cm exch translate ", f.number);
    words(ctx, buf);
    const auto point = [&](double x, double y, const char* op) {
        std::snprintf(buf, sizeof buf, "%.2f %.2f %s ", x, y, op);
        words(ctx, buf);
    };
    for (const FigureShape::Part& part : f.parts) {
        const size_t n = part.x.size();
        if (part.fill) {
            for (size_t i = 0; i < n; ++i) point(part.x[i], part.y[i], i == 0 ? "u" : "d");
            point(part.x[0], part.y[0], "d");
            words(ctx, "eofill ");
            continue;
        }
        // Paths of up to a path buffer of points, as the path form cuts them.
        size_t in_path = 0;
        for (size_t i = 0; i < n; ++i) {
            if (part.pen[i] != 2 || in_path == 0) {
                point(part.x[i], part.y[i], "u");
                in_path = 1;
                continue;
            }
            point(part.x[i], part.y[i], "d");
            if (++in_path == PATH_CAPACITY && i + 1 < n) {
                words(ctx, "p ");
                point(part.x[i], part.y[i], "u");
                in_path = 1;
            }
        }
        if (in_path > 1) words(ctx, "p ");
    }
    words(ctx, "grestore } def ");
    f.written = true;
}

bool PostScriptDriver::repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                                       const FigureDraw& draw) {
    if (!shapes_on_ || !path_ready_) return false;
    DevicePoint centre;
    bool fresh = false;
    FigureShape* f = shapes_.find(ctx, key, 0, x, y, draw, centre, fresh);
    if (!f) return false;
    path(ctx, 0, 0, PATH_END);
    if (!f->written) define(ctx, *f);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d %d K%d ", round_up(centre.x), round_up(centre.y), f->number);
    words(ctx, buf);
    ctx.out.vectors += f->vectors;
    ctx.out.pen_valid = false;
    return true;
}

// ---- colour and fills ----

void PostScriptDriver::send_rgb(Context& ctx, int value) {
    const Rgb c = resolve_rgb(ctx, value);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%3d %3d %3d f ", c.r, c.g, c.b);
    words(ctx, buf);
}

void PostScriptDriver::colour(Context& ctx, int value) {
    path(ctx, 0, 0, PATH_END);
    send_rgb(ctx, value);
}

bool PostScriptDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    // Strokes collected so far go out first, so that the fill covers them.
    path(ctx, 0, 0, PATH_END);
    // Lower-left and upper-right corner on the paper.
    const bool turned = rotated(ctx);
    const Point lo = to_device(ctx, x1, turned ? y1 : y2);
    const Point hi = to_device(ctx, x2, turned ? y2 : y1);
    const Rgb c = resolve_rgb(ctx, value);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%5d %5d %5d %5d %3d %3d %3d e ", lo.x, lo.y, hi.x, hi.y, c.r, c.g, c.b);
    words(ctx, buf);
    return true;
}

bool PostScriptDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    if (n < 1) return true;
    path(ctx, 0, 0, PATH_END);
    char buf[48];
    const Point first = to_device(ctx, x[0], y[0]);
    std::snprintf(buf, sizeof buf, "%5d %5d u ", first.x, first.y);
    words(ctx, buf);
    for (int i = 1; i < n; ++i) {
        const Point q = to_device(ctx, x[i], y[i]);
        std::snprintf(buf, sizeof buf, "%5d %5d d ", q.x, q.y);
        words(ctx, buf);
    }
    std::snprintf(buf, sizeof buf, "%5d %5d d ", first.x, first.y);
    words(ctx, buf);
    words(ctx, "eofill ");
    return true;
}

bool PostScriptDriver::fill_triangle(Context& ctx, const double* x, const double* y, int value) {
    path(ctx, 0, 0, PATH_END);
    send_rgb(ctx, value);
    const Point a = to_device(ctx, x[0], y[0]);
    const Point b = to_device(ctx, x[1], y[1]);
    const Point c = to_device(ctx, x[2], y[2]);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%5d %5d %5d %5d %5d %5d tri ", a.x, a.y, b.x, b.y, c.x, c.y);
    words(ctx, buf);
    return true;
}

// ---- hardware fonts ----

// The standard font re-encoded with the German code vector, at the size
// whose cap height is the character height.
void PostScriptDriver::select_font(Context& ctx, int font, double height) {
    path(ctx, 0, 0, PATH_END);
    const StandardFont& f = standard_font(font);
    const double points = 1000.0 / f.cap_height * height * ctx.out.factor * POINTS_PER_UNIT;
    char buf[160];
    std::snprintf(buf, sizeof buf, "(%s) (%s-German) GermanVec ReEncodeSmall (%s-German) %.1f font ", f.name,
                  f.name, f.name, std::clamp(std::isfinite(points) ? points : 0.0, 0.0, 1e6));
    words(ctx, buf);
    font_ = font;
    font_height_ = height;
}

// The header's `c` procedure centres the glyph on the point it is given:
// the middle of the glyph's advance on the baseline.
void PostScriptDriver::character(Context& ctx, int code, double x, double y, double angle, int font,
                                 double height) {
    if (font != font_ || height != font_height_) select_font(ctx, font, height);
    path(ctx, 0, 0, PATH_END);
    if (code < 32 || code > LAST_NATIONAL) code = ' ';
    const StandardFont& f = standard_font(font);
    const double half = std::max(0, standard_char_width(f.name, code)) * height / f.cap_height / 2;
    const double a = std::isfinite(angle) ? angle * M_PI / 180.0 : 0.0;
    const Point d = to_device(ctx, x + half * std::cos(a), y - half * std::sin(a));
    if (rotated(ctx)) angle += 90.0;
    const int degrees = clamp_int(std::trunc(std::isfinite(angle) ? std::fmod(angle, 360.0) : 0.0));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%5d %5d %5d %5d c ", code, d.x, d.y, degrees);
    words(ctx, buf);
}

// ---- line attributes ----

// The miter limit in the form of the header's unit procedure; it is sent
// again after width and join changes while the join is sharp. Below 8 the
// limit would fall under 1, which PostScript rejects.
void PostScriptDriver::send_miter(Context& ctx, double stored_width, double x) {
    const double m = std::max(5.0, 2.0 * std::fabs(stored_width)) * x;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%12d cm ", std::max(8, clamp_int(std::round(m))));
    words(ctx, buf);
    words(ctx, "setmiterlimit ");
}

bool PostScriptDriver::line_width(Context& ctx, int n) {
    path(ctx, 0, 0, PATH_END);
    const int w = std::max(5, clamp_int(std::trunc(2.0 * n * ctx.page.units)));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%5d cm ", w);
    words(ctx, buf);
    words(ctx, "setlinewidth ");
    if (ctx.line.join == 0) send_miter(ctx, n, ctx.line.miter);
    return true;
}

bool PostScriptDriver::pen_width(Context& ctx, double w) {
    path(ctx, 0, 0, PATH_END);
    const double u = ctx.page.units;
    double v;
    if (w >= 0.99)
        v = std::max(5.0, 2.0 * w * u);
    else
        v = u > 2.0 ? 2.0 * w * u : 5.0 * w * u;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%8.2f cm ", std::min(v, 1e9));
    words(ctx, buf);
    words(ctx, "setlinewidth ");
    if (ctx.line.join == 0) {
        const double stored = std::round(w);
        send_miter(ctx, stored == 0.0 ? 1.0 : stored, ctx.line.miter);
    }
    return true;
}

void PostScriptDriver::line_join(Context& ctx, int join) {
    path(ctx, 0, 0, PATH_END);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1d setlinejoin ", join);
    words(ctx, buf);
    if (join == 0) send_miter(ctx, ctx.line.width, ctx.line.miter);
}

void PostScriptDriver::line_cap(Context& ctx, int cap) {
    path(ctx, 0, 0, PATH_END);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1d setlinecap ", cap);
    words(ctx, buf);
    if (ctx.line.join == 0) send_miter(ctx, ctx.line.width, ctx.line.miter);
}

void PostScriptDriver::miter_limit(Context& ctx, double x) {
    path(ctx, 0, 0, PATH_END);
    send_miter(ctx, ctx.line.width, x);
}

}  // namespace kal
