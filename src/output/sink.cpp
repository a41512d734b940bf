#include "output/sink.h"

#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>

#include <sys/types.h>

namespace kal {

MemoryBlock::~MemoryBlock() { release(); }

bool MemoryBlock::allocate(size_t initial, size_t step) {
    release();
    step_ = step ? step : 1;
    data_ = static_cast<unsigned char*>(std::malloc(initial ? initial : 1));
    if (!data_) return false;
    capacity_ = initial ? initial : 1;
    return true;
}

void MemoryBlock::append(const void* bytes, size_t n) {
    if (failed_ || n == 0) return;
    if (!data_ || n > capacity_ - size_) {
        // Grow by whole steps until the bytes fit.
        const size_t need = size_ + n;
        if (need < size_) {
            failed_ = true;
            return;
        }
        size_t capacity = capacity_;
        while (capacity < need) {
            if (capacity > SIZE_MAX - step_) {
                failed_ = true;
                return;
            }
            capacity += step_;
        }
        void* grown = std::realloc(data_, capacity);
        if (!grown) {
            failed_ = true;
            return;
        }
        data_ = static_cast<unsigned char*>(grown);
        capacity_ = capacity;
    }
    std::memcpy(data_ + size_, bytes, n);
    size_ += n;
}

void MemoryBlock::release() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    failed_ = false;
}

OutputSink::OutputSink(FILE* fp) : fp_(fp) {
    if (!fp_) return;
    target_ = Target::File;
    // Without memory for the buffer every write goes straight to the file.
    own_.reset(new (std::nothrow) unsigned char[FILE_BUFFER]);
    buffer_ = own_.get();
    capacity_ = buffer_ ? FILE_BUFFER : 0;
}

OutputSink::OutputSink(MemoryBlock* memory) : memory_(memory) {
    if (memory_) target_ = Target::Memory;
}

OutputSink::OutputSink(void* buffer, size_t capacity) {
    if (!buffer) return;
    target_ = Target::Fixed;
    buffer_ = static_cast<unsigned char*>(buffer);
    capacity_ = capacity;
}

// Unflushed bytes are dropped: the writer flushes when it finishes, and the
// file may already be closed when a record is torn down mid-plot.
OutputSink::~OutputSink() = default;

bool OutputSink::fail() {
    failed_ = true;
    capacity_ = 0;
    fill_ = 0;
    return false;
}

// Writes that miss the buffer: no buffer, a full one, or a failed sink.
bool OutputSink::write_slow(const void* bytes, size_t n) {
    if (failed_) return false;
    if (n == 0) return true;
    switch (target_) {
        case Target::Nowhere:
            break;
        case Target::Fixed:
            return fail();  // it would not fit
        case Target::Memory:
            memory_->append(bytes, n);
            if (memory_->failed()) return fail();
            break;
        case Target::File:
            if (!flush()) return false;
            if (n < capacity_) {
                std::memcpy(buffer_, bytes, n);
                fill_ = n;
            } else if (std::fwrite(bytes, 1, n, fp_) != n) {
                return fail();
            }
            break;
    }
    offset_ += n;
    return true;
}

char* OutputSink::reserve_slow(size_t most) {
    if (target_ != Target::File || failed_ || most > capacity_) return nullptr;
    if (!flush()) return nullptr;
    return reinterpret_cast<char*>(buffer_);
}

bool OutputSink::format(const char* fmt, ...) {
    char local[512];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(local, sizeof local, fmt, args);
    va_end(args);
    bool ok = false;
    if (n < 0) {
        ok = !failed_;
    } else if (static_cast<size_t>(n) < sizeof local) {
        ok = write(local, static_cast<size_t>(n));
    } else {
        std::string big(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(big.data(), big.size(), fmt, again);
        ok = write(big.data(), static_cast<size_t>(n));
    }
    va_end(again);
    return ok;
}

bool OutputSink::patch(uint64_t at, const void* bytes, size_t n) {
    if (failed_ || at > offset_ || n > offset_ - at) return false;
    if (n == 0) return true;
    switch (target_) {
        case Target::Nowhere:
            return true;
        case Target::Fixed:
            std::memcpy(buffer_ + at, bytes, n);
            return true;
        case Target::Memory:
            // The block may hold bytes from before this sink.
            std::memcpy(memory_->data() + (memory_->size() - offset_) + at, bytes, n);
            return true;
        case Target::File:
            break;
    }
    if (at >= offset_ - fill_) {
        std::memcpy(buffer_ + (fill_ - (offset_ - at)), bytes, n);
        return true;
    }
    if (!flush()) return false;
    // The file stands at the end of everything written: the place lies
    // offset_ - at bytes before it.
    const off_t end = ftello(fp_);
    if (end < 0 || uint64_t(end) < offset_ - at) return fail();
    if (fseeko(fp_, end - off_t(offset_ - at), SEEK_SET) != 0) return fail();
    const bool written = std::fwrite(bytes, 1, n, fp_) == n;
    if (fseeko(fp_, end, SEEK_SET) != 0 || !written) return fail();
    return true;
}

bool OutputSink::flush() {
    if (target_ == Target::File && fill_ > 0) {
        const size_t n = fill_;
        fill_ = 0;
        if (std::fwrite(buffer_, 1, n, fp_) != n) return fail();
    }
    return !failed_;
}

}  // namespace kal
