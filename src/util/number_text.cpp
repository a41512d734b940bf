// intcha, intlen, flen, fcha, trmlen, upstr: numbers as text and small
// string helpers. fcha writes exactly the flen characters for the same
// arguments, so a caller sizes its buffer with flen (+1 for the NUL).
#include <cmath>
#include <cstdio>
#include <cstring>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"
#include "util/number_text.h"

namespace kal {
namespace {

// Decimals beyond this many carry no information for a float.
constexpr int MAX_DECIMALS = 60;

// Clamps ndig into the accepted range and warns about NaN and infinities.
int checked_digits(Context& ctx, float x, int ndig) {
    if (!std::isfinite(x)) warn_text(ctx, 2, std::isnan(x) ? "x = NaN" : "x = infinite");
    if (ndig > MAX_DECIMALS) {
        warn_int(ctx, 2, ndig);
        return MAX_DECIMALS;
    }
    return ndig;
}

}  // namespace

int format_fixed(double x, int ndig, char* out, size_t size) {
    if (ndig < 0) {
        x = std::round(x);
        if (x == 0.0) x = 0.0;  // no "-0"
        return std::snprintf(out, size, "%.0f", x);
    }
    return std::snprintf(out, size, "%.*f", ndig, x);
}

int intcha(Context&, int n, char* text) {
    return std::snprintf(text, 12, "%d", n);
}

int intlen(int n) {
    return std::snprintf(nullptr, 0, "%d", n);
}

int flen(Context& ctx, float x, int ndig) {
    return format_fixed(x, checked_digits(ctx, x, ndig), nullptr, 0);
}

int fcha(Context& ctx, float x, int ndig, char* text) {
    const int digits = checked_digits(ctx, x, ndig);
    const int length = format_fixed(x, digits, nullptr, 0);
    return format_fixed(x, digits, text, static_cast<size_t>(length) + 1);
}

int trmlen(const char* text) {
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == ' ') --n;
    return static_cast<int>(n);
}

void upstr(Context&, char* text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

}  // namespace kal
