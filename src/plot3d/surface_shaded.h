// Shaded surfaces: polygons in absolute 3-D coordinates drawn flat in
// depth order (every device) or smoothly through the depth buffer (raster
// devices), in value colours or one colour, optionally lit.
#pragma once
#include <array>
#include <vector>

#include "plot3d/view.h"

namespace kal {

struct Context;

enum : int { MESH_OFF = 0, MESH_ON, MESH_ONLY };       // surmsh
enum : int { SURFACE_FLAT = 0, SURFACE_SMOOTH };       // shdmod SURF

struct ShadeSettings {
    int mesh = MESH_OFF;
    int shading = SURFACE_FLAT;
};

// One polygon of the depth sort: its corners (absolute and on the page,
// relative to the plot origin) and its fill colour. The key is the mean
// projected depth of the corners: larger is farther.
struct DepthPolygon {
    double key = 0;
    int colour = 0;
    int n = 0;  // 3 or 4
    Vec3 corner[4];
    double x[4] = {}, y[4] = {};
};

// Orders the list from the farthest polygon to the nearest; polygons of
// equal keys keep their order.
void sort_by_depth(std::vector<DepthPolygon>& list);

// Fills a sorted list with solid fill (mesh OFF), outlines each polygon in
// the mesh colour over its fill (ON) or over the background colour (ONLY).
// The outlines take the 3-D line path (clipped, then projected). The
// current colour and fill pattern are those of before afterwards.
void draw_depth_sorted(Context& ctx, const std::vector<DepthPolygon>& list, int mesh, int mesh_colour);

// A surface of triangles and quadrilaterals over numbered points.
struct FaceMesh {
    std::vector<Vec3> point;       // absolute; a non-finite point is missing
    std::vector<double> value;     // the value that colours each point; empty: `colour` everywhere
    int colour = 0;
    std::vector<std::array<int, 4>> face;  // corners in order around; [3] < 0 for a triangle
};

// The colour scale of the shaded surfaces: the zscale limits, else the
// z axis range.
void surface_colour_scale(Context& ctx);

// Draws a mesh as the settings say (shdmod SURF, surmsh, lighting). Faces
// with a missing corner are left out, and in FLAT mode also faces with a
// corner that the 3-D clipping removes.
void draw_face_mesh(Context& ctx, const FaceMesh& mesh);

// The depth-sorted FLAT polygons of a mesh, with their colours (lit when
// lighting is on), unsorted.
std::vector<DepthPolygon> flat_polygons(Context& ctx, const FaceMesh& mesh);

// The mesh colour of the shaded surfaces (mshclr; the current colour by
// default).
int shaded_mesh_colour(const Context& ctx);

}  // namespace kal
