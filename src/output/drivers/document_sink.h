// The byte sink every document writer writes through: a file, a growing
// memory block, or nothing at all (an output that could not be opened).
// The sink counts every byte it is given, so a writer can take byte offsets
// (the PDF cross-reference table) from it whatever the destination.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

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
    OutputSink() = default;  // discards everything (counts only)
    explicit OutputSink(FILE* fp);
    explicit OutputSink(MemoryBlock* memory);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    void write(const void* bytes, size_t n);
    void text(const char* s);
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Hands buffered bytes to the file.
    void flush();
    // Bytes written so far.
    uint64_t offset() const { return offset_; }

private:
    static constexpr size_t BUFFER = 1 << 20;
    FILE* fp_ = nullptr;
    MemoryBlock* memory_ = nullptr;
    std::vector<char> buffer_;
    uint64_t offset_ = 0;
};

}  // namespace kal
