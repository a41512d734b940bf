// Repeated figures in the document writers (plot symbols by the thousand):
// the first figure of a kind is drawn once into a recorder, which keeps its
// lines and fills as device points around its centre; the writer defines
// that shape once in its own form (PDF form XObject, SVG <defs>, PostScript
// procedure) and places it at each figure's centre.
//
// Only figures that the writer would draw unchanged anywhere take this
// way: lines solid and thin, no page transformation, no circular clipping,
// no shields, and the whole figure inside the clipping window. Any other
// figure, and any figure whose drawing asks for more than lines and solid
// fills, is drawn as paths as before.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "core/devices.h"
#include "output/driver.h"

namespace kal {

struct Context;

struct FigureShape {
    // One stroke (points with pen codes 3 and 2) or one filled polygon, in
    // device units relative to the figure's centre.
    struct Part {
        bool fill = false;
        std::vector<double> x, y;
        std::vector<unsigned char> pen;   // strokes: 3 move, 2 draw
    };
    std::vector<Part> parts;
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;   // extent of the points
    long long vectors = 0;   // move/draw calls one figure counts
    bool has_fill() const {
        for (const Part& p : parts)
            if (p.fill) return true;
        return false;
    }
    // The writer's own numbers for it.
    int number = 0;
    int object = 0;
    double margin = 0;
    bool written = false;
};

// Repeated figures become shapes unless the environment sets
// KALVOR_FIGURE_SHAPES to OFF (or 0), read when a writer opens: the way to
// compare a file with its form drawn as paths.
bool figure_shapes_wanted();

// Whether figures drawn now come out the same at any place: no page
// transformation, circular clipping, shields or offset, lines one unit wide.
bool figures_movable(const Context& ctx);

class FigureShapes {
public:
    static constexpr size_t MOST = 256;   // shapes kept per document

    // The shape of figure `key` drawn at (x, y) (relative to the plot
    // origin), recorded on first use; `extra` tells apart shapes of one key
    // that the writer defines differently (its line width, a colour).
    // Null when the figure is to be drawn as paths. `centre` receives the
    // figure's centre in device units, `fresh` whether the shape is new.
    FigureShape* find(Context& ctx, const FigureKey& key, double extra, double x, double y,
                      const FigureDraw& draw, DevicePoint& centre, bool& fresh);
    size_t size() const { return shapes_.size(); }

private:
    struct Entry {
        FigureKey key;
        double extra, factor, spacing;
        std::unique_ptr<FigureShape> shape;   // null: drawn as paths
    };
    std::vector<Entry> shapes_;
};

}  // namespace kal
