#include "output/raster/image_readers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <new>

namespace kal {
namespace {

constexpr uint64_t MAX_SIDE = uint64_t(1) << 24;

uint32_t u16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t u32(const uint8_t* p) { return u16(p) | u16(p + 2) << 16; }

// Whether [offset, offset + length) lies inside a file of `size` bytes.
bool fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// One directory entry: its type, count and the 4-byte value field.
struct TiffField {
    uint32_t type = 0;
    uint64_t count = 0;
    const uint8_t* value = nullptr;
};

// The values of a SHORT or LONG field (BYTE too), at most `limit` of them;
// false when the type is another one or the data lies outside the file.
bool field_values(std::span<const uint8_t> file, const TiffField& f, uint64_t limit,
                  std::vector<uint64_t>& out) {
    const uint64_t unit = f.type == 1 ? 1 : f.type == 3 ? 2 : f.type == 4 ? 4 : 0;
    if (unit == 0 || f.count == 0 || f.count > limit) return false;
    const uint64_t bytes = unit * f.count;
    const uint8_t* p = f.value;
    if (bytes > 4) {
        const uint64_t offset = u32(f.value);
        if (!fits(offset, bytes, file.size())) return false;
        p = file.data() + offset;
    }
    out.resize(static_cast<size_t>(f.count));
    for (uint64_t i = 0; i < f.count; ++i)
        out[i] = unit == 1 ? p[i] : unit == 2 ? u16(p + 2 * i) : u32(p + 4 * i);
    return true;
}

// A field that must hold exactly one value (or the default when absent).
bool single_value(std::span<const uint8_t> file, const std::map<uint32_t, TiffField>& fields,
                  uint32_t tag, uint64_t fallback, bool required, uint64_t& out) {
    const auto it = fields.find(tag);
    if (it == fields.end()) {
        out = fallback;
        return !required;
    }
    std::vector<uint64_t> v;
    if (!field_values(file, it->second, 1, v)) return false;
    out = v[0];
    return true;
}

// Parses the integer fields of the raster file header ("%5d" each).
bool header_numbers(const uint8_t* text, long long* values, int count) {
    char buf[61];
    std::memcpy(buf, text, 60);
    buf[60] = '\0';
    const char* p = buf;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        errno = 0;
        const long long v = std::strtoll(p, &end, 10);
        if (end == p || errno == ERANGE) return false;
        values[i] = v;
        p = end;
    }
    return true;
}

}  // namespace

void FileImage::row(int y, int x, int n, uint8_t* out) const {
    const uint64_t strip = uint64_t(y) / rows_per_strip_;
    const uint8_t* p = base() + strips_[strip] + (uint64_t(y) % rows_per_strip_) * row_bytes_;
    switch (layout_) {
        case Layout::Bytes8:
            if (!grey_) {
                std::memcpy(out, p + x, size_t(n));
                return;
            }
            for (int i = 0; i < n; ++i) {
                const uint8_t v = invert_ ? uint8_t(255 - p[x + i]) : p[x + i];
                out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = v;
            }
            return;
        case Layout::Rgb24:
            std::memcpy(out, p + 3 * size_t(x), 3 * size_t(n));
            return;
        case Layout::Rgbx32:
            for (int i = 0; i < n; ++i) std::memcpy(out + 3 * i, p + 4 * (size_t(x) + i), 3);
            return;
        case Layout::Palette8:
            for (int i = 0; i < n; ++i) std::memcpy(out + 3 * i, palette_[p[x + i]], 3);
            return;
        case Layout::Bits1:
            for (int i = 0; i < n; ++i) {
                const size_t k = size_t(x) + i;
                const bool bit = (p[k / 8] >> (7 - k % 8)) & 1;
                const uint8_t v = (bit != invert_) ? 255 : 0;
                out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = v;
            }
            return;
    }
}

bool read_imag(std::span<const uint8_t> file, FileImage& out) {
    if (file.size() < 80 || std::memcmp(file.data(), "!Bitmap", 7) != 0) return false;
    long long v[5];
    if (!header_numbers(file.data() + 20, v, 5)) return false;
    const long long w = v[0], h = v[1], stride = v[3], bits = v[4];
    if (w < 1 || h < 1 || uint64_t(w) > MAX_SIDE || uint64_t(h) > MAX_SIDE) return false;
    if (bits != 8 && bits != 24 && bits != 32) return false;
    const uint64_t needed = uint64_t(w) * uint64_t(bits / 8);
    if (stride < 0 || uint64_t(stride) < needed) return false;
    const uint64_t body = file.size() - 80;
    if (uint64_t(stride) > body || uint64_t(h) > body / uint64_t(stride)) return false;

    FileImage img;
    img.data_ = file;
    img.width_ = int(w);
    img.height_ = int(h);
    img.indexed_ = bits == 8;
    img.layout_ = bits == 8 ? FileImage::Layout::Bytes8
                            : bits == 24 ? FileImage::Layout::Rgb24 : FileImage::Layout::Rgbx32;
    img.row_bytes_ = uint64_t(stride);
    img.rows_per_strip_ = uint64_t(h);
    img.strips_ = {80};
    out = std::move(img);
    return true;
}

