#include "output/drivers/svg.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/clock.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/colour_table.h"
#include "output/drivers/fixed2.h"
#include "output/font_metrics.h"

namespace kal {
namespace {

constexpr double VERSION = 9.1;
constexpr const char* PROJECT_ADDRESS = "https://kalvor.org";
constexpr char Q = '"';

double fit(double v) {
    if (!std::isfinite(v)) return 0.0;
    return std::fmax(-1e7, std::fmin(1e7, v));
}

}  // namespace

// " %.2f, %.2f": one point of a polyline or polygon.
void SvgDriver::point(double x, double y) {
    char buf[2 * FIXED2_MAX + 8];
    char* p = buf;
    *p++ = ' ';
    p = put_fixed2(p, x);
    *p++ = ',';
    *p++ = ' ';
    p = put_fixed2(p, y);
    sink_->write(buf, static_cast<size_t>(p - buf));
}

SvgDriver::SvgDriver() = default;
SvgDriver::~SvgDriver() = default;

void SvgDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    // The scale is the device factor: the page's largest coordinates (2969
    // and 2099 on A4) fitted into nx - 1 by ny - 1 pixels, so the default
    // 853 x 603 canvas gets min(852/2969, 602/2099) = 0.28680 in FULL mode.
    // Fitting the page sides (2970 x 2100, giving 0.28667) instead would
    // leave the last plot unit of the page outside the fit.
    scale_ = ctx.out.factor;
    page_ = &p;
    sink_ = &sink();
    thinning_ = thinning_wanted();
    shapes_on_ = figure_shapes_wanted();
    const int nx = p.win_w, ny = p.win_h;
    prologue(nx, ny);
    if (p.background != 2) rect_element(0, 0, nx - 1, ny - 1, 0, 0, 0);
}

void SvgDriver::prologue(int nx, int ny) {
    OutputSink& s = *sink_;
    s.format("<?xml version=%c1.0%c ", Q, Q);
    s.format("encoding=%cISO-8859-1%c standalone=%cno%c?>\n", Q, Q, Q, Q);
    s.format("<!DOCTYPE svg PUBLIC %c-//W3C//DTD SVG 20010904//EN%c\n", Q, Q);
    s.format("  %chttp://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd%c>\n", Q, Q);
    s.format("<!-- Created by KALVOR (%s)\n", PROJECT_ADDRESS);
    s.format("Version: %4.1f\n", VERSION);
    const DateTime t = now();
    s.format("Date   : %s %s\n", date_text(t).c_str(), time_text(t).c_str());
    s.text("-->\n");
    s.format("<svg width=%c%d%c height=%c%d%c\n", Q, static_cast<int>(nx - 1 + 1.5), Q, Q,
             static_cast<int>(ny - 1 + 1.5), Q);
    s.format("  xmlns=%chttp://www.w3.org/2000/svg%c\n", Q, Q);
    s.format("  xmlns:xlink=%chttp://www.w3.org/1999/xlink%c>\n", Q, Q);
    s.text("\n");
    group_ = 0;
    stroke_width_ = 1.0;
    cap_ = join_ = 2;
    path_.clear();
    path_.last_x = path_.last_y = 0;
}

int SvgDriver::close(Context&) {
    if (sink_ && !finished_) {
        path(0, 0, MODE_FINISH);
        sink_->flush();
        finished_ = true;
    }
    return 1;
}

SvgDriver::Point SvgDriver::to_canvas(double x, double y) const {
    const DevicePoint d = to_device(*page_, DEV_SVG, scale_, 0.0, x, y);
    return {d.x, d.y};
}

// ---------------------------------------------------------------- paths

void SvgDriver::path(double x, double y, int mode) {
    if (!sink_ || finished_) return;
    settle();
    x = fit(x);
    y = fit(y);
    if (mode == MODE_DRAW) {
        add_draw(x, y);
        return;
    }
    write_buffer();
    switch (mode) {
        case MODE_END:
        case MODE_WIDTH:
            path_.end();
            if (mode == MODE_WIDTH) {
                close_group();
                stroke_width_ = std::fmax(1.0, x * scale_);   // the width in pixels
            }
            break;
        case MODE_FINISH:
            close_group();
            sink_->text("</svg>\n");
            path_.clear();
            break;
        default:  // move
            path_.start(x, y);
            break;
    }
}

