// The degree labels of gridmp on maps without degree axes (pseudo-
// cylindrical maps and discs): where the grid lines meet the outline.
#pragma once
#include <vector>

namespace kal {

struct Context;

// A label: its grid line, the box its text covers (upper left corner x, y,
// y down, width w, height h) and the corner draw_label takes (tx, ty), in
// the coordinates draw_label takes.
struct GridLabel {
    bool meridian;
    double value;
    double x, y, w, h;
    double tx, ty;
};

// The labels of every nx-th meridian and ny-th parallel of gridmp's lines,
// meridians from the south, parallels from the west, in mplsiz's height.
// On a disc each sits outside the rim, away from its centre, where its line
// crosses the rim (a meridian out of a pole inside the disc where it leaves);
// on a disc round a geographic pole the parallels, inside the rim, are
// centred on their points along one meridian. Elsewhere (or with an mplang
// angle) a label's lower left corner is at the point. mplpos moves them all. A label that would touch one placed before it, or that repeats
// a meridian (-180 and 180), is left out.
std::vector<GridLabel> place_grid_labels(Context& ctx, int nx, int ny);

// Draws them in mplclr's colour on mplclr's background.
void draw_grid_labels(Context& ctx, int nx, int ny);

}  // namespace kal
