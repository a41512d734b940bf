// Numbers with two decimals, exactly as printf's "%.2f" writes them, for the
// hot paths of the document writers (one coordinate pair per line point).
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kal {

constexpr int FIXED2_MAX = 320;  // room for any double ("%.2f" of 1e308 has 309 digits)

// The hundredths of a = |v| < 1e13 as "%.2f" rounds them.
inline uint64_t fixed2_cents(double a) {
    const double t = a * 100.0;
    const double err = std::fma(a, 100.0, -t);   // a·100 = t + err exactly
    uint64_t n = static_cast<uint64_t>(t);       // t >= 0: truncation is floor
    const double d = (t - static_cast<double>(n)) - 0.5;  // exact: a multiple of ulp(t)
    // Without branches: the halves are a coin toss on measured data.
    n += static_cast<uint64_t>((d > 0) | ((d == 0) & ((err > 0) | ((err == 0) & (n & 1)))));
    return n;
}

// v as "%.2f" writes it, counted in hundredths (|v| < 1e13).
inline double fixed2_steps(double v) {
    const double n = static_cast<double>(fixed2_cents(std::fabs(v)));
    return std::signbit(v) ? -n : n;
}

// The same for |v| <= 1e7, faster: the product rounded by the floating
// point unit (ties to even, as printf), unless the product lies exactly
// halfway, where its rounding error decides.
inline double fixed2_steps_near(double v) {
    constexpr double SHIFT = 6755399441055744.0;   // 1.5 * 2^52
    const double t = v * 100.0;
    const double r = (t + SHIFT) - SHIFT;
    return std::fabs(t - r) == 0.5 ? fixed2_steps(v) : r;
}

// Writes n hundredths (n = fixed2_cents(|v|)) the way "%.2f" writes v,
// minus sign first when `negative`.
inline char* put_cents(char* p, uint64_t n, bool negative) {
    static constexpr char PAIRS[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    if (negative) *p++ = '-';
    unsigned cents;
    // Up to 9999.99 (any page coordinate) in 32 bits, the digits straight
    // to p.
    if (n < 1000000) {
        const unsigned m = static_cast<unsigned>(n);
        cents = m % 100;
        const unsigned w = m / 100;
        const unsigned head = w >= 100 ? w / 100 : w;
        if (head >= 10) {
            std::memcpy(p, PAIRS + 2 * head, 2);
            p += 2;
        } else {
            *p++ = static_cast<char>('0' + head);
        }
        if (w >= 100) {
            std::memcpy(p, PAIRS + 2 * (w % 100), 2);
            p += 2;
        }
    } else {
        cents = static_cast<unsigned>(n % 100);
        // Digits two at a time from the right, then copied in order.
        char digits[24];
        char* q = digits + sizeof digits;
        uint64_t rest = n / 100;
        while (rest >= 100) {
            q -= 2;
            std::memcpy(q, PAIRS + 2 * (rest % 100), 2);
            rest /= 100;
        }
        if (rest >= 10) {
            q -= 2;
            std::memcpy(q, PAIRS + 2 * rest, 2);
        } else {
            *--q = static_cast<char>('0' + rest);
        }
        const size_t k = static_cast<size_t>(digits + sizeof digits - q);
        std::memcpy(p, q, k);
        p += k;
    }
    *p++ = '.';
    std::memcpy(p, PAIRS + 2 * cents, 2);
    return p + 2;
}


// Writes v like "%.2f" at p and returns the end. |v| below 1e13 takes the
// fast path: the exact value of v·100 (the product plus its rounding error
// from fma) is rounded to the nearest integer, ties to even, as printf
// rounds the exact binary value; other values go to snprintf.
inline char* put_fixed2(char* p, double v) {
    const double a = std::fabs(v);
    if (!(a < 1e13)) return p + std::snprintf(p, FIXED2_MAX, "%.2f", v);
    return put_cents(p, fixed2_cents(a), std::signbit(v));
}

}  // namespace kal