void SvgDriver::write_buffer() {
    if (path_.n < 2) return;   // a lone point draws nothing
    open_line_group();
    OutputSink& s = *sink_;
    if (path_.n == 2) {
        s.format("<line x1=%c%.2f%c y1=%c%.2f%c x2=%c%.2f%c y2=%c%.2f%c/>\n", Q, path_.x[0], Q, Q,
                 path_.y[0], Q, Q, path_.x[1], Q, Q, path_.y[1], Q);
        return;
    }
    // The points are fitted into +-1e7: at most 12 characters a number, 28
    // bytes a point with its line break. Formatted straight into the
    // sink's buffer where it has room.
    static constexpr char HEAD[] = "<polyline points=\"\n";
    constexpr size_t MOST = sizeof HEAD + PATH_CAPACITY * 28 + 4;
    char local[MOST];
    char* const start = s.reserve(MOST);
    char* p = start ? start : local;
    char* const begin = p;
    std::memcpy(p, HEAD, sizeof HEAD - 1);
    p += sizeof HEAD - 1;
    for (int i = 0; i < path_.n; ++i) {
        *p++ = ' ';
        p = put_fixed2(p, path_.x[i]);
        *p++ = ',';
        *p++ = ' ';
        p = put_fixed2(p, path_.y[i]);
        if (i % 5 == 4 && i != path_.n - 1) *p++ = '\n';
    }
    std::memcpy(p, "\"/>\n", 4);
    p += 4;
    const size_t n = static_cast<size_t>(p - begin);
    if (start)
        s.commit(n);
    else
        s.write(local, n);
}

void SvgDriver::move_draw(Context&, double x, double y, int pen) {
    pen_.step(x, y, pen, [this](double px, double py, int code) {
        path(px, py, code == 2 ? MODE_DRAW : MODE_MOVE);
    });
}

// Draws that stay inside the square need no pen step and no fitting.
void SvgDriver::polyline(Context&, int n, const double* x, const double* y, int first_pen) {
    static_assert(LimitedPen::LIMIT <= 1e7, "write_buffer sizes numbers within +-1e7");
    const auto emit = [this](double px, double py, int code) {
        path(px, py, code == 2 ? MODE_DRAW : MODE_MOVE);
    };
    pen_.run(n, x, y, first_pen, emit, [this](int k, const double* dx, const double* dy) {
        if (!sink_ || finished_) return;
        if (thinning_)
            thinned_draws(k, dx, dy);
        else
            for (int i = 0; i < k; ++i) add_draw(dx[i], dy[i]);
    });
}

// Dense runs thinned at the written precision (path_thinning.h), from the
// point the path is at. Polylines end where they would end unthinned, so
// that the joints between them (drawn twice at their edges, capped) stay
// where they were.
void SvgDriver::thinned_draws(int n, const double* x, const double* y) {
    if (!thinner_.active()) {
        const bool open = path_.n > 0;
        thinner_.start(fixed2_steps(open ? path_.x[path_.n - 1] : path_.last_x),
                       fixed2_steps(open ? path_.y[path_.n - 1] : path_.last_y));
    }
    thin_into(
        thinner_, path_, n, x, y, [](double v) { return fixed2_steps_near(v); }, [](double p, double) { return p; },
        [this] {
            write_buffer();
            path_.go_on();
            thinner_.start(fixed2_steps(path_.x[0]), fixed2_steps(path_.y[0]));
        });
}

// ---------------------------------------------------------------- repeated figures

