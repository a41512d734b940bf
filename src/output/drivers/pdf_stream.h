// Content streams of a PDF page. With compression the operators collect in
// a 300000-byte stream buffer that is deflated when the stream ends; a full
// buffer ends the stream and begins the next, so one page may own several
// content streams. A stream cut because its buffer is full is deflated on a
// second thread while the next one fills, and written out before anything
// else reaches the file, so the bytes are the same as deflating in line.
// Without compression the bytes go straight to the output and the stream's
// length follows as an object of its own.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <future>
#include <vector>

#include "output/drivers/pdf_objects.h"
#include "output/sink.h"

namespace kal {

// Deflates `n` bytes (zlib format; with libdeflate when the build has it,
// else zlib); false when the encoder fails.
bool deflate_bytes(const unsigned char* data, size_t n, std::vector<unsigned char>& out);

class PdfContentStream {
public:
    static constexpr size_t BUFFER_SIZE = 300000;

    PdfContentStream(OutputSink& sink, PdfObjects& objects, bool compress);
    ~PdfContentStream();
    PdfContentStream(const PdfContentStream&) = delete;
    PdfContentStream& operator=(const PdfContentStream&) = delete;

    void begin();
    // Ends the stream and writes every stream still pending: afterwards the
    // caller may write other objects.
    void end();
    bool is_open() const { return open_; }

    void write(const char* bytes, size_t n);
    // Bytes that write() takes now without ending the stream: writes that
    // together fit it go out exactly as one write of their bytes would.
    size_t room() const {
        if (!open_) return 0;
        return compressing_ ? BUFFER_SIZE - std::min(buffer_.size(), BUFFER_SIZE) : SIZE_MAX;
    }
    void text(const char* s);
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Object numbers of the content streams of the current page.
    const std::vector<int>& page_streams() const { return page_streams_; }
    void clear_page_streams() { page_streams_.clear(); }

private:
    // Hands the full buffer to the second thread (or deflates it here when
    // no thread can be started) and begins the next stream.
    void cut();
    // Waits for the stream on the second thread and writes it.
    void settle();
    // Writes one compressed stream object (raw bytes when deflate failed).
    void emit(const std::vector<char>& raw, const std::vector<unsigned char>& packed, bool packed_ok);

    OutputSink& sink_;
    PdfObjects& objects_;
    bool compress_requested_;
    bool compressing_ = false;   // this stream collects in the buffer
    bool open_ = false;
    uint64_t start_ = 0;         // offset of the first data byte (uncompressed)
    std::vector<char> buffer_;
    std::vector<unsigned char> packed_;
    std::vector<int> page_streams_;
    // The stream being deflated on the second thread, and its result.
    std::vector<char> pending_raw_;
    std::vector<unsigned char> pending_packed_;
    std::future<bool> pending_;
};

}  // namespace kal
