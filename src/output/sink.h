// The byte sink every writer writes through: a file, a growing memory block,
// the caller's fixed buffer, or nothing at all (an output that could not be
// opened, or a writer asked only for the length). A PNG or PDF in memory and
// the same document in a file are the same bytes from the same code.
// The sink counts every byte it accepts, so a writer can take byte offsets
// (the PDF cross-reference table) or a length from it whatever the
// destination.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kal {

// A block of bytes that grows in fixed steps; once a growth fails it keeps
// what it has, stores nothing more and reports the failure.
class MemoryBlock {
public:
    MemoryBlock() = default;
    ~MemoryBlock();
    MemoryBlock(const MemoryBlock&) = delete;
    MemoryBlock& operator=(const MemoryBlock&) = delete;

    // Drops the contents and allocates `initial` bytes; false when memory is short.
    bool allocate(size_t initial, size_t step);
    void append(const void* bytes, size_t n);
    void release();

    const unsigned char* data() const { return data_; }
    unsigned char* data() { return data_; }
    size_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t step_ = 1;
    bool failed_ = false;
};

class OutputSink {
public:
    // Takes everything and stores nothing: counts only.
    OutputSink() = default;
    // An open file (binary mode; a null file counts only). The bytes collect
    // in a 1 MiB buffer: call flush() before the caller closes the file.
    explicit OutputSink(FILE* fp);
    // Appends to a growing memory block (unbuffered: the block is always
    // up to date).
    explicit OutputSink(MemoryBlock* memory);
    // The caller's buffer of `capacity` bytes. A write that does not fit
    // fails and stores none of its bytes. A null buffer counts only.
    OutputSink(void* buffer, size_t capacity);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    // Appends n bytes; false when they cannot be taken (buffer full, file
    // error, memory block that cannot grow). After a failure every later
    // write fails too and nothing more is counted.
    bool write(const void* bytes, size_t n) {
        // Most writes are small and fit the buffer (file or fixed); room is
        // 0 for the other destinations and after a failure, and n = 0 goes
        // the long way so that it reports a failure too.
        if (n != 0 && n <= capacity_ - fill_) {
            std::memcpy(buffer_ + fill_, bytes, n);
            fill_ += n;
            offset_ += n;
            return true;
        }
        return write_slow(bytes, n);
    }
    bool text(const char* s) { return write(s, std::strlen(s)); }

    // Room for up to `most` bytes formatted in place at the end of the
    // buffer (a full file buffer is flushed first); commit(n) then accepts
    // the n <= most bytes written there. Null where there is no such room
    // (memory block, counting sink, a fixed buffer too full, a failed sink):
    // the caller formats elsewhere and hands the bytes to write().
    char* reserve(size_t most) {
        if (most <= capacity_ - fill_) return reinterpret_cast<char*>(buffer_ + fill_);
        return reserve_slow(most);
    }
    void commit(size_t n) {
        fill_ += n;
        offset_ += n;
    }
    bool format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

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

    // Overwrites n bytes written before, from byte `at` on (a header whose
    // sizes are known only at the end). The file is flushed and written at
    // that place when the bytes have left the buffer, and left positioned at
    // its end. False when the bytes were never written (beyond offset()) or
    // cannot be rewritten; a file that cannot be rewritten fails the sink.
    bool patch(uint64_t at, const void* bytes, size_t n);

    // Hands buffered bytes to the file (the FILE's own buffer; closing the
    // file is the caller's). False when the sink has failed.
    bool flush();
    bool failed() const { return failed_; }
    // Bytes accepted so far.
    uint64_t offset() const { return offset_; }

private:
    enum class Target { Nowhere, File, Memory, Fixed };
    static constexpr size_t FILE_BUFFER = size_t(1) << 20;

    bool write_slow(const void* bytes, size_t n);
    char* reserve_slow(size_t most);
    bool fail();

    Target target_ = Target::Nowhere;
    FILE* fp_ = nullptr;
    MemoryBlock* memory_ = nullptr;
    // The file's staging buffer, or the caller's fixed buffer.
    std::unique_ptr<unsigned char[]> own_;
    unsigned char* buffer_ = nullptr;
    size_t capacity_ = 0;
    size_t fill_ = 0;
    uint64_t offset_ = 0;
    bool failed_ = false;
};

}  // namespace kal