// The shape as a group of the elements the path form writes, around the
// origin: filled parts in the colour they were defined in, strokes in the
// colour and width of the group the <use> stands in.
void SvgDriver::define(FigureShape& f) {
    OutputSink& s = *sink_;
    f.number = ++definitions_;
    s.format("<defs><g id=%ck%d%c>\n", Q, f.number, Q);
    for (const FigureShape::Part& part : f.parts) {
        const int n = static_cast<int>(part.x.size());
        if (part.fill) {
            s.format("<polygon fill=%c#%02x%02x%02x%c points=%c\n", Q, r_, g_, b_, Q, Q);
            for (int i = 0; i < n; ++i) {
                point(part.x[i], part.y[i]);
                if (i % 5 == 4 && i != n - 1) s.text("\n");
            }
            s.format("%c/>\n", Q);
            continue;
        }
        // Strokes of up to a path buffer of points, as write_buffer cuts them.
        for (int start = 0; start < n;) {
            int end = start + 1;
            while (end < n && part.pen[end] == 2 && end - start < PATH_CAPACITY) ++end;
            const int k = end - start;
            if (k == 2) {
                s.format("<line x1=%c%.2f%c y1=%c%.2f%c x2=%c%.2f%c y2=%c%.2f%c/>\n", Q, part.x[start], Q, Q,
                         part.y[start], Q, Q, part.x[start + 1], Q, Q, part.y[start + 1], Q);
            } else if (k > 2) {
                s.text("<polyline points=\"\n");
                for (int i = 0; i < k; ++i) {
                    point(part.x[start + i], part.y[start + i]);
                    if (i % 5 == 4 && i != k - 1) s.text("\n");
                }
                s.text("\"/>\n");
            }
            // A full buffer goes on from its last point; a move starts afresh.
            start = end < n && part.pen[end] == 2 ? end - 1 : end;
        }
    }
    s.text("</g></defs>\n");
    f.written = true;
}

bool SvgDriver::repeated_figure(Context& ctx, const FigureKey& key, double x, double y, const FigureDraw& draw) {
    if (!shapes_on_ || !sink_ || finished_) return false;
    DevicePoint centre;
    bool fresh = false;
    // Filled parts carry their colour: one definition per colour.
    FigureShape* f = shapes_.find(ctx, key, (r_ << 16) | (g_ << 8) | b_, x, y, draw, centre, fresh);
    if (!f) return false;
    end_path();
    open_line_group();
    if (!f->written) define(*f);
    char buf[2 * FIXED2_MAX + 64];
    char* p = buf + std::snprintf(buf, 40, "<use xlink:href=%c#k%d%c x=%c", Q, f->number, Q, Q);
    p = put_fixed2(p, centre.x);
    std::memcpy(p, "\" y=\"", 5);
    p = put_fixed2(p + 5, centre.y);
    std::memcpy(p, "\"/>\n", 4);
    sink_->write(buf, static_cast<size_t>(p + 4 - buf));
    ctx.out.vectors += f->vectors;
    ctx.out.pen_valid = false;
    return true;
}

// ---------------------------------------------------------------- groups

void SvgDriver::close_group() {
    if (group_ != 0) sink_->text("</g>\n");
    group_ = 0;
}

void SvgDriver::open_line_group() {
    if (group_ == 2) close_group();
    if (group_ == 1) return;
    sink_->format("<g fill=%cnone%c stroke=%c#%02x%02x%02x%c ", Q, Q, Q, r_, g_, b_, Q);
    static const char* const CAPS[] = {"butt", "round", "square"};
    static const char* const JOINS[] = {"miter", "round", "bevel"};
    sink_->format("stroke-width=%c%.3f%c stroke-linecap=%c%s%c stroke-linejoin=%c%s%c>\n", Q, stroke_width_, Q, Q,
                  CAPS[cap_], Q, Q, JOINS[join_], Q);
    group_ = 1;
}

void SvgDriver::line_join(Context&, int join) {
    if (join < 0 || join > 2 || join == join_) return;
    end_path();
    close_group();
    join_ = join;
}

void SvgDriver::line_cap(Context&, int cap) {
    if (cap < 0 || cap > 2 || cap == cap_) return;
    end_path();
    close_group();
    cap_ = cap;
}

void SvgDriver::open_text_group(int font, int size) {
    if (group_ == 1) close_group();
    if (group_ == 2) return;
    const StandardFont& f = standard_font(font);
    sink_->format("<g font-family=%c%s%c ", Q, f.svg_family, Q);
    sink_->format("font-weight=%c%s%c ", Q, f.svg_weight, Q);
    sink_->format("font-style=%c%s%c\n", Q, f.svg_style, Q);
    sink_->format("font-size=%c%d%c ", Q, size, Q);
    sink_->format("stroke=%cnone%c fill=%c#%02x%02x%02x%c>\n", Q, Q, Q, r_, g_, b_, Q);
    group_ = 2;
    group_font_ = font;
    group_size_ = size;
}

