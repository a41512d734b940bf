// Frames of a thickness t (the axis frame, legend boxes, frmess, the outline
// of a shield region) are t outlines one plot unit apart. Up to a few units
// they are drawn so; a thicker frame is one filled band between its outer
// and inner outline, so that its cost does not grow with t times the line
// width.
#pragma once
#include <functional>
#include <vector>

namespace kal {

struct Context;

// Thicknesses up to this many units are drawn as lines.
constexpr int FRAME_LINES = 3;
inline bool frame_as_band(int thickness) { return thickness > FRAME_LINES || thickness < -FRAME_LINES; }

// How far a frame line reaches beyond its offset: half the line width.
double frame_reach(const Context& ctx);

// The closed outline of a frame at offset d (without repeating the first
// point); false when it has collapsed (an inner outline beyond the middle).
using FrameOutline = std::function<bool(double d, std::vector<double>& x, std::vector<double>& y)>;

// The band from the outline at offset `outer` to the one at `inner` as one
// polygon: the outer outline, then the inner one backwards, joined along one
// edge walked both ways (no fill rule sees it). A collapsed inner outline
// leaves the whole outer area. False when the outer outline has collapsed.
bool band_polygon(const FrameOutline& outline, double outer, double inner, std::vector<double>& x,
                  std::vector<double>& y);

// Lines one unit wide while it lives: a band filled with lines (devices
// without a native fill, fills cut by shields) is already as wide as the
// frame's lines, and its fill lines must not add the width once more.
class ThinLines {
public:
    explicit ThinLines(Context& ctx);
    ~ThinLines();
    ThinLines(const ThinLines&) = delete;
    ThinLines& operator=(const ThinLines&) = delete;

private:
    Context& ctx_;
    int width_;
    bool native_ = false;
};

// Fills a band polygon (plot coordinates relative to the origin, moved by
// the page transformation like lines) solid in the current colour, whatever
// shading pattern is selected.
void fill_band(Context& ctx, std::vector<double> x, std::vector<double> y);

}  // namespace kal
