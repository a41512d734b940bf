// Memory for large numeric arrays (converted coordinates, rasters, depth
// buffers). A block of a megabyte or more is aligned to 2 MiB, rounded up
// to whole 2 MiB and advised as huge pages: a fresh array of megabytes then
// costs a few page faults instead of one per 4 KB, which in a short-lived
// process is most of the time a first large picture takes. Smaller blocks
// come from operator new.
#pragma once
#include <cstddef>
#include <new>
#include <vector>

#include "core/export.h"

namespace kal {

KALVOR_INTERNAL void* allocate_large(size_t bytes);
KALVOR_INTERNAL void free_large(void* p, size_t bytes) noexcept;

template <typename T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(size_t n) {
        if (n > size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocate_large(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { free_large(p, n * sizeof(T)); }
    template <typename U>
    bool operator==(const LargeAllocator<U>&) const { return true; }
};

template <typename T>
using LargeArray = std::vector<T, LargeAllocator<T>>;

}  // namespace kal
