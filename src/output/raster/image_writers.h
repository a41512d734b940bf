// The image file writers: TIFF, PNG, PPM, BMP, GIF and the library's own
// raster file, all writing a window of a raster through an OutputSink.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "output/raster/raster.h"
#include "output/sink.h"

namespace kal {

class OctreeQuantizer;

// The part of a raster that a file holds (inside the raster).
struct ImageRegion {
    const Raster* raster = nullptr;
    int x = 0, y = 0, w = 0, h = 0;
};

// A region covering the whole raster, or the given window cut to it
// (w = 0 when nothing of the window lies on the raster).
ImageRegion whole_raster(const Raster& r);
ImageRegion clipped_region(const Raster& r, int x, int y, int w, int h);

enum ImageFormatSetting : int { IMAGE_IND = 0, IMAGE_RGB = 1, IMAGE_BIL = 2 };

struct WriteOptions {
    int format = IMAGE_IND;        // imgfmt
    bool png_transparent = false;  // pngmod
    bool gif_transparent = false;  // gifmod
    int tiff_resolution = 100;     // tifmod: pixels per unit
    int tiff_unit = 2;             // 2 inch, 3 centimetre
    bool white_background = false; // background mode 2
    bool screen = false;           // saved from a screen window (raster file tag WIN)
};

enum WriteResult : int {
    WRITE_OK = 0,
    WRITE_IO = -1,         // the sink refused bytes (file error, buffer full)
    WRITE_MEMORY = -2,
    WRITE_ZLIB_INIT = -3,
    WRITE_ZLIB_DEFLATE = -4,
    WRITE_ZLIB_END = -5,
};

enum class FileKind { Tiff, Imag, Png, Ppm, Bmp, Gif };

// Writes the region in the given format and flushes the sink, so that a
// file may be closed as soon as it returns; returns a WriteResult.
int write_image(OutputSink& out, FileKind kind, const ImageRegion& region, const WriteOptions& o);

// The single formats; they leave any buffered bytes in the sink.
int write_png(OutputSink& out, const ImageRegion& region, const WriteOptions& o);
int write_gif(OutputSink& out, const ImageRegion& region, const WriteOptions& o);
int write_tiff(OutputSink& out, const ImageRegion& region, const WriteOptions& o);
int write_bmp(OutputSink& out, const ImageRegion& region, const WriteOptions& o);
int write_ppm(OutputSink& out, const ImageRegion& region);
int write_imag(OutputSink& out, const ImageRegion& region, bool screen = false);

// The CRC-32 of the PNG standard (polynomial 0xEDB88320), continued from crc
// (start with 0).
uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t n);

// The region as palette indices: the raster's own indices and palette, or,
// for a true-colour raster, the octree quantizer's. Throws std::bad_alloc.
class IndexedPixels {
public:
    explicit IndexedPixels(const ImageRegion& region);
    ~IndexedPixels();
    // Row y of the region (0 = top) as w indices.
    void row(int y, uint8_t* out) const;
    const uint8_t (&palette() const)[256][3] { return palette_; }
    // The index of the background: 0 on a palette raster, else the index
    // of the colour a new true-colour raster is filled with.
    int background_index() const;

private:
    ImageRegion region_;
    std::unique_ptr<OctreeQuantizer> quantizer_;
    uint8_t palette_[256][3] = {};
};

}  // namespace kal
