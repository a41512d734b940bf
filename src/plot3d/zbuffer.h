// The depth buffer beside the raster of a raster device: zbfini opens it,
// zbffin closes it; the shading routines draw triangles through it.
//
// The buffer (ctx.out.depth) has one float per pixel of the raster drawn
// into: with aamode the enlarged canvas, so that triangles are drawn
// supersampled and the reduction smooths their edges. Depth is z'/w of the
// viewing matrix, which is affine on the page: it is interpolated linearly
// across a triangle, and so are the colours.
#pragma once
#include "output/colour_table.h"
#include "plot3d/view.h"

namespace kal {

struct Context;

// A triangle corner on the page: plot coordinates (without the plot origin
// offset, as abs_to_plot gives them), depth (smaller is nearer), and the
// colour interpolated across the triangle: the colour index when the
// triangle is drawn by index, else the components.
struct ZVertex {
    double x = 0, y = 0;
    double depth = 0;
    Rgb colour;
    double index = 0;
};

// A triangle corner in absolute 3-D coordinates with its colour.
struct ZCorner {
    Vec3 p;
    Rgb colour;
    double index = 0;
};

// A routine that draws through the depth buffer holds one of these while it
// draws: it opens a buffer unless zbfini has opened one, and closes what it
// opened. ok() is false (after warning 40) where the output has no raster of
// its own (vector files, also inside imgini ... imgfin), or after warning 53.
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

// The depth of an absolute 3-D point: z'/w of the open view.
double depth_of(const ViewMatrix& v, const Vec3& p);

// Draws a triangle into the open depth buffer: a pixel is set where its
// centre lies inside the triangle (on an edge: a top or left edge only, so
// that triangles sharing an edge set each of its pixels once) and the
// triangle is nearer there than what is stored. Nothing without a buffer.
void zbuffer_triangle(Context& ctx, const ZVertex v[3], bool by_index);

// A triangle of absolute 3-D points, cut at the clipping planes of clip3d
// (the cut corners get the colours of their place), then drawn as above.
void zbuffer_triangle3d(Context& ctx, const ZCorner c[3], bool by_index);

// A line between absolute 3-D points in the current colour, cut at the
// clipping planes of clip3d, one pixel of the picture wide (with aamode as
// many canvas pixels as the canvas is larger), its depth lowered by `bias`
// so that lines on a surface win over it.
void zbuffer_line(Context& ctx, const Vec3& a, const Vec3& b, double bias = 0);

}  // namespace kal
