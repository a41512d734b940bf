// bitsi2, bitsi4: copy a field of nbits bits, counted from the most
// significant end, out of one 16- or 32-bit value into another.
#include <cstdint>

#include "api/routines_utilities.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {
namespace {

// Takes nbits bits of `from` starting `at` bits below its top and ORs them
// into `into` starting `to` bits below its top; `width` is 16 or 32. The
// arithmetic runs in 64 bits so that no shift reaches the operand width.
// Counts outside the word give warning 2 and return `into` unchanged.
int copy_bits(Context& ctx, int width, int nbits, int from, int at, int into, int to) {
    if (nbits < 0 || nbits > width || at < 0 || at >= width || to < 0 || to >= width) {
        warn_int(ctx, 2, nbits < 0 || nbits > width ? nbits : (at < 0 || at >= width ? at : to));
        return into;
    }
    const uint64_t word = width == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const uint64_t mask = (word << (width - nbits)) & word;
    const uint64_t field = (mask & (static_cast<uint64_t>(static_cast<uint32_t>(from)) << at) & word) >> to;
    return static_cast<int>(static_cast<uint32_t>(field) | static_cast<uint32_t>(into));
}

}  // namespace

int bitsi2(Context& ctx, int nbits, int nher, int iher, int nhin, int ihin) {
    return copy_bits(ctx, 16, nbits, nher, iher, nhin, ihin);
}

int bitsi4(Context& ctx, int nbits, int nher, int iher, int nhin, int ihin) {
    return copy_bits(ctx, 32, nbits, nher, iher, nhin, ihin);
}

}  // namespace kal
