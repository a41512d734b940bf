#include "output/drivers/document_sink.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

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
    if (fp_) buffer_.reserve(BUFFER);
}

OutputSink::OutputSink(MemoryBlock* memory) : memory_(memory) {}

// Unflushed bytes are dropped: the writer flushes when it finishes, and the
// file may already be closed when a record is torn down mid-plot.
OutputSink::~OutputSink() = default;

void OutputSink::write(const void* bytes, size_t n) {
    offset_ += n;
    if (memory_) {
        memory_->append(bytes, n);
    } else if (fp_) {
        if (buffer_.size() + n > BUFFER) flush();
        if (n >= BUFFER) {
            std::fwrite(bytes, 1, n, fp_);
            return;
        }
        const char* p = static_cast<const char*>(bytes);
        buffer_.insert(buffer_.end(), p, p + n);
    }
}

void OutputSink::text(const char* s) { write(s, std::strlen(s)); }

void OutputSink::format(const char* fmt, ...) {
    char local[512];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(local, sizeof local, fmt, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<size_t>(n) < sizeof local) {
        write(local, static_cast<size_t>(n));
    } else {
        std::string big(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(big.data(), big.size(), fmt, again);
        write(big.data(), static_cast<size_t>(n));
    }
    va_end(again);
}

void OutputSink::flush() {
    if (fp_ && !buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), fp_);
    buffer_.clear();
}

}  // namespace kal
