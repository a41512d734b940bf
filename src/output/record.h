// The 80-character record buffer that the text-based drivers batch their
// output in: items are never split across lines (CGM: fixed 80-byte records).
#pragma once
#include <cstddef>
#include <cstdio>

namespace kal {

struct RecordBuffer {
    static constexpr int LENGTH = 80;
    char data[LENGTH + 2] = {};
    int fill = 0;
    bool fixed_records = false;  // CGM: full 80-byte records, no line feeds

    // Appends an item; a full buffer is written first (text: as a line).
    void write(FILE* fp, const char* bytes, int count);
    // Writes the buffer as a line (text) or a blank-padded record (CGM).
    void flush_line(FILE* fp);
    void clear() { fill = 0; }
};

}  // namespace kal
