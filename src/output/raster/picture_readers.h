// Readers of the BMP and GIF pictures that incfil places on the page. Both
// decode the whole picture into rows the FileImage owns: palette pictures
// as one index per pixel (read back as RGB), 24-bit BMPs as RGB. The file is
// untrusted: declared sizes are checked before anything is allocated, every
// count, offset and code against the data.
#pragma once
#include <cstdint>
#include <span>

#include "output/raster/image_readers.h"

namespace kal {

enum class PictureResult {
    Ok,
    Bad,       // not a picture the reader can use (warning 56)
    NoMemory,  // more than MAX_PICTURE_PIXELS, or no memory ("Not enough memory")
};

constexpr uint64_t MAX_PICTURE_PIXELS = uint64_t(1) << 28;

// BMP: 1, 4, 8 bits with palette or 24 bits; uncompressed (bottom-up or
// top-down), RLE8 (8 bits) or RLE4 (4 bits); info headers of 40, 52, 56, 108
// or 124 bytes.
PictureResult read_bmp(std::span<const uint8_t> file, FileImage& out);
// GIF87a / GIF89a: the first image at its own size, global or local colour
// table, LZW codes up to 12 bits, interlaced or not. Transparency is ignored.
PictureResult read_gif(std::span<const uint8_t> file, FileImage& out);

}  // namespace kal