// ---------------------------------------------------------------- colours and fills

void SvgDriver::colour(Context& ctx, int value) {
    if (!sink_ || finished_) return;
    end_path();
    close_group();
    const Rgb c = resolve_rgb(ctx, value);
    r_ = c.r;
    g_ = c.g;
    b_ = c.b;
}

void SvgDriver::rect_element(double x1, double y1, double x2, double y2, int r, int g, int b) {
    OutputSink& s = *sink_;
    open_line_group();
    s.format("<rect x=%c%.2f%c y=%c%.2f%c ", Q, fit(x1), Q, Q, fit(y1), Q);
    s.format("width=%c%.2f%c height=%c%.2f%c\n", Q, fit(x2 - x1 + 1.0), Q, Q, fit(y2 - y1 + 1.0), Q);
    s.format(" fill=%c#%02x%02x%02x%c stroke=%cnone%c", Q, r, g, b, Q, Q, Q);
    s.text("/>\n");
}

bool SvgDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    if (!sink_ || finished_) return true;
    // Lines still in the path buffer were drawn before the rectangle.
    end_path();
    const Rgb c = resolve_rgb(ctx, value);
    const Point a = to_canvas(x1, y1), b = to_canvas(x2, y2);
    rect_element(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmax(a.x, b.x), std::fmax(a.y, b.y), c.r, c.g,
                 c.b);
    return true;
}

bool SvgDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    if (!sink_ || finished_) return true;
    if (n < 1) return true;
    end_path();
    open_line_group();
    OutputSink& s = *sink_;
    s.format("<polygon fill=%c#%02x%02x%02x%c ", Q, r_, g_, b_, Q);
    // Text ink is filled only: the group's stroke would embolden every
    // glyph by the stroke width. Its contours are filled even-odd, as in
    // the other formats.
    if (ctx.out.text_fill) s.format("stroke=%cnone%c fill-rule=%cevenodd%c ", Q, Q, Q, Q);
    s.format("points=%c\n", Q);
    for (int i = 0; i < n; ++i) {
        const Point p = to_canvas(x[i], y[i]);
        point(fit(p.x), fit(p.y));
        if (i % 5 == 4 && i != n - 1) s.text("\n");
    }
    s.format("%c/>\n", Q);
    return true;
}

bool SvgDriver::line_width(Context&, int n) {
    path(n, 0, MODE_WIDTH);
    return true;
}

bool SvgDriver::pen_width(Context&, double w) {
    path(w, 0, MODE_WIDTH);
    return true;
}

// ---------------------------------------------------------------- text

void SvgDriver::height_changed() {
    if (!sink_ || finished_) return;
    end_path();
    close_group();
}

void SvgDriver::character(Context&, int code, double x, double y, double angle, int font,
                          double height) {
    if (!sink_ || finished_) return;
    if (font < 0 || font >= STANDARD_FONT_COUNT) font = 0;
    const int size = static_cast<int>(std::trunc(fit(height * scale_ * 1.4666666666666666 + 0.5)));
    end_path();
    if (group_ == 1) close_group();
    if (group_ == 2 && (font != group_font_ || size != group_size_)) close_group();
    open_text_group(font, size);
    OutputSink& s = *sink_;
    const Point p = to_canvas(x, y);
    s.format("<text x=%c%.2f%c y=%c%.2f%c", Q, fit(p.x), Q, Q, fit(p.y), Q);
    if (angle == 0.0)
        s.text(">");
    else
        s.format(" rotate=%c%d%c>", Q, static_cast<int>(-fit(angle)), Q);
    if (code >= FIRST_NATIONAL && code <= LAST_NATIONAL) code = national_latin1(code);
    else if (code > LAST_NATIONAL || code < 32) code = ' ';   // no glyph; XML forbids controls
    switch (code) {
        case '&': s.text("&amp;</text>\n"); break;
        case '<': s.text("&lt;</text>\n"); break;
        case '>': s.text("&gt;</text>\n"); break;
        default: s.format("%c</text>\n", code); break;
    }
}

}  // namespace kal
