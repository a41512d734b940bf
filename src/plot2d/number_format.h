// Numbers as text for numbers and labels: the fixed form written with the
// numode characters, and the exponent forms (numfmt).
#pragma once
#include <string>

#include "plot2d/labels.h"

namespace kal {

// Control characters that raise an exponent and return to the baseline.
struct Raise {
    char exp = '[';
    char reset = '$';
};

// x with ndig decimals (-1: rounded integer), written with the decimal
// character, the thousands grouping and the sign of `mode`; never "-0".
std::string fixed_text(double x, int ndig, const NumberMode& mode);

// m*10^e with the exponent raised (EXP) or mE e (FEXP); the mantissa has
// ndig decimals and lies in [1, 10) after rounding.
std::string exp_text(double x, int ndig, const NumberMode& mode, bool fexp, Raise raise);

// "10" with x raised as its exponent.
std::string power_text(double x, int ndig, const NumberMode& mode, Raise raise);

// x by the numfmt form of the settings (number, nlnumb, rlnumb).
std::string number_text(const Context& ctx, double x, int ndig);

// The raise characters of the current text settings.
Raise current_raise(const Context& ctx);

}  // namespace kal
