// Fixed and exponent forms of numbers, and the numode writing of digits.
#include "plot2d/number_format.h"

#include <cmath>
#include <cstdio>

#include "core/context.h"
#include "util/number_text.h"

namespace kal {
namespace {

// Decimals beyond this many carry no information for a double.
constexpr int MAX_DECIMALS = 60;

// Plain printf text of x; "-0.00" loses its sign.
std::string plain_fixed(double x, int ndig) {
    if (!std::isfinite(x)) return std::isnan(x) ? "nan" : (x > 0 ? "inf" : "-inf");
    if (ndig > MAX_DECIMALS) ndig = MAX_DECIMALS;
    char buf[400];  // 1e308 with 60 decimals fits
    format_fixed(x, ndig, buf, sizeof buf);
    std::string s = buf;
    if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    return s;
}

// Applies the decimal character, grouping and sign of `mode` to a plain text.
std::string apply_mode(const std::string& plain, const NumberMode& mode) {
    const bool negative = !plain.empty() && plain[0] == '-';
    const size_t begin = negative ? 1 : 0;
    size_t point = plain.find('.');
    if (point == std::string::npos) point = plain.size();
    std::string out;
    if (negative) out += '-';
    else if (mode.sign && plain.find_first_of("123456789") != std::string::npos)
        out += mode.sign;
    for (size_t i = begin; i < point; ++i) {
        out += plain[i];
        const size_t left = point - i - 1;
        if (mode.group && left > 0 && left % 3 == 0) out += mode.group;
    }
    if (point < plain.size()) {
        out += mode.decimal;
        out.append(plain, point + 1, std::string::npos);
    }
    return out;
}

}  // namespace

std::string fixed_text(double x, int ndig, const NumberMode& mode) {
    return apply_mode(plain_fixed(x, ndig), mode);
}

std::string exp_text(double x, int ndig, const NumberMode& mode, bool fexp, Raise raise) {
    if (!std::isfinite(x)) return fixed_text(x, ndig, mode);
    int e = 0;
    double m = 0;
    if (x != 0) {
        e = static_cast<int>(std::floor(std::log10(std::fabs(x))));
        m = x / std::pow(10.0, e);
        // The mantissa written with ndig decimals may round up to 10.
        if (std::fabs(std::stod(plain_fixed(m, ndig))) >= 10) {
            ++e;
            m = x / std::pow(10.0, e);
        }
    }
    std::string s = fixed_text(m, ndig, mode);
    if (fexp) return s + "E" + std::to_string(e);
    return s + "*10" + raise.exp + std::to_string(e) + raise.reset;
}

std::string power_text(double x, int ndig, const NumberMode& mode, Raise raise) {
    return std::string("10") + raise.exp + fixed_text(x, ndig, mode) + raise.reset;
}

Raise current_raise(const Context& ctx) {
    return {ctx.text.mix[MIX_EXP], ctx.text.mix[MIX_RES]};
}

std::string number_text(const Context& ctx, double x, int ndig) {
    const NumberMode& mode = ctx.labels.mode;
    switch (ctx.labels.number_form) {
        case NUMFMT_EXP: return exp_text(x, ndig, mode, false, current_raise(ctx));
        case NUMFMT_FEXP: return exp_text(x, ndig, mode, true, current_raise(ctx));
        case NUMFMT_LOG: return power_text(x, ndig, mode, current_raise(ctx));
        default: return fixed_text(x, ndig, mode);
    }
}

}  // namespace kal
