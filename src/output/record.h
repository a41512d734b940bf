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
    static constexpr int WORD_MOST = 16;  // a word formatted in place (word_end)
    char data[LENGTH + WORD_MOST] = {};
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
        if (wraps(len)) flush_line(out);
        std::memcpy(data + fill, word, static_cast<size_t>(len));
        fill += len;
    }
    // The same without a copy: a word of at most WORD_MOST characters is
    // formatted at word_end(), then end_word(len) takes it (ending the line
    // before it when it does not fit).
    char* word_end() { return data + fill; }
    void end_word(OutputSink& out, int len) {
        if (wraps(len)) {
            char word[WORD_MOST];
            std::memcpy(word, data + fill, static_cast<size_t>(len));
            flush_line(out);
            std::memcpy(data, word, static_cast<size_t>(len));
        }
        fill += len;
    }
    void clear() { fill = 0; }
    // Whether a word of len characters ends the line before it.
    bool wraps(int len) const { return fill > 0 && fill + len > LENGTH; }
};

}  // namespace kal
