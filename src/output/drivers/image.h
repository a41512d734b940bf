#pragma once
#include <memory>
#include <vector>

#include "output/driver.h"
#include "output/raster/raster.h"

namespace kal {

// The raster devices TIFF, IMAG, VIRT, PNG, PPM, BMP and GIF: every line,
// rectangle, triangle and colour goes into the raster of ctx.out.raster,
// which kalfin writes to the output file (VIRT: nowhere).
class ImageDriver : public Driver {
public:
    explicit ImageDriver(int device) : device_(device) {}

    void open(Context& ctx) override;
    void erase(Context& ctx) override;
    int close(Context& ctx) override;

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_triangle(Context& ctx, const double* x, const double* y, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    void push_palette(Context& ctx) override;
    bool repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                         const FigureDraw& draw) override;

private:
    // The pixels a figure set around its centre pixel, for figures alike.
    struct Stamp {
        FigureKey key;
        double spacing, factor;   // fill spacing and device factor it was made with
        long long vectors;        // the moves and draws it stands for (kalfin's count)
        std::vector<int> dx, dy;
    };
    void fill_by_centres(Context& ctx, int n, const double* x, const double* y);
    const Stamp* find_stamp(const Context& ctx, const FigureKey& key) const;
    const Stamp* make_stamp(Context& ctx, const FigureKey& key, int cx, int cy, int reach, double x, double y,
                            const FigureDraw& draw);
    std::vector<Stamp> stamps_;
    std::unique_ptr<Raster> scratch_;   // where a stamp is drawn first

    int device_;
    int cx_ = 0, cy_ = 0;  // current point
    // Reused by fill_polygon: the polygon relative to the plot origin, the
    // crossings of one scan line and the spans found (device x1 y1 x2 y2).
    std::vector<double> fx_, fy_, crossings_;
    std::vector<int> spans_;
};

}  // namespace kal
