// The text engine: layout, glyph drawing, control characters and the page
// warnings of a string.
#include "text/text_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "colour3d/colour.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/frame_band.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "text/formula.h"
#include "text/hardware_fonts.h"
#include "text/national.h"
#include "text/text_state.h"

namespace kal {
namespace {

constexpr double ITALIC_SLANT = 1.0 / 3.732;  // tan 15 degrees
constexpr int MAX_HEIGHT = 10000;
constexpr int SOLID_PATTERN = 16;
constexpr int LATIN_DEGREE = 0xB0;
constexpr int MATH_DEGREE = '`';

int clamp_height(double h) {
    if (!std::isfinite(h)) return 1;
    return static_cast<int>(std::clamp(std::round(h), 1.0, double(MAX_HEIGHT)));
}

}  // namespace

TextRun::TextRun(Context& ctx, double x, double y, bool draw)
    : ctx_(ctx), draw_(draw && ctx.out.driver), x0_(x), y0_(y) {
    const TextState& t = ctx.text;
    ca_ = t.cos_a;
    sa_ = t.sin_a;
    start_height_ = h_ = t.height;
    start_colour_ = ctx.out.current_colour;
    alphabet_ = t.base;
    width_ = t.width;
    spacing_ = t.spacing;
    slant_ = t.slant;
    fixed_ = t.fixed;
    fixed_factor_ = t.fixed_factor;
}

void TextRun::feed(const std::string& text) {
    for (unsigned char c : text) character(c);
}

void TextRun::finish() {
    h_ = start_height_;
    if (draw_) line_flush(ctx_);
    if (ctx_.out.current_colour != start_colour_) set_colour(start_colour_);
}

void TextRun::set_colour(int value) {
    if (draw_) kal::set_colour(ctx_, value);
}

// ---- characters, shifts and control characters ----

void TextRun::character(int c) {
    const TextState& t = ctx_.text;
    if (entry_ >= 0 && c == static_cast<unsigned char>(t.entries[entry_].shift_out)) {
        if (collecting_) instruction(inst_);
        collecting_ = false;
        inst_.clear();
        entry_ = -1;
        alphabet_ = t.base;
        return;
    }
    if (collecting_) {
        if (c != ' ' && inst_.size() < 20) inst_ += static_cast<char>(c);
        return;
    }
    if (entry_ < 0) {
        for (int k = 0; k < 6; ++k) {
            const MixEntry& e = t.entries[k];
            if (e.alphabet == 0 || c != static_cast<unsigned char>(e.shift_in)) continue;
            entry_ = k;
            if (e.alphabet == ALPHA_INST)
                collecting_ = true;
            else
                alphabet_ = e.alphabet;
            return;
        }
    }
    if (t.mix_on) {
        for (int k = MIX_EXP; k <= MIX_RES; ++k)
            if (c == static_cast<unsigned char>(t.mix[k])) {
                control(k);
                return;
            }
    }
    s_ += put(c, alphabet_, h_, s_, exp_off_ + ioff_ + ooff_);
}

void TextRun::control(int which) {
    const TextState& t = ctx_.text;
    if (which == MIX_EXP) {
        exp_off_ += h_ * t.shift_factor;
        h_ = clamp_height(h_ * t.exp_factor);
    } else if (which == MIX_IND) {
        h_ = clamp_height(h_ * t.exp_factor);
        exp_off_ -= h_ * t.shift_factor;
    } else {
        h_ = start_height_;
        exp_off_ = 0;
        ioff_ = 0;
    }
}

// ---- layout of one character ----

double TextRun::gap() const {
    const TextState& t = ctx_.text;
    if (fixed_ || t.hw_font >= 0 || !t.font) return h_ * spacing_;
    return (font_units(t.font->number, alphabet_).gap + spacing_) * h_;
}

double TextRun::blank_advance() { return advance(' ', alphabet_, h_); }

double TextRun::advance(int code, int alphabet, int h) {
    const bool saved = draw_;
    draw_ = false;
    const double a = put(code, alphabet, h, 0, 0);
    draw_ = saved;
    return a;
}

void TextRun::place(double s, double off, double X, double Y, double& x, double& y) const {
    const double bx = x0_ + s * ca_ - off * sa_;
    const double by = y0_ - s * sa_ - off * ca_;
    x = bx + X * ca_ - Y * sa_;
    y = by - Y * ca_ - X * sa_;
}

void TextRun::extent(double off, int h) {
    lo_ = std::min(lo_, off - 0.35 * h);
    hi_ = std::max(hi_, off + h - 1);
}

double TextRun::put(int code, int alphabet, int h, double s, double off, bool italic) {
    const TextState& t = ctx_.text;
    if (code < 32) code = 32;
    alphabet = std::clamp(alphabet, 1, 6);
    // The Latin code tables have the degree sign at 0xB0; the alphabets keep
    // their upper codes for national letters, and the MATHEMATIC alphabet
    // that every vector font shares holds a degree sign.
    if (code == LATIN_DEGREE && t.code_table != CODES_STAN && t.hw_font < 0) {
        alphabet = ALPHA_MATH;
        code = MATH_DEGREE;
    } else {
        code = program_code(t.code_table, code);
    }
    extent(off, h);
    if (t.hw_font >= 0) return hardware(code, alphabet, h, s, off);
    if (!t.font) return 0;
    const Font& f = *t.font;
    int slot = alphabet;
    const Alphabet* a = &f.slots[slot - 1];
    Glyph g = find_glyph(*a, f.number, code);
    italic = italic || a->synthetic_slant;
    if (g.blank && code > 32 && ((slot == ALPHA_SCRIPT && f.number != 7) || (slot == ALPHA_ITALIC && f.number == 3))) {
        Glyph upright = find_glyph(f.slots[0], f.number, code);
        if (!upright.blank) {
            g = std::move(upright);
            slot = ALPHA_STANDARD;
            italic = true;
        }
    }
    // Outline alphabets hold split coordinates; the shared alphabets of the
    // outline fonts are stroked like those of the other fonts.
    const bool outline = f.slots[slot - 1].data && f.slots[slot - 1].data->y;
    const FontUnits u = font_units(f.number, slot);
    const double sx = (h - 1) * width_ / u.x_unit, sy = (h - 1) / u.y_unit;
    double shift = 0, step;
    if (fixed_) {
        const double cell = (h - 1) * fixed_factor_ * 1.4 * width_;
        shift = (cell - g.width * sx) / 2;
        step = cell + h * spacing_;
    } else {
        step = (g.blank ? u.blank * sx : g.width * sx) + (u.gap + spacing_) * h;
    }
    if (draw_ && !g.blank)
        stroke_glyph(g, sx, sy, shift, slant_ + (italic ? ITALIC_SLANT : 0.0), s, off, outline);
    return step;
}

void TextRun::stroke_glyph(const Glyph& g, double sx, double sy, double shift, double slant,
                           double s, double off, bool outline) {
    const double ox = ctx_.page.origin_x, oy = ctx_.page.origin_y;
    std::vector<double> px, py;
    px.reserve(g.points.size() + 3 * g.ends.size());
    py.reserve(px.capacity());
    int first = 0;
    for (int end : g.ends) {
        for (int k = first; k < end; ++k) {
            const double Y = g.points[k].y * sy;
            const double X = g.points[k].x * sx + shift + Y * slant;
            double x, y;
            place(s, off, X, Y, x, y);
            if (!outline) {
                if (k == first)
                    line_move(ctx_, x + ox, y + oy);
                else
                    line_draw(ctx_, x + ox, y + oy);
                if (end - first == 1) line_draw(ctx_, x + ox, y + oy);
            } else {
                px.push_back(x);
                py.push_back(y);
            }
        }
        // Outline contours join at the first point of the first contour:
        // each further contour is reached and left along the same edge, which
        // the even-odd fill does not see.
        if (outline && end > first) {
            const size_t start = px.size() - (end - first);
            px.push_back(px[start]);
            py.push_back(py[start]);
            if (first > 0) {
                px.push_back(px[0]);
                py.push_back(py[0]);
            }
        }
        first = end;
    }
    if (outline && px.size() >= 3) area(static_cast<int>(px.size()), px.data(), py.data(), true);
}

void TextRun::segment(double s1, double o1, double s2, double o2) {
    if (!draw_) return;
    double x1, y1, x2, y2;
    place(s1, o1, 0, 0, x1, y1);
    place(s2, o2, 0, 0, x2, y2);
    line_move(ctx_, x1 + ctx_.page.origin_x, y1 + ctx_.page.origin_y);
    line_draw(ctx_, x2 + ctx_.page.origin_x, y2 + ctx_.page.origin_y);
}

void TextRun::area(int n, const double* a, const double* b, bool placed) {
    if (!draw_ || n < 3) return;
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) {
        if (placed) {
            x[i] = a[i];
            y[i] = b[i];
        } else {
            place(a[i], b[i], 0, 0, x[i], y[i]);
        }
    }
    line_flush(ctx_);
    // Glyphs and formula pieces are solid whatever shading is selected,
    // unless shdcha asks for shaded characters (and a pattern is selected).
    const int pattern = ctx_.colour.pattern_number;
    const bool solid = pattern == 0 || !ctx_.options.shaded_characters;
    if (solid && pattern != SOLID_PATTERN) select_pattern(ctx_, SOLID_PATTERN);
    ctx_.out.text_fill = true;
    fill_polygon(ctx_, n, x.data(), y.data());
    ctx_.out.text_fill = false;
    if (solid && pattern != SOLID_PATTERN) select_pattern(ctx_, pattern);
}

