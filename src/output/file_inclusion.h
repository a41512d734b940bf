// incfil: the window a file is fitted into and the two kinds of files it
// draws, VEKMET metafiles (vekmet_reader.cpp) and BMP / GIF pictures
// (picture_placement.cpp).
#pragma once
#include <cstdint>
#include <span>

namespace kal {

struct Context;
class FileImage;

// A page rectangle in plot units, upper left corner (x, y), without the plot
// origin offset.
struct PageBox {
    double x, y, w, h;
};

// Plays the lines and colours of a VEKMET file back into the box: its page
// scaled by min(w/A, h/B) for the recorded page A x B, at the box's upper
// left corner. Warning 56 for a damaged file (what was drawn stays), 101
// when the end field is missing. The current colour is kept.
void play_vekmet(Context& ctx, std::span<const uint8_t> file, const PageBox& box);

// Places a decoded picture into the box: embedded on PostScript and PDF
// pages, scaled (nearest neighbour) into the pixels of raster devices.
void place_picture(Context& ctx, const FileImage& picture, const PageBox& box);

}  // namespace kal
