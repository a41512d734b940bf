// Filled shapes by pixel centres, and the outline of a wide line as such a
// shape. Pixel (i, j) of a raster is the square around the point (i, j): it
// is set when that point lies inside. Boundaries are taken half-open, so a
// shape of integer width w covers exactly w pixels across.
#pragma once
#include <vector>

namespace kal {

class Raster;

class PolygonScan {
public:
    void clear() { edges_.clear(); }
    bool empty() const { return edges_.empty(); }
    // A closed contour of n points. With `oriented` its edges count in the
    // direction that makes the contour's area positive, so that a union of
    // oriented contours fills with the nonzero rule as one shape.
    void add_contour(const double* x, const double* y, int n, bool oriented);
    // Sets the pixels inside (nonzero winding or even-odd) in the raster's
    // current colour, each once.
    void fill(Raster& r, bool nonzero);

private:
    struct Edge {
        double x0, y0, x1, y1;  // y0 < y1
        int dir;
    };
    std::vector<Edge> edges_;
    std::vector<const Edge*> active_;
    std::vector<std::pair<double, int>> cross_;
};

struct StrokeStyle {
    double width;  // pixels
    int join;      // 0 sharp (mitre), 1 round, 2 truncated (bevel)
    int cap;       // 0 cut, 1 round, 2 long (square)
    double miter;  // mitre limit: longest mitre as a multiple of the width
};

// Adds the outline of the polyline through n points (consecutive equal
// points allowed) to the scan: a quadrilateral of the width for each
// segment, the joins between them and the caps at the ends where
// cap_start and cap_end say the line really ends there. A polyline that
// returns to its first point is a ring: joined there, without caps. A
// polyline no longer than a pixel is a dot: a square (round with round caps)
// of the width rounded to whole pixels, the same for every such piece.
void add_stroke(PolygonScan& scan, const double* x, const double* y, int n, const StrokeStyle& style,
                bool cap_start, bool cap_end);

}  // namespace kal
