// The formula typesetter: the string is parsed into boxes (width, height
// above and depth below the baseline, and the pieces to draw relative to
// the box's origin), which are then drawn along the text run's baseline.
#include "text/formula.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/context.h"
#include "core/frame.h"
#include "text/fonts.h"
#include "text/formula_vocab.h"
#include "text/text_engine.h"
#include "text/text_state.h"

namespace kal {
namespace {

constexpr int MAX_GROUPS = 16;    // nested braces
constexpr int MAX_SCRIPTS = 6;    // nested exponents and indices
constexpr int MAX_ROOTS = 6;      // nested roots
constexpr int MAX_FRACTIONS = 20; // fractions in one formula
constexpr double AXIS = 0.4;      // height of the math axis (fraction bars) in character heights
constexpr int OPENING = 3;        // spacing class of a list's start, brackets and punctuation

struct Piece {
    enum Kind { GLYPH, LINE, COLOUR } kind;
    int code = 0, alphabet = 0, h = 0;
    bool italic = false;
    double s = 0, o = 0, s2 = 0, o2 = 0;
};

struct Box {
    double w = 0, asc = 0, desc = 0;
    std::vector<Piece> pieces;
    double trail = 0;     // blank after the ink at the right end (the character gap)
    bool op = false;      // a large operator or lim: takes limits
    bool limits = false;  // its scripts go above and below

    void add(const Box& b, double ds, double dy) {
        for (Piece p : b.pieces) {
            p.s += ds;
            p.o += dy;
            p.s2 += ds;
            p.o2 += dy;
            pieces.push_back(p);
        }
        asc = std::max(asc, b.asc + dy);
        desc = std::max(desc, b.desc - dy);
    }
    void append(const Box& b) {
        add(b, w, 0);
        w += b.w;
        trail = b.trail;
    }
    double ink_width() const { return w - trail; }
    void line(double s1, double o1, double s2, double o2) {
        Piece p{Piece::LINE};
        p.s = s1, p.o = o1, p.s2 = s2, p.o2 = o2;
        pieces.push_back(p);
    }
};

// What a group inherits and may change for its rest.
struct Style {
    int h;
    int level;  // 0 display, 1 text, 2 script, 3 scriptscript
    int colour;
};

class Typesetter {
public:
    Typesetter(TextRun& run, const std::string& text) : run_(run), t_(text) {
        const TextState& ts = run.context().text;
        esc_ = ts.mix[MIX_TEX];
        exp_ = ts.tex_exp;
        italic_ = ts.tex_italic;
        limits_ = ts.tex_limits;
        start_h_ = ts.height;
    }

    Box parse() {
        Style st{start_h_, 0, run_.context().out.current_colour};
        Box b = list(st, false);
        while (i_ < t_.size()) {  // a closing brace without its opening one
            error("Unbalanced parenthesis");
            ++i_;
            b.append(list(st, false));
        }
        return b;
    }

    void draw(const Box& b, double s0) {
        for (const Piece& p : b.pieces) {
            if (p.kind == Piece::GLYPH)
                run_.put(p.code, p.alphabet, p.h, s0 + p.s, p.o, p.italic);
            else if (p.kind == Piece::LINE)
                run_.segment(s0 + p.s, p.o, s0 + p.s2, p.o2);
            else
                run_.set_colour(p.code);
        }
    }

private:
    // Errors are reported once, when the formula is drawn.
    void error(const char* text) {
        if (run_.drawing()) custom_warning(run_.context(), 101, text);
    }

    int scaled(int h, double f) const { return std::max(2, static_cast<int>(std::lround(h * f))); }
    int script_height(const Style& st) const { return scaled(st.h, exp_); }

    bool at_end() const { return i_ >= t_.size(); }
    char peek() const { return at_end() ? '\0' : t_[i_]; }
    void skip_blanks() {
        while (!at_end() && t_[i_] == ' ') ++i_;
    }

    Box glyph(int code, int alphabet, int h, bool italic) {
        Box b;
        Piece p{Piece::GLYPH};
        p.code = code, p.alphabet = alphabet, p.h = h, p.italic = italic;
        b.pieces.push_back(p);
        b.w = run_.advance(code, alphabet, h);
        const TextState& ts = run_.context().text;
        if (ts.hw_font < 0 && ts.font && !ts.fixed) {
            const Glyph g = find_glyph(ts.font->slots[alphabet - 1], ts.font->number, code);
            const double sx = (h - 1) * ts.width / font_units(ts.font->number, alphabet).x_unit;
            // Italic letters lean over to the right by about a fifth of their height.
            if (!g.blank) b.trail = std::max(0.0, b.w - g.width * sx - (italic ? 0.2 * h : 0.0));
        }
        b.asc = h;
        b.desc = 0.3 * h;
        return b;
    }

