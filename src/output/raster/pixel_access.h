// Internal helpers of the pixel routines, shared with the file routines and
// the Python binding.
#pragma once
#include <cstdint>

#include "core/export.h"

namespace kal {

class Raster;
struct Context;

// Bytes per pixel in the buffers of wpixls, rpixls, wpxrow and rpxrow for
// the calling thread: 3 with imgmod "RGB ", else 1.
KALVOR_INTERNAL int pixel_buffer_bytes();

// Writes / reads nw x nh pixels at (x, y), clipped to the raster; the buffer
// holds rows of nw pixels of `bpp` bytes (1: palette indices, 3: red, green,
// blue). Pixels outside the raster are skipped (reading leaves their bytes).
void write_pixel_block(Raster& r, const uint8_t* buf, int x, int y, int nw, int nh, int bpp);
void read_pixel_block(const Raster& r, uint8_t* buf, int x, int y, int nw, int nh, int bpp);

// imgini and imgfin without the routine frame (wtiff and rbfpng use them);
// begin returns false after its warning. With place = false the raster that
// begin made for a PostScript or PDF page is dropped instead of placed.
bool begin_image_mode(Context& ctx);
void end_image_mode(Context& ctx, bool place = true);

}  // namespace kal
