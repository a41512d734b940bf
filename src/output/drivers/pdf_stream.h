// Content streams of a PDF page. With compression the operators collect in
// a 300000-byte stream buffer that is deflated when the stream ends; a full
// buffer ends the stream and begins the next, so one page may own several
// content streams. Without compression the bytes go straight to the output
// and the stream's length follows as an object of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/drivers/pdf_objects.h"
#include "output/sink.h"

namespace kal {

// Deflates `n` bytes (zlib format, default level); false when zlib fails.
bool deflate_bytes(const unsigned char* data, size_t n, std::vector<unsigned char>& out);

class PdfContentStream {
public:
    static constexpr size_t BUFFER_SIZE = 300000;

    PdfContentStream(OutputSink& sink, PdfObjects& objects, bool compress);

    void begin();
    void end();
    bool is_open() const { return open_; }

    void write(const char* bytes, size_t n);
    void text(const char* s);
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Object numbers of the content streams of the current page.
    const std::vector<int>& page_streams() const { return page_streams_; }
    void clear_page_streams() { page_streams_.clear(); }

private:
    OutputSink& sink_;
    PdfObjects& objects_;
    bool compress_requested_;
    bool compressing_ = false;   // this stream collects in the buffer
    bool open_ = false;
    int number_ = 0;
    uint64_t start_ = 0;         // offset of the first data byte (uncompressed)
    std::vector<char> buffer_;
    std::vector<unsigned char> packed_;
    std::vector<int> page_streams_;
};

}  // namespace kal
