// The interpolation modes of curve: each turns the converted points into
// pen moves and draws, and FBAR into polygons to fill.
#pragma once
#include <vector>

namespace kal {

struct Context;

// Points of a curve in page coordinates relative to the plot origin, with
// the user values they came from; gap[i] says that the way from point i to
// point i + 1 is a gap (gapcrv).
struct CurvePoints {
    std::vector<double> px, py, ux, uy;
    std::vector<char> gap;
    bool polar = false;
};

// A polyline path: pen 3 moves, pen 2 draws; fills are closed polygons.
struct CurvePath {
    std::vector<double> x, y;
    std::vector<char> pen;
    std::vector<std::vector<double>> fill_x, fill_y;
    void move(double px, double py) { add(px, py, 3); }
    void draw(double px, double py) { add(px, py, 2); }
    void add(double px, double py, char p) {
        x.push_back(px);
        y.push_back(py);
        pen.push_back(p);
    }
};

// LINE, STEP, STAI, STEM, BARS and FBAR (the splines are drawn as LINE
// through their sampled points).
void build_curve_path(const Context& ctx, int mode, const CurvePoints& p, CurvePath& path);

// Draws the path in `thickness` copies side by side (thkcrv), each
// starting the dash pattern at the same phase; FBAR polygons are filled
// with the solid pattern first.
void draw_curve_lines(Context& ctx, const CurvePath& path, int thickness);
// Draws the path's moves and draws through the line layer.
void draw_path(Context& ctx, const CurvePath& path);

}  // namespace kal