    // The lowest and highest ink of a stroke-font character of height h
    // over its baseline; unchanged for hardware fonts and blanks.
    void ink(int code, int alphabet, int h, double& lo, double& hi) const {
        const TextState& ts = run_.context().text;
        if (ts.hw_font >= 0 || !ts.font) return;
        const Glyph g = find_glyph(ts.font->slots[alphabet - 1], ts.font->number, code);
        if (g.blank) return;
        const double sy = (h - 1) / font_units(ts.font->number, alphabet).y_unit;
        lo = hi = g.points.front().y * sy;
        for (const GlyphPoint& p : g.points) {
            lo = std::min(lo, p.y * sy);
            hi = std::max(hi, p.y * sy);
        }
    }

    Box space(double w) {
        Box b;
        b.w = w;
        return b;
    }

    // Strokes of a drawn symbol (see formula_vocab.cpp) around the math axis.
    Box shape(const char* spec, int h) {
        Box b;
        const double unit = 0.4 * h, axis = AXIS * h, pad = 0.15 * h;
        char* end = nullptr;
        const double width = std::strtod(spec, &end) * unit;
        const char* p = end + 1;
        std::vector<std::pair<double, double>> pts;
        auto flush = [&] {
            for (size_t k = 1; k < pts.size(); ++k)
                b.line(pad + pts[k - 1].first, axis + pts[k - 1].second, pad + pts[k].first,
                       axis + pts[k].second);
            pts.clear();
        };
        while (*p) {
            if (*p == ';' || *p == ' ') {
                if (*p == ';') flush();
                ++p;
            } else if (*p == 'o') {
                for (int k = 0; k <= 24; ++k) {
                    const double a = k * 2 * M_PI / 24;
                    pts.emplace_back(width / 2 + width / 2 * std::cos(a), width / 2 * std::sin(a));
                }
                ++p;
            } else {
                const double x = std::strtod(p, &end);
                if (*end != ',') break;
                const double y = std::strtod(end + 1, &end);
                pts.emplace_back(x * unit, y * unit);
                p = end;
            }
        }
        flush();
        b.w = width + 2 * pad;
        b.asc = axis + unit;
        b.desc = std::max(0.0, unit - axis);
        return b;
    }

    // Passes over an argument without typesetting it (after an error): a
    // balanced group, a command name or one character.
    void skip_argument() {
        skip_blanks();
        if (at_end() || peek() == '}') return;
        if (peek() == esc_) {
            command_name();
            return;
        }
        if (peek() != '{') {
            ++i_;
            return;
        }
        int open = 0;
        do {
            if (t_[i_] == '{') ++open;
            if (t_[i_] == '}') --open;
            ++i_;
        } while (open > 0 && !at_end());
    }

    // A braced group or a single atom, for the arguments of commands;
    // false when nothing follows.
    bool argument(const Style& st, Box& out) {
        skip_blanks();
        if (at_end() || peek() == '}') return false;
        // An argument stands alone: a sign in it is no operator.
        const int outer = prev_;
        prev_ = OPENING;
        out = atom(st);
        prev_ = outer;
        kind_ = FORMULA_ORDINARY;
        return true;
    }

    Box list(Style st, bool braced) {
        Box b;
        const int outer = prev_;
        prev_ = OPENING;
        bool closed = false;
        while (!at_end()) {
            const char c = t_[i_];
            if (c == '}') {
                if (braced) ++i_;
                closed = true;
                break;
            }
            if (c == ' ') {
                ++i_;
                continue;
            }
            if (c == esc_ && switch_command(st, b)) continue;
            Box a = atom(st);
            const int kind = kind_;
            scripts(st, a);
            b.append(a);
            prev_ = kind;
        }
        if (braced && !closed) error("Unbalanced parenthesis");
        prev_ = outer;
        kind_ = FORMULA_ORDINARY;
        return b;
    }

