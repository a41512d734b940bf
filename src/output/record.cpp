#include "output/record.h"

#include <algorithm>
#include <cstring>

#include "output/sink.h"

namespace kal {

void RecordBuffer::write(OutputSink& out, const char* bytes, int count) {
    if (count <= 0) return;
    if (fixed_records) {
        while (fill + count > LENGTH) {
            int take = LENGTH - fill;
            std::memcpy(data + fill, bytes, take);
            out.write(data, LENGTH);
            fill = 0;
            bytes += take;
            count -= take;
        }
    } else if (fill + count > LENGTH) {
        flush_line(out);
        if (count > LENGTH) {  // an item longer than a record goes out whole
            out.write(bytes, count);
            out.byte('\n');
            return;
        }
    }
    std::memcpy(data + fill, bytes, count);
    fill += count;
}

void RecordBuffer::flush_line(OutputSink& out) {
    if (fixed_records) {
        if (fill == 0) return;
        std::fill(data + fill, data + LENGTH, ' ');
        out.write(data, LENGTH);
    } else {
        data[fill] = '\n';
        out.write(data, fill + 1);
    }
    fill = 0;
}

void RecordBuffer::write_words(OutputSink& out, const char* text, int count) {
    if (count == -1) {
        flush_line(out);
        return;
    }
    int start = 0;
    while (start < count) {
        int end = start;
        while (end < count && text[end] != ' ') ++end;
        if (end < count) ++end;  // the word keeps its blank
        const int len = end - start;
        if (len == 1 && text[start] == ' ' && end < count) {
            start = end;
            continue;
        }
        if (len > LENGTH) {  // a word longer than a line goes out whole
            if (fill > 0) flush_line(out);
            out.write(text + start, len);
            out.byte('\n');
        } else {
            put_word(out, text + start, len);
        }
        start = end;
    }
}

}  // namespace kal