bool read_tiff(std::span<const uint8_t> file, FileImage& out) {
    const uint64_t size = file.size();
    const uint8_t* d = file.data();
    if (size < 8 || d[0] != 'I' || d[1] != 'I' || u16(d + 2) != 42) return false;
    const uint64_t dir = u32(d + 4);
    if (!fits(dir, 2, size)) return false;
    const uint64_t entries = u16(d + dir);
    if (entries == 0 || !fits(dir + 2, 12 * entries, size)) return false;
    std::map<uint32_t, TiffField> fields;
    for (uint64_t i = 0; i < entries; ++i) {
        const uint8_t* e = d + dir + 2 + 12 * i;
        fields[u16(e)] = TiffField{u16(e + 2), u32(e + 4), e + 8};
    }

    uint64_t width, height, compression, photometric, samples, rows_per_strip, planar;
    if (!single_value(file, fields, 256, 0, true, width) ||
        !single_value(file, fields, 257, 0, true, height) ||
        !single_value(file, fields, 259, 1, false, compression) ||
        !single_value(file, fields, 262, 0, true, photometric) ||
        !single_value(file, fields, 277, 1, false, samples) ||
        !single_value(file, fields, 278, height, false, rows_per_strip) ||
        !single_value(file, fields, 284, 1, false, planar))
        return false;
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) return false;
    if (compression != 1 || planar != 1 || rows_per_strip < 1) return false;
    rows_per_strip = std::min(rows_per_strip, height);

    std::vector<uint64_t> bits = {1};
    if (fields.count(258) && !field_values(file, fields[258], 4, bits)) return false;
    for (uint64_t b : bits)
        if (b != bits[0]) return false;

    FileImage img;
    img.data_ = file;
    img.width_ = int(width);
    img.height_ = int(height);
    if (photometric == 3 && samples == 1 && bits[0] == 8) {
        std::vector<uint64_t> map;
        if (!fields.count(320) || !field_values(file, fields[320], 768, map) || map.size() != 768)
            return false;
        img.indexed_ = true;
        img.has_palette_ = true;
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 256; ++i) img.palette_[i][c] = uint8_t(map[256 * c + i] >> 8);
        img.layout_ = FileImage::Layout::Bytes8;
        img.row_bytes_ = width;
    } else if (photometric == 2 && samples == 3 && bits[0] == 8) {
        img.layout_ = FileImage::Layout::Rgb24;
        img.row_bytes_ = 3 * width;
    } else if ((photometric == 0 || photometric == 1) && samples == 1 && (bits[0] == 1 || bits[0] == 8)) {
        img.invert_ = photometric == 0;
        img.grey_ = bits[0] == 8;
        img.layout_ = bits[0] == 8 ? FileImage::Layout::Bytes8 : FileImage::Layout::Bits1;
        img.row_bytes_ = bits[0] == 8 ? width : (width + 7) / 8;
    } else {
        return false;
    }

    const uint64_t strips = (height + rows_per_strip - 1) / rows_per_strip;
    std::vector<uint64_t> offsets, counts;
    if (!fields.count(273) || !fields.count(279) ||
        !field_values(file, fields[273], size, offsets) ||
        !field_values(file, fields[279], size, counts) || offsets.size() < strips ||
        counts.size() < strips)
        return false;
    for (uint64_t s = 0; s < strips; ++s) {
        const uint64_t rows = std::min(rows_per_strip, height - s * rows_per_strip);
        const uint64_t need = rows * img.row_bytes_;
        if (counts[s] < need || !fits(offsets[s], need, size)) return false;
    }
    offsets.resize(static_cast<size_t>(strips));
    img.rows_per_strip_ = rows_per_strip;
    img.strips_ = std::move(offsets);
    out = std::move(img);
    return true;
}

int read_file(const std::string& name, std::vector<uint8_t>& out) {
    constexpr uint64_t LIMIT = uint64_t(1) << 31;
    // Opening never waits (a FIFO without a writer), and only a regular file
    // is read: a device or FIFO would never end or never start.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 36;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return 36;
    }
    if (static_cast<uint64_t>(st.st_size) > LIMIT) {
        ::close(fd);
        return 51;
    }
    std::vector<uint8_t> data;
    int result = 0;
    try {
        data.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        result = 51;
    }
    size_t used = 0;
    while (result == 0 && used < data.size()) {
        const ssize_t got = ::read(fd, data.data() + used, data.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result = 36;
        if (got <= 0) break;  // the file shrank meanwhile: what is there
        used += static_cast<size_t>(got);
    }
    ::close(fd);
    if (result != 0) return result;
    data.resize(used);
    out.swap(data);
    return 0;
}

}  // namespace kal