    // Sizes, styles and colours change the rest of the group.
    bool switch_command(Style& st, Box& b) {
        const size_t save = i_;
        const std::string name = command_name();
        int colour;
        if (const double f = formula_size(name); f > 0) {
            st.h = scaled(start_h_, f);
        } else if (const int level = formula_style(name); level >= 0) {
            const double factors[] = {1, 1, exp_, exp_ * exp_};
            if ((level >= 2) != (st.level >= 2) || level == 3 || st.level == 3)
                st.h = scaled(start_h_, factors[level]);
            st.level = level;
        } else if (formula_colour(run_.context(), name, colour)) {
            st.colour = colour;
            Piece p{Piece::COLOUR};
            p.code = colour;
            b.pieces.push_back(p);
        } else {
            i_ = save;
            return false;
        }
        return true;
    }

    std::string command_name() {
        ++i_;  // the escape character
        std::string name;
        if (at_end()) return name;
        if (!std::isalpha(static_cast<unsigned char>(t_[i_]))) {
            name = t_[i_++];
            if (name == "n" && t_.compare(i_, 3, "ot=") == 0) {
                i_ += 3;
                return "not=";
            }
            return name;
        }
        while (!at_end() && std::isalpha(static_cast<unsigned char>(t_[i_]))) name += t_[i_++];
        if (name == "not" && peek() == '=') {
            ++i_;
            name = "not=";
        }
        return name;
    }

    Box atom(const Style& st) {
        kind_ = FORMULA_ORDINARY;
        const char c = t_[i_];
        if (c == '{') {
            if (++depth_ > MAX_GROUPS) {
                error("Too many nested parenthesis");
                skip_argument();
                --depth_;
                return Box();
            }
            ++i_;
            Box b = list(st, true);
            --depth_;
            // Colours chosen inside the group end with it.
            const bool coloured = std::any_of(b.pieces.begin(), b.pieces.end(),
                                              [](const Piece& p) { return p.kind == Piece::COLOUR; });
            if (coloured) {
                Piece p{Piece::COLOUR};
                p.code = st.colour;
                b.pieces.push_back(p);
            }
            return b;
        }
        if (c == esc_) return command(st);
        ++i_;
        if (c == '^' || c == '_') {  // a script without a base
            Box b;
            i_--;
            scripts(st, b);
            return b;
        }
        const bool letter = std::isalpha(static_cast<unsigned char>(c));
        Box b = glyph(static_cast<unsigned char>(c), ALPHA_STANDARD, st.h, letter && italic_);
        if (c == '=' || c == '<' || c == '>') return spaced(b, FORMULA_RELATION, st);
        if (c == '+' || c == '-') return spaced(b, FORMULA_BINARY, st);
        if (c == '(' || c == '[' || c == ',' || c == ';') kind_ = OPENING;
        return b;
    }

    // A binary operator or relation with the spaces around it: thick (5/18
    // of the height) around relations, medium (4/18) around operators, none
    // in scripts. An operator that starts a list or follows an operator, a
    // relation, an opening bracket or punctuation is a sign and stays unspaced.
    Box spaced(Box b, int kind, const Style& st) {
        if (kind == FORMULA_BINARY && (prev_ == FORMULA_BINARY || prev_ == FORMULA_RELATION || prev_ == OPENING)) {
            kind_ = OPENING;  // nothing spaces after a sign either
            return b;
        }
        kind_ = kind;
        if (st.level >= 2) return b;
        const double pad = st.h * (kind == FORMULA_RELATION ? 5 : 4) / 18.0;
        Box out = space(pad);
        out.append(b);
        out.w += pad;
        return out;
    }

    Box command(const Style& st) {
        const std::string name = command_name();
        FormulaSymbol sym;
        const int h = st.h;
        if (name.empty()) return Box();
        if (name == "frac") return fraction(st);
        if (name == "sqrt") return root(st);
        if (name == "overline" || name == "underline" || name == "vec") return accent(st, name);
        if (name == "sum" || name == "prod" || name == "int" || name == "oint") return big_operator(st, name);
        if (name == "lim") {
            Box b = word("lim", h);
            b.op = true;
            b.limits = st.level == 0 && limits_;
            return b;
        }
        if (name == "quad") return space(h);
        if (name == "qquad") return space(2 * h);
        if (name == ",") return space(h * 3 / 18.0);
        if (name == ":") return space(h * 4 / 18.0);
        if (name == ";") return space(h * 5 / 18.0);
        if (name == "!") return space(-h * 3 / 18.0);
        if (name == "{" || name == "}") return glyph(name[0], ALPHA_STANDARD, h, false);
        if (name == "limits" || name == "nolimits") return Box();  // handled after an operator
        if (formula_function(name)) {
            Box b = word(name, h);
            b.w += 0.15 * h;
            return b;
        }
        if (formula_symbol(name, sym)) {
            Box b = sym.shape ? shape(sym.shape, h) : glyph(sym.code, sym.alphabet, h, false);
            if (sym.kind == FORMULA_ORDINARY) return b;
            if (sym.shape) {
                // The spaces replace the narrow pads of the drawn shape.
                const double pad = 0.15 * h;
                for (Piece& p : b.pieces) p.s -= pad, p.s2 -= pad;
                b.w -= 2 * pad;
            }
            return spaced(b, sym.kind, st);
        }
        error(("Unknown TeX command " + name).substr(0, 80).c_str());
        return word(name, h);
    }

