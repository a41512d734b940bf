#include "output/drivers/pdf_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "output/drivers/fixed2.h"

namespace kal {
namespace {

// Content numbers stay finite and within what readers accept.
double fit(double v) {
    if (!std::isfinite(v)) return 0.0;
    return std::fmax(-1e7, std::fmin(1e7, v));
}

}  // namespace

// "%.2f %.2f m\n" or "... l\n", the most frequent operators.
void PdfCanvas::point_operator(double x, double y, char op) {
    char buf[2 * FIXED2_MAX + 8];
    char* p = put_fixed2(buf, x);
    *p++ = ' ';
    p = put_fixed2(p, y);
    *p++ = ' ';
    *p++ = op;
    *p++ = '\n';
    out_.write(buf, static_cast<size_t>(p - buf));
}

void PdfCanvas::new_page() {
    thinner_ = PathThinner();
    placing_ = false;
    path_open_ = false;
    text_open_ = false;
    text_font_ = -1;
    text_size_ = -1;
    fill_r_ = fill_g_ = fill_b_ = -1;
}

void PdfCanvas::end_path() {
    settle();
    if (!path_open_) return;
    out_.text("S\n");
    path_open_ = false;
}

void PdfCanvas::end_text() {
    settle();
    if (!text_open_) return;
    out_.text("ET\n");
    text_open_ = false;
}

void PdfCanvas::move(double x, double y) {
    end_text();
    end_path();
    last_x_ = fit(x);
    last_y_ = fit(y);
}

void PdfCanvas::draw(double x, double y) {
    end_text();
    settle();
    line_to(x, y);
}

// A draw after a move, or after anything that ended the path, starts the
// path at the last point.
void PdfCanvas::line_to(double x, double y) {
    if (!path_open_) point_operator(last_x_, last_y_, 'm');
    last_x_ = fit(x);
    last_y_ = fit(y);
    point_operator(last_x_, last_y_, 'l');
    path_open_ = true;
}

void PdfCanvas::set_thinning(bool on) {
    settle();
    thinning_ = on;
}

// The "l" operators collect in a block that goes to the stream in one
// write as long as the stream takes the whole block; near the end of a
// stream buffer they go one at a time, so the stream is cut between the
// same operators.
void PdfCanvas::draws(int n, const double* x, const double* y) {
    if (n < 1) return;
    if (thinning_) {
        if (text_open_) end_text();   // (no run is held back while text is open)
        if (placing_) end_placing();
        if (!thinner_.active()) thinner_.start(fixed2_steps(last_x_), fixed2_steps(last_y_));
        // The kept points collect in a block of whole operators, so that a
        // full stream is cut between two of them.
        constexpr size_t MOST = 2 * 12 + 4;
        char block[4096];
        char* p = block;
        const auto keep = [&](double px, double py, double qx, double qy) {
            if (!path_open_) {
                out_.write(block, static_cast<size_t>(p - block));
                p = block;
                point_operator(last_x_, last_y_, 'm');
                path_open_ = true;
            }
            // The hundredths the thinner counted in are the digits written.
            p = put_cents(p, static_cast<uint64_t>(std::fabs(qx)), std::signbit(px));
            *p++ = ' ';
            p = put_cents(p, static_cast<uint64_t>(std::fabs(qy)), std::signbit(py));
            std::memcpy(p, " l\n", 3);
            p += 3;
            last_x_ = px;
            last_y_ = py;
            if (static_cast<size_t>(p - block) + MOST > sizeof block) {
                out_.write(block, static_cast<size_t>(p - block));
                p = block;
            }
        };
        // The thinner stores the points kept in blocks, without a branch on
        // each; they are formatted after.
        constexpr int RUN = 256;
        struct Kept {
            double px, py, qx, qy;
        } kept[2 * RUN + 1];
        for (int i = 0; i < n; i += RUN) {
            const int m = std::min(n - i, RUN);
            const int k = thinner_.add_block(m, x + i, y + i, [](double v) { return fixed2_steps_near(v); },
                                             [&](int j, double px, double py, double qx, double qy) {
                                                 kept[j] = {px, py, qx, qy};
                                             });
            for (int j = 0; j < k; ++j) keep(kept[j].px, kept[j].py, kept[j].qx, kept[j].qy);
        }
        out_.write(block, static_cast<size_t>(p - block));
        return;
    }
    draw(x[0], y[0]);
    constexpr size_t MOST = 2 * 12 + 4;   // "-10000000.00 -10000000.00 l\n"
    char block[4096];
    int i = 1;
    while (i < n) {
        const size_t room = std::min(out_.room(), sizeof block);
        if (room < MOST) {
            draw(x[i], y[i]);
            ++i;
            continue;
        }
        char* p = block;
        for (; i < n && static_cast<size_t>(p - block) + MOST <= room; ++i) {
            p = put_fixed2(p, x[i]);
            *p++ = ' ';
            p = put_fixed2(p, y[i]);
            std::memcpy(p, " l\n", 3);
            p += 3;
        }
        out_.write(block, static_cast<size_t>(p - block));
    }
    last_x_ = x[n - 1];
    last_y_ = y[n - 1];
}

void PdfCanvas::place_form(int number, double x, double y) {
    // Inside a row nothing else is open: anything written ends the row.
    if (!placing_) {
        end_text();
        end_path();
        out_.text("q\n");
        placing_ = true;
        place_x_ = place_y_ = 0;
    }
    // The steps between rounded origins add up to the rounded origin
    // itself: no error accumulates along a row.
    const double cx = fixed2_steps(fit(x)), cy = fixed2_steps(fit(y));
    char buf[2 * FIXED2_MAX + 48];
    char* p = buf;
    std::memcpy(p, "1 0 0 1 ", 8);
    p += 8;
    p = put_fixed2(p, (cx - place_x_) / 100.0);
    *p++ = ' ';
    p = put_fixed2(p, (cy - place_y_) / 100.0);
    p += std::snprintf(p, 32, " cm /Form%d Do\n", number);
    out_.write(buf, static_cast<size_t>(p - buf));
    place_x_ = cx;
    place_y_ = cy;
}

void PdfCanvas::end_placing() {
    placing_ = false;
    out_.text("Q\n");
}

void PdfCanvas::close_fill() {
    end_text();   // also writes a point a thinned run holds
    if (!path_open_) return;  // a lone move encloses nothing
    out_.text("h\n");
    out_.text("f*\n");
    path_open_ = false;
}

void PdfCanvas::line_width(double points) {
    end_text();
    end_path();
    width_ = fit(points);
    out_.format("%.3f w\n", width_);
}

void PdfCanvas::line_join(int join) {
    end_text();
    end_path();
    join_ = join;
    out_.format("%d j\n", join_);
}

void PdfCanvas::line_cap(int cap) {
    end_text();
    end_path();
    cap_ = cap;
    out_.format("%d J\n", cap_);
}

void PdfCanvas::miter_limit(double value) {
    end_text();
    end_path();
    // Readers reject limits below 1.
    miter_ = std::fmax(1.0, fit(value));
    miter_set_ = true;
    out_.format("%.3f M\n", miter_);
}

void PdfCanvas::resend_line_state() {
    out_.format("%.3f w\n", width_);
    out_.format("%d J\n", cap_);
    out_.format("%d j\n", join_);
    if (miter_set_) out_.format("%.3f M\n", miter_);
}

void PdfCanvas::component(int c) {
    if (c <= 0) {
        out_.text("0 ");
    } else if (c >= 255) {
        out_.text("1 ");
    } else {
        out_.format("%5.3f ", c / 255.0);
    }
}

void PdfCanvas::colour(int r, int g, int b) {
    end_path();
    component(r);
    component(g);
    component(b);
    out_.text("RG\n");
    stroke_r_ = r;
    stroke_g_ = g;
    stroke_b_ = b;
    fill_colour(r, g, b);
}

void PdfCanvas::fill_colour(int r, int g, int b) {
    if (r == fill_r_ && g == fill_g_ && b == fill_b_) return;
    end_path();
    component(r);
    component(g);
    component(b);
    out_.text("rg\n");
    fill_r_ = r;
    fill_g_ = g;
    fill_b_ = b;
}

void PdfCanvas::rect(double x, double y, double w, double h, int r, int g, int b) {
    end_text();
    end_path();
    fill_colour(r, g, b);
    out_.format("%.2f %.2f %.2f %.2f re\n", fit(x), fit(y), fit(w), fit(h));
    out_.text("f\n");
}

void PdfCanvas::character(int code, double x, double y, double angle, int font, int size_tenths) {
    if (font < 0 || font >= STANDARD_FONT_COUNT) font = 0;
    end_path();
    fill_colour(stroke_r_, stroke_g_, stroke_b_);  // a filled rectangle may have left another
    if (text_open_ && (font != text_font_ || size_tenths != text_size_)) end_text();
    if (font_marks_[font] == 0) font_marks_[font] = 1;
    if (!text_open_) {
        out_.text("BT\n");
        out_.format("/F%d %.1f Tf\n", font + 1, size_tenths / 10.0);
        text_open_ = true;
        text_font_ = font;
        text_size_ = size_tenths;
    }
    x = fit(x);
    y = fit(y);
    if (angle == 0.0) {
        out_.format("1 0 0 1 %.2f %.2f Tm\n", x, y);
    } else if (angle == 90.0) {
        out_.format("0 1 -1 0 %.2f %.2f Tm\n", x, y);
    } else {
        const double a = fit(angle) * M_PI / 180.0;
        const double c = std::cos(a), s = std::sin(a);
        out_.format("%.2f %.2f %.2f %.2f %.2f %.2f Tm\n", c, s, -s, c, x, y);
    }
    if (code >= 0 && code < FIRST_NATIONAL) {
        if (code == '(' || code == ')' || code == '\\')
            out_.format("(%c%o) Tj\n", '\\', code);
        else
            out_.format("(%c) Tj\n", code);
    } else if (code >= FIRST_NATIONAL && code <= LAST_NATIONAL) {
        out_.format("(%c%o) Tj\n", '\\', national_latin1(code));
    } else {
        out_.format("(%c%o) Tj\n", '\\', ' ');
    }
}

}  // namespace kal
