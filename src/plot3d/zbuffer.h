// The depth buffer beside the raster of a raster device: zbfini opens it,
// zbffin closes it; the shading routines draw triangles through it.
#pragma once
#include "output/colour_table.h"

namespace kal {

struct Context;

// A triangle corner on the page: plot coordinates, depth (smaller is
// nearer), and the colour interpolated across the triangle: the colour
// index when the triangle is drawn by index, else the components.
struct ZVertex {
    double x = 0, y = 0;
    double depth = 0;
    Rgb colour;
    double index = 0;
};

// A routine that draws through the depth buffer holds one of these while it
// draws: it opens a buffer unless zbfini has opened one, and closes what it
// opened. ok() is false (after warning 40) where the output has no raster.
class ZBufferUse {
public:
    explicit ZBufferUse(Context& ctx);
    ~ZBufferUse();
    ZBufferUse(const ZBufferUse&) = delete;
    ZBufferUse& operator=(const ZBufferUse&) = delete;
    bool ok() const { return ok_; }

private:
    Context& ctx_;
    bool ok_ = false;
    bool opened_ = false;
};

// Draws a triangle into the open depth buffer: a pixel is set where the
// triangle is nearer than what is there.
void zbuffer_triangle(Context& ctx, const ZVertex v[3], bool by_index);

}  // namespace kal