    Box word(const std::string& w, int h) {
        Box b;
        for (char c : w) b.append(glyph(static_cast<unsigned char>(c), ALPHA_STANDARD, h, false));
        return b;
    }

    // Exponents and indices after an atom; limits above and below for
    // operators in display style.
    void scripts(const Style& st, Box& base) {
        for (;;) {
            skip_blanks();
            if (peek() == esc_ && (t_.compare(i_ + 1, 6, "limits") == 0 || t_.compare(i_ + 1, 8, "nolimits") == 0)) {
                const bool on = t_[i_ + 1] == 'l';
                i_ += on ? 7 : 9;
                if (base.op) base.limits = on;
                continue;
            }
            break;
        }
        Box sup, sub;
        bool has_sup = false, has_sub = false;
        while (peek() == '^' || peek() == '_') {
            const bool up = t_[i_++] == '^';
            if (++script_depth_ > MAX_SCRIPTS) {
                error("Too many nested exponents/indices");
                --script_depth_;
                skip_argument();
                continue;
            }
            Style small{script_height(st), std::min(st.level + 2, 3), st.colour};
            if (st.level < 2) small.level = 2;
            Box arg;
            if (argument(small, arg)) {
                (up ? sup : sub) = arg;
                (up ? has_sup : has_sub) = true;
            }
            --script_depth_;
            skip_blanks();
        }
        if (!has_sup && !has_sub) return;
        const double h = st.h;
        if (base.limits) {
            Box b;
            const double w = std::max({base.ink_width(), sup.ink_width(), sub.ink_width()});
            b.add(base, (w - base.ink_width()) / 2, 0);
            if (has_sup) b.add(sup, (w - sup.ink_width()) / 2, base.asc + 0.2 * h + sup.desc);
            if (has_sub) b.add(sub, (w - sub.ink_width()) / 2, -(base.desc + 0.25 * h + sub.asc));
            b.w = w + std::max(base.trail, 0.1 * h);
            base = b;
            return;
        }
        Box b = base;
        const double up = std::max(0.5 * h, base.asc - 0.5 * sup.asc);
        const double down = std::max(0.3 * h, base.desc);
        const double at = base.w - (base.op ? 0.0 : 0.05 * h);
        if (has_sup) b.add(sup, at, up);
        if (has_sub) b.add(sub, at - (base.op ? 0.2 * h : 0.0), -down);
        b.w = at + std::max(has_sup ? sup.w : 0.0, has_sub ? sub.w : 0.0) + 0.05 * h;
        base = b;
    }

    Box fraction(const Style& st) {
        skip_blanks();
        if (peek() != '{') {
            error("Syntax error for fractions");
            return Box();
        }
        if (++fractions_ > MAX_FRACTIONS) {
            error("Too many fractions");
            skip_argument();
            skip_argument();
            return Box();
        }
        Style inner = st;
        if (st.level == 0) inner.level = 1;
        else {
            inner.level = std::min(st.level + 1, 3);
            inner.h = script_height(st);
        }
        Box num, den;
        argument(inner, num);
        if (!argument(inner, den)) {
            error("Missing denominator for fractions");
            return num;
        }
        const double h = st.h, pad = 0.12 * h, gap = 0.15 * h, axis = AXIS * h;
        const double w = std::max(num.ink_width(), den.ink_width()) + 2 * pad;
        Box b;
        b.add(num, (w - num.ink_width()) / 2, axis + gap + num.desc);
        b.add(den, (w - den.ink_width()) / 2, axis - gap - den.asc);
        b.line(0.05 * h, axis, w - 0.05 * h, axis);
        b.w = w + 0.05 * h;
        return b;
    }

