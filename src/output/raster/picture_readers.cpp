#include "output/raster/picture_readers.h"

#include <cstring>
#include <new>
#include <vector>

namespace kal {

// Makes the decoded FileImage: the size and layout, then rows to fill.
class PictureBuilder {
public:
    // width x height pixels of one palette index (or RGB), all 0.
    static PictureResult start(FileImage& img, uint64_t width, uint64_t height, bool rgb) {
        if (width < 1 || height < 1 || width > 65535 || height > 65535) return PictureResult::Bad;
        if (width * height > MAX_PICTURE_PIXELS) return PictureResult::NoMemory;
        const uint64_t row = width * (rgb ? 3 : 1);
        try {
            img.owned_.assign(static_cast<size_t>(row * height), 0);
        } catch (const std::bad_alloc&) {
            return PictureResult::NoMemory;
        }
        img.data_ = {};
        img.width_ = int(width);
        img.height_ = int(height);
        img.indexed_ = false;
        img.has_palette_ = false;
        img.layout_ = rgb ? FileImage::Layout::Rgb24 : FileImage::Layout::Palette8;
        img.row_bytes_ = row;
        img.rows_per_strip_ = height;
        img.strips_ = {0};
        return PictureResult::Ok;
    }
    static uint8_t* row(FileImage& img, int y) { return img.owned_.data() + size_t(y) * img.row_bytes_; }
    static void colour(FileImage& img, int i, uint8_t r, uint8_t g, uint8_t b) {
        img.palette_[i][0] = r;
        img.palette_[i][1] = g;
        img.palette_[i][2] = b;
    }
};

namespace {

using B = PictureBuilder;
using R = PictureResult;

uint32_t u16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t u32(const uint8_t* p) { return u16(p) | u16(p + 2) << 16; }

bool fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Every index of the picture below `colours`.
bool indices_below(FileImage& img, int colours) {
    if (colours >= 256) return true;
    for (int y = 0; y < img.height(); ++y) {
        const uint8_t* p = B::row(img, y);
        for (int x = 0; x < img.width(); ++x)
            if (p[x] >= colours) return false;
    }
    return true;
}

// ---------------------------------------------------------------- BMP

struct BmpHeader {
    uint64_t width = 0, height = 0;
    bool top_down = false;
    int bits = 0;
    uint32_t compression = 0;
    uint64_t data = 0;     // offset of the pixel data
    int colours = 0;       // palette entries
};

R bmp_uncompressed(std::span<const uint8_t> file, const BmpHeader& h, FileImage& img) {
    const uint64_t row_size = (h.width * uint64_t(h.bits) + 31) / 32 * 4;
    const uint64_t last_row = (h.width * uint64_t(h.bits) + 7) / 8;
    if (!fits(h.data, row_size * (h.height - 1) + last_row, file.size())) return R::Bad;
    const R r = B::start(img, h.width, h.height, h.bits == 24);
    if (r != R::Ok) return r;
    for (uint64_t j = 0; j < h.height; ++j) {
        const uint8_t* src = file.data() + h.data + j * row_size;
        uint8_t* dst = B::row(img, int(h.top_down ? j : h.height - 1 - j));
        switch (h.bits) {
            case 24:
                for (uint64_t x = 0; x < h.width; ++x) {
                    dst[3 * x] = src[3 * x + 2];
                    dst[3 * x + 1] = src[3 * x + 1];
                    dst[3 * x + 2] = src[3 * x];
                }
                break;
            case 8: std::memcpy(dst, src, size_t(h.width)); break;
            case 4:
                for (uint64_t x = 0; x < h.width; ++x) dst[x] = (src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
                break;
            default:
                for (uint64_t x = 0; x < h.width; ++x) dst[x] = (src[x / 8] >> (7 - x % 8)) & 1;
                break;
        }
    }
    return R::Ok;
}

// RLE8 and RLE4: runs, end of line, end of bitmap, delta and absolute runs
// padded to 16 bits. Rows count from the bottom; pixels never written keep
// index 0. Runs above the last row or a delta past the picture are damage.
R bmp_rle(std::span<const uint8_t> file, const BmpHeader& h, FileImage& img) {
    const R r = B::start(img, h.width, h.height, false);
    if (r != R::Ok) return r;
    const bool four = h.bits == 4;
    const uint8_t* d = file.data();
    const uint64_t size = file.size();
    uint64_t pos = h.data, x = 0, y = 0;  // y: rows from the bottom
    // Pixels past the row's end are dropped (encoders that run-length the
    // padded row write them); pixels above the last row are damage.
    auto put = [&](uint8_t v) {
        if (y >= h.height) return false;
        if (x < h.width) B::row(img, int(h.height - 1 - y))[x] = v;
        ++x;
        return true;
    };
    while (true) {
        if (!fits(pos, 2, size)) return R::Bad;
        const uint32_t count = d[pos], value = d[pos + 1];
        pos += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                if (!put(four ? uint8_t(i % 2 ? value & 0x0F : value >> 4) : uint8_t(value))) return R::Bad;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of bitmap
                return R::Ok;
            case 2: {  // delta
                if (!fits(pos, 2, size)) return R::Bad;
                x += d[pos];
                y += d[pos + 1];
                pos += 2;
                if (y > h.height || (y == h.height && x > 0)) return R::Bad;
                break;
            }
            default: {  // absolute run of `value` pixels
                const uint64_t bytes = four ? (value + 1) / 2 : value;
                if (!fits(pos, bytes, size)) return R::Bad;
                for (uint32_t i = 0; i < value; ++i) {
                    const uint8_t b = d[pos + (four ? i / 2 : i)];
                    if (!put(four ? uint8_t(i % 2 ? b & 0x0F : b >> 4) : b)) return R::Bad;
                }
                pos += bytes + bytes % 2;
                break;
            }
        }
    }
}

R parse_bmp_header(std::span<const uint8_t> file, BmpHeader& h, FileImage& img) {
    const uint8_t* d = file.data();
    if (file.size() < 18 || d[0] != 'B' || d[1] != 'M') return R::Bad;
    const uint32_t info = u32(d + 14);
    if (info != 40 && info != 52 && info != 56 && info != 108 && info != 124) return R::Bad;
    if (!fits(14, info, file.size())) return R::Bad;
    const int32_t w = int32_t(u32(d + 18)), hh = int32_t(u32(d + 22));
    h.bits = int(u16(d + 28));
    h.compression = u32(d + 30);
    const uint32_t used = u32(d + 46);
    h.data = u32(d + 10);
    if (w < 1 || hh == 0 || hh == INT32_MIN) return R::Bad;
    h.width = uint64_t(w);
    h.top_down = hh < 0;
    h.height = uint64_t(hh < 0 ? -int64_t(hh) : hh);
    const bool ok = (h.compression == 0 && (h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 24)) ||
                    (h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4);
    if (!ok || (h.top_down && h.compression != 0) || u16(d + 26) != 1) return R::Bad;
    if (h.bits <= 8) {
        const uint32_t most = 1u << h.bits;
        if (used > most) return R::Bad;
        h.colours = int(used ? used : most);
        const uint64_t table = 14 + uint64_t(info);
        if (!fits(table, 4 * uint64_t(h.colours), file.size()) || h.data < table + 4 * uint64_t(h.colours))
            return R::Bad;
        for (int i = 0; i < h.colours; ++i) {
            const uint8_t* e = d + table + 4 * i;
            B::colour(img, i, e[2], e[1], e[0]);
        }
    }
    return R::Ok;
}

// ---------------------------------------------------------------- GIF

// LZW codes read least-significant bit first from the data sub-blocks.
class CodeReader {
public:
    CodeReader(std::span<const uint8_t> file, uint64_t pos) : file_(file), pos_(pos) {}
    // The next code of `width` bits, or -1 when the data ends (or a block
    // length points past the file).
    int next(int width) {
        while (nbits_ < width) {
            if (left_ == 0) {
                if (ended_ || pos_ >= file_.size()) return -1;
                left_ = file_[pos_++];
                if (left_ == 0) {
                    ended_ = true;
                    return -1;
                }
            }
            if (pos_ >= file_.size()) return -1;
            bits_ |= uint32_t(file_[pos_++]) << nbits_;
            nbits_ += 8;
            --left_;
        }
        const int code = int(bits_ & ((1u << width) - 1));
        bits_ >>= width;
        nbits_ -= width;
        return code;
    }

private:
    std::span<const uint8_t> file_;
    uint64_t pos_;
    uint32_t left_ = 0;  // bytes left in the current sub-block
    uint32_t bits_ = 0;
    int nbits_ = 0;
    bool ended_ = false;
};

// Row of the n-th decoded line in the four interlace passes.
int interlaced_row(int n, int height) {
    static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p) {
        const int rows = height > start[p] ? (height - start[p] + step[p] - 1) / step[p] : 0;
        if (n < rows) return start[p] + n * step[p];
        n -= rows;
    }
    return height - 1;
}

// Decodes the LZW stream into the picture's indices; false for a code not
// yet defined (other than the next one) or data that ends early.
bool lzw_decode(CodeReader& in, int min_size, bool interlaced, FileImage& img) {
    constexpr int MAX_CODES = 4096;
    const int clear = 1 << min_size, end = clear + 1;
    std::vector<uint16_t> prefix(MAX_CODES);
    std::vector<uint8_t> suffix(MAX_CODES), stack(MAX_CODES + 1);
    for (int i = 0; i < clear; ++i) suffix[i] = uint8_t(i);
    const uint64_t total = uint64_t(img.width()) * img.height();
    uint64_t done = 0;
    int width = min_size + 1, next = end + 1, previous = -1;
    uint8_t first = 0;
    auto emit = [&](uint8_t v) {
        if (done >= total) return;
        const int line = int(done / img.width()), x = int(done % img.width());
        const int y = interlaced ? interlaced_row(line, img.height()) : line;
        B::row(img, y)[x] = v;
        ++done;
    };
    while (done < total) {
        const int code = in.next(width);
        if (code < 0) return false;
        if (code == clear) {
            width = min_size + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end) return false;
        if (previous < 0) {
            if (code >= clear) return false;
            first = uint8_t(code);
            emit(first);
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= MAX_CODES)) return false;
        int n = 0, c = code;
        if (code == next) {  // the code being defined now: previous string + its first byte
            stack[n++] = first;
            c = previous;
        }
        while (c >= clear) {
            stack[n++] = suffix[c];
            c = prefix[c];
        }
        stack[n++] = uint8_t(c);
        first = uint8_t(c);
        while (n > 0) emit(stack[--n]);
        if (next < MAX_CODES) {
            prefix[next] = uint16_t(previous);
            suffix[next] = first;
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
        previous = code;
    }
    return true;
}

}  // namespace

