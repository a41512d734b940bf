// Readers of the library's raster file and of uncompressed TIFF files. The
// file is untrusted: every size, count and offset is checked against the
// file length while parsing, so that reading rows afterwards cannot fail.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kal {

// A parsed image file. The bytes of raster and TIFF files stay owned by the
// caller and must outlive the object; decoded pictures (BMP, GIF) own their
// rows.
class FileImage {
public:
    int width() const { return width_; }
    int height() const { return height_; }
    // Indexed files deliver one palette index per pixel, the others three
    // bytes red, green, blue.
    bool indexed() const { return indexed_; }
    int bytes_per_pixel() const { return indexed_ ? 1 : 3; }
    // A colour map that comes with the file (TIFF palette images).
    bool has_palette() const { return has_palette_; }
    const uint8_t (&palette() const)[256][3] { return palette_; }
    // n pixels of row y from column x; the range must lie inside the image.
    void row(int y, int x, int n, uint8_t* out) const;

private:
    friend bool read_imag(std::span<const uint8_t>, FileImage&);
    friend bool read_tiff(std::span<const uint8_t>, FileImage&);
    friend class PictureBuilder;

    // Palette8: one index per pixel delivered through palette_ as RGB.
    enum class Layout { Bytes8, Rgb24, Rgbx32, Bits1, Palette8 };
    const uint8_t* base() const { return owned_.empty() ? data_.data() : owned_.data(); }
    std::span<const uint8_t> data_;
    std::vector<uint8_t> owned_;    // decoded rows, top row first
    int width_ = 0, height_ = 0;
    bool indexed_ = false;
    bool has_palette_ = false;
    uint8_t palette_[256][3] = {};
    Layout layout_ = Layout::Bytes8;
    bool invert_ = false;       // grey values count from white (TIFF WhiteIsZero)
    bool grey_ = false;         // 8-bit grey delivered as RGB
    uint64_t row_bytes_ = 0;
    uint64_t rows_per_strip_ = 1;
    std::vector<uint64_t> strips_;  // offset of each strip (raster file: one)
};

// The library's raster file ("!Bitmap" header of 80 characters, 8, 24 or 32
// bits per pixel). False for a file it cannot use.
bool read_imag(std::span<const uint8_t> file, FileImage& out);
// Uncompressed little-endian TIFF: palette (8 bits with colour map), RGB
// (3 x 8 bits, contiguous), grey (8 bits) or bilevel (1 bit), any strips.
bool read_tiff(std::span<const uint8_t> file, FileImage& out);

// Reads a whole regular file: 0, or warning number 36 (cannot open or read,
// or not a regular file: a device or FIFO is never opened for long) or 51
// (no memory, or larger than 2 GiB).
int read_file(const std::string& name, std::vector<uint8_t>& out);

}  // namespace kal