    Box root(const Style& st) {
        skip_blanks();
        Box index;
        bool has_index = false;
        if (peek() == '[') {
            const size_t close = t_.find(']', i_);
            if (close == std::string::npos) {
                error("Syntax error - missing root");
                i_ = t_.size();
                return Box();
            }
            Style small{scaled(st.h, exp_ * exp_), 3, st.colour};
            Typesetter sub(run_, t_.substr(i_ + 1, close - i_ - 1));
            sub.esc_ = esc_;
            index = sub.list(small, false);
            has_index = true;
            i_ = close + 1;
        }
        if (++roots_ > MAX_ROOTS) {
            error("Too many nested roots");
            skip_argument();
            --roots_;
            return Box();
        }
        Box body;
        const bool ok = argument(st, body);
        --roots_;
        if (!ok) {
            error("Syntax error - missing root");
            return Box();
        }
        const double h = st.h;
        const double top = std::max(body.asc, 0.8 * h) + 0.15 * h, bottom = -std::max(body.desc, 0.2 * h);
        const double sign = 0.55 * h;
        Box b;
        double lead = 0;
        if (has_index) lead = std::max(0.0, index.w - 0.3 * sign);
        b.line(lead, 0.45 * top, lead + 0.15 * sign, 0.55 * top);
        b.line(lead + 0.15 * sign, 0.55 * top, lead + 0.45 * sign, bottom);
        b.line(lead + 0.45 * sign, bottom, lead + sign, top);
        b.line(lead + sign, top, lead + sign + body.w + 0.1 * h, top);
        if (has_index) b.add(index, lead + 0.4 * sign - index.w, 0.55 * top + 0.1 * h);
        b.add(body, lead + sign + 0.05 * h, 0);
        b.w = lead + sign + body.w + 0.2 * h;
        b.asc = std::max(b.asc, top + 0.05 * h);
        b.desc = std::max(b.desc, -bottom);
        return b;
    }

    Box accent(const Style& st, const std::string& name) {
        Box body;
        if (!argument(st, body)) {
            error(name == "overline" ? "Syntax error for overstrike"
                  : name == "underline" ? "Syntax error for understrike"
                                        : "Syntax error for vec");
            return Box();
        }
        const double h = st.h;
        Box b = body;
        if (name == "underline") {
            const double y = -body.desc - 0.1 * h;
            b.line(0, y, body.w, y);
            b.desc = -y;
        } else {
            const double y = body.asc + 0.15 * h;
            b.line(0.05 * h, y, body.w, y);
            if (name == "vec") {
                b.line(body.w - 0.2 * h, y + 0.12 * h, body.w, y);
                b.line(body.w - 0.2 * h, y - 0.12 * h, body.w, y);
            }
            b.asc = y + 0.15 * h;
        }
        return b;
    }

    Box big_operator(const Style& st, const std::string& name) {
        const bool display = st.level == 0;
        const int size = scaled(st.h, display ? 1.8 : 1.2);
        const char code = name == "sum" ? ';' : name == "prod" ? ':' : 'p';
        Box g = glyph(code, ALPHA_MATH, size, false);
        // The ink centred on the math axis.
        double lo = -0.3 * size, hi = size;
        ink(code, ALPHA_MATH, size, lo, hi);
        const double off = AXIS * st.h - 0.5 * (lo + hi);
        Box b;
        b.add(g, 0.1 * st.h, off);
        b.asc = off + hi;
        b.desc = -(off + lo);
        b.w = g.w + 0.2 * st.h;
        if (name == "oint") {
            const double r = 0.18 * size, cx = 0.1 * st.h + 0.5 * g.w, cy = AXIS * st.h;
            for (int k = 0; k < 16; ++k) {
                const double a1 = k * 2 * M_PI / 16, a2 = (k + 1) * 2 * M_PI / 16;
                b.line(cx + r * std::cos(a1), cy + r * std::sin(a1), cx + r * std::cos(a2),
                       cy + r * std::sin(a2));
            }
        }
        b.op = true;
        b.limits = display && limits_;
        return b;
    }

    TextRun& run_;
    std::string t_;
    size_t i_ = 0;
    char esc_;
    double exp_;
    bool italic_, limits_;
    int start_h_;
    int depth_ = 0, script_depth_ = 0, roots_ = 0, fractions_ = 0;
    int prev_ = OPENING;            // spacing class of the atom before, in the current list
    int kind_ = FORMULA_ORDINARY;   // spacing class of the atom just parsed
};

}  // namespace

void typeset_formula(TextRun& run, const std::string& text) {
    Typesetter t(run, text);
    const Box b = t.parse();
    const double s0 = run.position();
    t.draw(b, s0);
    run.move_to(s0 + b.w);
}

}  // namespace kal