PictureResult read_bmp(std::span<const uint8_t> file, FileImage& out) {
    BmpHeader h;
    FileImage img;
    R r = parse_bmp_header(file, h, img);
    if (r != R::Ok) return r;
    r = h.compression == 0 ? bmp_uncompressed(file, h, img) : bmp_rle(file, h, img);
    if (r != R::Ok) return r;
    if (h.bits <= 8 && !indices_below(img, h.colours)) return R::Bad;
    out = std::move(img);
    return R::Ok;
}

PictureResult read_gif(std::span<const uint8_t> file, FileImage& out) {
    const uint8_t* d = file.data();
    const uint64_t size = file.size();
    if (size < 13 || (std::memcmp(d, "GIF87a", 6) != 0 && std::memcmp(d, "GIF89a", 6) != 0)) return R::Bad;
    FileImage img;
    int colours = 0;
    uint64_t pos = 13;
    auto table = [&](uint32_t flags) {
        colours = 2 << (flags & 7);
        if (!fits(pos, 3 * uint64_t(colours), size)) return false;
        for (int i = 0; i < colours; ++i) B::colour(img, i, d[pos + 3 * i], d[pos + 3 * i + 1], d[pos + 3 * i + 2]);
        pos += 3 * uint64_t(colours);
        return true;
    };
    if ((d[10] & 0x80) && !table(d[10])) return R::Bad;
    while (true) {
        if (pos >= size) return R::Bad;
        const uint8_t kind = d[pos++];
        if (kind == 0x21) {  // extension: label, then sub-blocks up to a zero length
            if (pos >= size) return R::Bad;
            ++pos;
            while (true) {
                if (pos >= size) return R::Bad;
                const uint32_t n = d[pos++];
                if (n == 0) break;
                if (!fits(pos, n, size)) return R::Bad;
                pos += n;
            }
            continue;
        }
        if (kind != 0x2C || !fits(pos, 10, size)) return R::Bad;
        const uint32_t w = u16(d + pos + 4), h = u16(d + pos + 6), flags = d[pos + 8];
        pos += 9;
        if ((flags & 0x80) && !table(flags)) return R::Bad;
        if (colours == 0 || pos >= size) return R::Bad;
        const int min_size = d[pos++];
        if (min_size < 2 || min_size > 8) return R::Bad;
        const R r = B::start(img, w, h, false);
        if (r != R::Ok) return r;
        CodeReader codes(file, pos);
        if (!lzw_decode(codes, min_size, flags & 0x40, img) || !indices_below(img, colours)) return R::Bad;
        out = std::move(img);
        return R::Ok;
    }
}

}  // namespace kal
