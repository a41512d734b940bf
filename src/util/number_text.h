// Fixed-point text of a number, shared by fcha and flen and the number and
// label formatting of the axis code.
#pragma once
#include <cstddef>

namespace kal {

// The fixed-point text of x with ndig decimals; a negative ndig rounds x
// to the nearest integer (halves away from zero) and writes no point.
// Returns the length; writes into `out` (of `size` bytes) when given.
int format_fixed(double x, int ndig, char* out, size_t size);

}  // namespace kal
