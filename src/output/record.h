// The 80-character record buffer that the text-based drivers batch their
// output in: items are never split across lines (CGM: fixed 80-byte records).
// Full lines go to the driver's output sink.
#pragma once
#include <cstddef>
#include <cstring>

namespace kal {

class OutputSink;

struct RecordBuffer {
    static constexpr int LENGTH = 80;
    char data[LENGTH + 2] = {};
    int fill = 0;
    bool fixed_records = false;  // CGM: full 80-byte records, no line feeds

    // Appends an item; a full buffer is written first (text: as a line).
    void write(OutputSink& out, const char* bytes, int count);
    // Writes the buffer as a line (text) or a blank-padded record (CGM).
    void flush_line(OutputSink& out);
    // Word-wrapping writer of the PostScript family: the text is cut after
    // every blank into words that keep their blank; a lone blank (the second
    // of two) is dropped unless it ends the text, so padded numbers lose
    // their padding. A word that would make the line longer than 80
    // characters first ends the line. count -1 ends the line at once.
    void write_words(OutputSink& out, const char* text, int count);
    // One word of the word writer: 1 .. LENGTH characters, a blank only at
    // its end.
    void put_word(OutputSink& out, const char* word, int len) {
        if (fill > 0 && fill + len > LENGTH) flush_line(out);
        std::memcpy(data + fill, word, static_cast<size_t>(len));
        fill += len;
    }
    void clear() { fill = 0; }
};

}  // namespace kal
