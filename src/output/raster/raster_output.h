// Between the context record and the raster: making a raster for the page,
// its palette from the colour table, and writing it as an image file with
// the settings of the record.
#pragma once
#include <memory>

#include "output/raster/image_writers.h"

namespace kal {

struct Context;

// Entries of the colour table that the nearest-colour search looks at: 9
// for SMAL, 16 for VGA, all 256 otherwise.
int nearest_search_entries(const Context& ctx);
// Loads the colour table into the raster's palette.
void load_table_palette(const Context& ctx, Raster& r);
// A raster of w x h pixels with the palette of the colour table, white when
// true colour and the background mode is 2 (white page); nullptr when it
// cannot be made.
std::unique_ptr<Raster> new_raster(const Context& ctx, int w, int h, bool true_colour);

WriteOptions write_options(const Context& ctx);
// The part of the raster that files hold: the imgclp window, or all of it.
ImageRegion file_region(const Context& ctx, const Raster& r);
// Prints the warning of a writer's result code (36 file error, 51 memory,
// 101 "ZLIB error"); true when it is WRITE_OK.
bool report_write(Context& ctx, int result);

}  // namespace kal
