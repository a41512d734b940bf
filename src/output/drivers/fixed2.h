// Numbers with two decimals, exactly as printf's "%.2f" writes them, for the
// hot paths of the document writers (one coordinate pair per line point).
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kal {

constexpr int FIXED2_MAX = 320;  // room for any double ("%.2f" of 1e308 has 309 digits)

// Writes v like "%.2f" at p and returns the end. |v| below 1e13 takes the
// fast path: the exact value of v·100 (the product plus its rounding error
// from fma) is rounded to the nearest integer, ties to even, as printf
// rounds the exact binary value; other values go to snprintf.
inline char* put_fixed2(char* p, double v) {
    const double a = std::fabs(v);
    if (!(a < 1e13)) return p + std::snprintf(p, FIXED2_MAX, "%.2f", v);
    const double t = a * 100.0;
    const double err = std::fma(a, 100.0, -t);   // a·100 = t + err exactly
    const double f = std::floor(t);
    const double d = (t - f) - 0.5;               // exact: a multiple of ulp(t)
    uint64_t n = static_cast<uint64_t>(f);
    if (d > 0 || (d == 0 && (err > 0 || (err == 0 && (n & 1))))) ++n;
    if (std::signbit(v)) *p++ = '-';
    char digits[24];
    int k = 0;
    uint64_t whole = n / 100;
    do {
        digits[k++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    while (k) *p++ = digits[--k];
    *p++ = '.';
    *p++ = static_cast<char>('0' + (n / 10) % 10);
    *p++ = static_cast<char>('0' + n % 10);
    return p;
}

}  // namespace kal
