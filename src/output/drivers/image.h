#pragma once
#include <vector>

#include "output/driver.h"

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

private:
    int device_;
    int cx_ = 0, cy_ = 0;  // current point
    // Reused by fill_polygon: the polygon relative to the plot origin, the
    // crossings of one scan line and the spans found (device x1 y1 x2 y2).
    std::vector<double> fx_, fy_, crossings_;
    std::vector<int> spans_;
};

}  // namespace kal
