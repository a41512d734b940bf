// The symbols of the instruction code S: simple marks of the character
// height, drawn in the text frame and followed by one advance.
#include <cmath>

#include "text/text_engine.h"

namespace kal {
namespace {

enum : int { SQUARE = 1, CIRCLE = 2, TRIANGLE = 4, PLUS = 8, CROSS = 16, DIAMOND = 32, DOWN = 64, FILLED = 128 };

const int SHAPES[22] = {
    SQUARE, CIRCLE, TRIANGLE, PLUS, CROSS, DIAMOND, DOWN, SQUARE | CROSS, PLUS | CROSS,
    DIAMOND | PLUS, CIRCLE | PLUS, TRIANGLE | DOWN, SQUARE | PLUS, CIRCLE | CROSS, SQUARE | DIAMOND,
    CIRCLE | DIAMOND, SQUARE | FILLED, CIRCLE | FILLED, TRIANGLE | FILLED, DIAMOND | FILLED,
    DOWN | FILLED, CIRCLE | SQUARE};

}  // namespace

void TextRun::symbol(int number) {
    const double r = (h_ - 1) / 2.0, c = s_ + r, m = exp_off_ + ioff_ + ooff_ + r;
    const int shape = SHAPES[number];
    const bool filled = shape & FILLED;
    auto outline = [&](int n, const double* ds, const double* dm) {
        double s[24], o[24];
        for (int i = 0; i < n; ++i) {
            s[i] = c + r * ds[i];
            o[i] = m + r * dm[i];
        }
        if (filled) {
            area(n, s, o);
            return;
        }
        for (int i = 0; i < n; ++i) segment(s[i], o[i], s[(i + 1) % n], o[(i + 1) % n]);
    };
    if (shape & SQUARE) {
        const double s[] = {-1, 1, 1, -1}, o[] = {-1, -1, 1, 1};
        outline(4, s, o);
    }
    if (shape & CIRCLE) {
        double s[24], o[24];
        for (int i = 0; i < 24; ++i) {
            s[i] = std::cos(i * M_PI / 12);
            o[i] = std::sin(i * M_PI / 12);
        }
        outline(24, s, o);
    }
    if (shape & TRIANGLE) {
        const double s[] = {-1, 1, 0}, o[] = {-1, -1, 1};
        outline(3, s, o);
    }
    if (shape & DOWN) {
        const double s[] = {-1, 1, 0}, o[] = {1, 1, -1};
        outline(3, s, o);
    }
    if (shape & DIAMOND) {
        const double s[] = {-1, 0, 1, 0}, o[] = {0, -1, 0, 1};
        outline(4, s, o);
    }
    if (shape & PLUS) {
        segment(c - r, m, c + r, m);
        segment(c, m - r, c, m + r);
    }
    if (shape & CROSS) {
        segment(c - r, m - r, c + r, m + r);
        segment(c - r, m + r, c + r, m - r);
    }
    s_ += h_ + gap();
}

}  // namespace kal
