// Where the image writers put their bytes: a file, or a caller's memory
// buffer. Every writer writes through this one interface, so a PNG in memory
// and a PNG file are the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kal {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends n bytes; false when they cannot be taken (no room, I/O error).
    // After a failure every later write fails too.
    bool write(const void* data, size_t n) {
        if (failed_) return false;
        if (n > 0 && !put(data, n)) failed_ = true;
        return !failed_;
    }
    bool failed() const { return failed_; }

    bool byte(int v) {
        const uint8_t b = static_cast<uint8_t>(v);
        return write(&b, 1);
    }
    bool be32(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        return write(b, 4);
    }
    bool le16(uint32_t v) {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        return write(b, 2);
    }
    bool le32(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return write(b, 4);
    }

protected:
    virtual bool put(const void* data, size_t n) = 0;

private:
    bool failed_ = false;
};

// An open file (binary mode); the caller opens and closes it.
class FileSink : public ByteSink {
public:
    explicit FileSink(FILE* fp) : fp_(fp) {}

protected:
    bool put(const void* data, size_t n) override {
        return fp_ && std::fwrite(data, 1, n, fp_) == n;
    }

private:
    FILE* fp_;
};

// The caller's buffer of `capacity` bytes; a null buffer only counts.
class BufferSink : public ByteSink {
public:
    BufferSink(uint8_t* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    size_t size() const { return size_; }

protected:
    bool put(const void* data, size_t n) override {
        if (buffer_) {
            if (n > capacity_ - size_) return false;
            std::memcpy(buffer_ + size_, data, n);
        }
        size_ += n;
        return true;
    }

private:
    uint8_t* buffer_;
    size_t capacity_;
    size_t size_ = 0;
};

}  // namespace kal
