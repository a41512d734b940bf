#include "output/record.h"

#include <algorithm>
#include <cstring>

namespace kal {

void RecordBuffer::write(FILE* fp, const char* bytes, int count) {
    if (count <= 0) return;
    if (fixed_records) {
        while (fill + count > LENGTH) {
            int take = LENGTH - fill;
            std::memcpy(data + fill, bytes, take);
            if (fp) std::fwrite(data, 1, LENGTH, fp);
            fill = 0;
            bytes += take;
            count -= take;
        }
    } else if (fill + count > LENGTH) {
        flush_line(fp);
        if (count > LENGTH) {  // an item longer than a record goes out whole
            if (fp) {
                std::fwrite(bytes, 1, count, fp);
                std::fputc('\n', fp);
            }
            return;
        }
    }
    std::memcpy(data + fill, bytes, count);
    fill += count;
}

void RecordBuffer::flush_line(FILE* fp) {
    if (fixed_records) {
        if (fill == 0) return;
        std::fill(data + fill, data + LENGTH, ' ');
        if (fp) std::fwrite(data, 1, LENGTH, fp);
    } else if (fp) {
        std::fwrite(data, 1, fill, fp);
        std::fputc('\n', fp);
    }
    fill = 0;
}

void RecordBuffer::write_words(FILE* fp, const char* text, int count) {
    if (count == -1) {
        flush_line(fp);
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
        if (fill > 0 && fill + len > LENGTH) flush_line(fp);
        if (len > LENGTH) {  // a word longer than a line goes out whole
            if (fp) {
                std::fwrite(text + start, 1, len, fp);
                std::fputc('\n', fp);
            }
        } else {
            std::memcpy(data + fill, text + start, len);
            fill += len;
        }
        start = end;
    }
}

}  // namespace kal
