#include "util/large_arrays.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kal {
namespace {
constexpr size_t LARGE = size_t(1) << 20;
constexpr size_t HUGE_PAGE = size_t(2) << 20;

size_t huge_rounded(size_t bytes) { return (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE; }
}  // namespace

void* allocate_large(size_t bytes) {
    if (bytes < LARGE) return ::operator new(bytes);
    if (bytes > size_t(-1) - HUGE_PAGE) throw std::bad_alloc();
    const size_t size = huge_rounded(bytes);
    void* p = ::operator new(size, std::align_val_t(HUGE_PAGE));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(p, size, MADV_HUGEPAGE);  // advice only: where refused, small pages
#endif
    return p;
}

void free_large(void* p, size_t bytes) noexcept {
    if (bytes < LARGE)
        ::operator delete(p);
    else
        ::operator delete(p, std::align_val_t(HUGE_PAGE));
}

}  // namespace kal