double TextRun::hardware(int code, int alphabet, int h, double s, double off) {
    const TextState& t = ctx_.text;
    const HardwareGlyph g = hardware_glyph(t.hw_font, t.psmode, alphabet, code);
    const double w = hardware_width(g, h);
    double shift = 0, step = w + h * spacing_;
    if (fixed_) {
        const double cell = (h - 1) * fixed_factor_ * 1.4 * width_;
        shift = (cell - w) / 2;
        step = cell + h * spacing_;
    }
    if (draw_ && code != ' ') {
        double x, y;
        place(s, off, shift, 0, x, y);
        line_flush(ctx_);
        ctx_.out.pen_valid = false;
        ctx_.out.driver->character(ctx_, g.code, x + ctx_.page.origin_x, y + ctx_.page.origin_y,
                                   t.angle, g.font, h);
    }
    return step;
}

// ---- whole strings ----

std::string prepare_text(Context& ctx, const char* text) {
    std::string s(text ? text : "");
    if (s.size() > TextState::MAX_TEXT) s.resize(TextState::MAX_TEXT);
    return replace_national(ctx, s);
}

namespace {

void lay_out(TextRun& run, const std::string& text) {
    if (run.context().text.tex)
        typeset_formula(run, text);
    else
        run.feed(text);
    run.finish();
}

void page_warning(Context& ctx, const char* which, double x, double y, const std::string& text) {
    if (x >= 0 && x <= ctx.page.width && y >= 0 && y <= ctx.page.height) return;
    char line[160];
    std::snprintf(line, sizeof line, " <<<< Warning: %s(%5d/%5d) in MESSAG out of page - (%.8s).\n", which,
                  clamp_int(std::round(x)), clamp_int(std::round(y)), text.c_str());
    message_line(ctx, line);
}

// The frame of frmess around the text: `thickness` nested rectangles,
// outwards for a positive thickness.
void draw_frame(TextRun& run, double length, int thickness) {
    const int n = std::abs(thickness);
    const double lo = run.low(), hi = run.high();
    if (frame_as_band(thickness)) {
        // Rectangles at the offsets 1 .. n outwards (0 .. n - 1 inwards for a
        // negative thickness), as one band in text coordinates.
        const auto outline = [&](double d, std::vector<double>& s, std::vector<double>& o) {
            if (length + 2 * d < 0 || hi - lo + 2 * d < 0) return false;
            s = {-d, length + d, length + d, -d};
            o = {lo - d, lo - d, hi + d, hi + d};
            return true;
        };
        const double reach = frame_reach(run.context());
        const double outer = (thickness > 0 ? n : 0) + reach, inner = (thickness > 0 ? 1 : 1 - n) - reach;
        std::vector<double> s, o;
        if (band_polygon(outline, outer, inner, s, o)) {
            const ThinLines thin(run.context());
            run.area(static_cast<int>(s.size()), s.data(), o.data());
        }
        return;
    }
    for (int k = 0; k < n; ++k) {
        const double d = thickness > 0 ? k + 1.0 : -double(k);
        const double s1 = -d, s2 = length + d, o1 = lo - d, o2 = hi + d;
        run.segment(s1, o1, s2, o1);
        run.segment(s2, o1, s2, o2);
        run.segment(s2, o2, s1, o2);
        run.segment(s1, o2, s1, o1);
    }
    line_flush(run.context());
}

}  // namespace

