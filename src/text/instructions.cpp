// Instruction codes: the commands collected between the shift-in and
// shift-out characters of an INST alphabet entry.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/context.h"
#include "core/frame.h"
#include "text/text_engine.h"
#include "text/text_state.h"

namespace kal {
namespace {

enum Mode { ALONE, NUMBER, RESTORE };

enum : int { BAD_PARAMETER = 43, BAD_TAB = 44, NO_INTEGER = 45, UNKNOWN = 46 };

// A number of digits with an optional leading sign and one point.
bool read_number(const std::string& t, double& v) {
    size_t i = 0;
    if (i < t.size() && t[i] == '-') ++i;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i]))) {
            digits = true;
        } else if (t[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    v = std::strtod(t.c_str(), nullptr);
    return std::isfinite(v);
}

}  // namespace

void TextRun::instruction(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
        int mode = ALONE;
        double v = 0;
        if (i < text.size() && std::toupper(static_cast<unsigned char>(text[i])) == 'X') {
            mode = RESTORE;
            ++i;
        } else {
            size_t j = i;
            while (j < text.size() && !std::isalpha(static_cast<unsigned char>(text[j]))) ++j;
            if (j > i) {
                if (!read_number(text.substr(i, j - i), v)) {
                    warn_text(ctx_, BAD_PARAMETER, text.c_str());
                    return;
                }
                mode = NUMBER;
            }
            i = j;
        }
        if (!command(text, letter, mode, v)) return;
    }
}

// One command; false after its warning (the rest of the instruction is
// ignored).
bool TextRun::command(const std::string& text, char letter, int mode, double v) {
    TextState& t = ctx_.text;
    auto fail = [&](int number) {
        warn_text(ctx_, number, text.c_str());
        return false;
    };
    const bool integer = v == std::floor(v);
    const int n = integer && std::fabs(v) < 1e9 ? static_cast<int>(v) : 0;
    // Commands that take a whole number use n; these checks come first.
    auto whole = [&](int lo, int hi, int error) {
        if (mode != NUMBER) return true;
        if (!integer) return fail(NO_INTEGER);
        if (n < lo || n > hi) return fail(error);
        return true;
    };
    // Index 0..19 of a tab stop, -1 after a warning.
    auto tab = [&]() -> int {
        if (mode == RESTORE) return fail(BAD_PARAMETER) ? 0 : -1;
        if (!whole(1, 20, BAD_TAB)) return -1;
        return (mode == NUMBER ? n : 1) - 1;
    };
    switch (letter) {
        case 'A':
            if (mode == RESTORE) return fail(BAD_PARAMETER);
            s_ += (mode == NUMBER ? v : 1.0) * h_;
            return true;
        case 'C':
            if (mode == RESTORE) return fail(BAD_PARAMETER);
            if (!whole(-1000000, 1000000, BAD_PARAMETER)) return false;
            s_ += (mode == NUMBER ? n : 1) * gap();
            return true;
        case 'D':
        case 'U': {
            const double sign = letter == 'U' ? 1.0 : -1.0;
            if (mode == RESTORE)
                ioff_ = 0;
            else if (mode == ALONE)
                ioff_ = sign * start_height_;
            else
                ioff_ = sign * v * (v > 0 ? start_height_ : h_);
            return true;
        }
        case 'E':
        case 'I':
            if (mode == NUMBER) return fail(BAD_PARAMETER);
            if (mode == RESTORE) {
                ioff_ = 0;
                h_ = start_height_;
            } else {
                ioff_ += letter == 'E' ? 0.75 * h_ : -0.35 * h_;
                h_ = std::max(1, static_cast<int>(std::lround(0.6 * h_)));
            }
            return true;
        case 'F': {
            if (mode == RESTORE) return fail(BAD_PARAMETER);
            if (!whole(-1000000, 1000000, BAD_PARAMETER)) return false;
            s_ += (mode == NUMBER ? n : 1) * blank_advance();
            return true;
        }
        case 'G':
        case 'P': {
            const int k = tab();
            if (k < 0) return false;
            if (letter == 'G')
                s_ = tabs_[k];
            else
                tabs_[k] = s_;
            return true;
        }
        case 'H':
            if (mode == RESTORE)
                h_ = start_height_;
            else if (mode == ALONE)
                h_ = static_cast<int>(std::lround(0.6 * h_));
            else
                h_ = static_cast<int>(std::lround(v > 0 ? v * h_ : -v * start_height_));
            h_ = std::clamp(h_, 1, 10000);
            return true;
        case 'J':
        case 'L':
        case 'V': {
            const int k = tab();
            if (k < 0) return false;
            const double off = exp_off_ + ioff_ + ooff_;
            if (letter == 'V') {
                segment(tabs_[k], off + 0.5 * h_, s_, off + 0.5 * h_);
            } else {
                segment(tabs_[k], off - 0.2 * h_, s_, off - 0.2 * h_);
                if (letter == 'J') segment(tabs_[k], off - 0.4 * h_, s_, off - 0.4 * h_);
            }
            return true;
        }
        case 'K':
            if (mode == NUMBER && !(v > 0)) return fail(BAD_PARAMETER);
            fixed_ = mode != RESTORE;
            fixed_factor_ = mode == NUMBER ? v : 0.8;
            return true;
        case 'M':
            if (!whole(1, 6, BAD_PARAMETER)) return false;
            alphabet_ = mode == RESTORE ? t.base : mode == NUMBER ? n : 1;
            return true;
        case 'N':
            if (!whole(0, 255, BAD_PARAMETER)) return false;
            set_colour(mode == RESTORE ? start_colour_ : mode == NUMBER ? n : 1);
            return true;
        case 'O':
            ooff_ = mode == RESTORE ? 0.0 : (mode == NUMBER ? v : 1.0) * h_;
            return true;
        case 'R':
            if (mode != ALONE) return fail(BAD_PARAMETER);
            h_ = start_height_;
            exp_off_ = ioff_ = 0;
            return true;
        case 'S':
            if (mode == RESTORE) return fail(BAD_PARAMETER);
            if (!whole(0, 21, BAD_PARAMETER)) return false;
            symbol(mode == NUMBER ? n : 0);
            return true;
        case 'T':
            if (mode == RESTORE) return fail(BAD_PARAMETER);
            s_ = mode == NUMBER ? v : 0.0;
            return true;
        case 'W':
            if (mode == NUMBER && !(v > 0)) return fail(BAD_PARAMETER);
            width_ = mode == RESTORE ? t.width : mode == NUMBER ? v : 1.0;
            return true;
        case 'Y':
            spacing_ = mode == RESTORE ? t.spacing : mode == NUMBER ? v : 0.0;
            return true;
        case 'Z':
            if (mode == NUMBER && !(v > -60 && v < 60)) return fail(BAD_PARAMETER);
            if (mode == RESTORE)
                slant_ = t.slant;
            else
                slant_ = mode == NUMBER && std::fabs(v) >= 0.5 ? std::tan(v * M_PI / 180.0) : 0.0;
            return true;
        default:
            return fail(UNKNOWN);
    }
}

}  // namespace kal