double text_length(Context& ctx, const char* text) {
    const std::string s = prepare_text(ctx, text);
    TextRun run(ctx, 0, 0, false);
    lay_out(run, s);
    return run.position();
}

bool draw_text(Context& ctx, const char* text, double nx, double ny, bool continue_, TextBox* box) {
    TextState& t = ctx.text;
    const std::string s = prepare_text(ctx, text);
    if (s.empty()) return false;
    double x, y;
    if (continue_ && t.has_end) {
        x = t.end_x;
        y = t.end_y;
    } else {
        const double drop = t.height - 1;
        x = nx + drop * t.sin_a;
        y = ny + drop * t.cos_a;
        if (t.justify != JUSTIFY_LEFT) {
            const double back = text_length(ctx, text) * (t.justify == JUSTIFY_CENTRE ? 0.5 : 1.0);
            x -= back * t.cos_a;
            y += back * t.sin_a;
        }
    }
    page_warning(ctx, "Startpoint ", x, y, s);
    TextRun run(ctx, x, y, true);
    lay_out(run, s);
    const double length = run.position();
    const double ex = x + length * t.cos_a, ey = y - length * t.sin_a;
    page_warning(ctx, "Endpoint   ", ex, ey, s);
    if (t.frame != 0) draw_frame(run, length, t.frame);
    t.has_end = true;
    t.end_x = ex;
    t.end_y = ey;
    if (box) {
        box->x = x - run.high() * t.sin_a;
        box->y = y - run.high() * t.cos_a;
        box->length = length;
        box->height = run.high() - run.low();
        box->angle = std::atan2(t.sin_a, t.cos_a);
    }
    return true;
}

}  // namespace kal
