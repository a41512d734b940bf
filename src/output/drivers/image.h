#pragma once
#include <memory>
#include <vector>

#include "output/driver.h"
#include "output/raster/raster.h"
#include "output/raster/stroke.h"

namespace kal {

// The raster devices TIFF, IMAG, VIRT, PNG, PPM, BMP and GIF: every line,
// rectangle, triangle and colour goes into the raster of ctx.out.raster,
// which kalfin writes to the output file (VIRT: nowhere). Lines wider than a
// pixel are drawn here as filled outlines, each connected piece at once.
// With aamode the driver draws into a true-colour raster pixel_scale times
// larger and boxes it down into ctx.out.raster whenever the pixels are read.
class ImageDriver : public Driver {
public:
    explicit ImageDriver(int device) : device_(device) {}

    void open(Context& ctx) override;
    void erase(Context& ctx) override;
    int close(Context& ctx) override;

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                    const DeviceMap& map) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_triangle(Context& ctx, const double* x, const double* y, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    void push_palette(Context& ctx) override;
    bool repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                         const FigureDraw& draw) override;
    void sync_raster(Context& ctx) override;
    void raster_written(Context& ctx) override;
    Raster* drawing_raster(Context& ctx, int& shift) override;
    bool line_width(Context& ctx, int n) override;
    bool pen_width(Context& ctx, double w) override;
    void line_join(Context& ctx, int join) override;
    void line_cap(Context& ctx, int cap) override;
    void miter_limit(Context& ctx, double) override { end_stroke(ctx); }

protected:
    // The picture in ctx.out.raster as files get it (with aamode reduced
    // from the larger canvas), without handing the raster out: drawing goes
    // on as before. `complete` draws a pending wide line first.
    Raster* picture(Context& ctx, bool complete);
    // The raster drawn into: the enlarged one with aamode, else the page's.
    Raster* canvas(Context& ctx);

private:
    // The pixels a figure set around its centre pixel, for figures alike.
    struct Stamp {
        FigureKey key;
        double spacing, factor;   // fill spacing and device factor it was made with
        long long vectors;        // the moves and draws it stands for (kalfin's count)
        std::vector<int> dx, dy;
    };
    void fill_by_centres(Context& ctx, int n, const double* x, const double* y);
    // A polyline of one-pixel lines straight into the raster, its points
    // made pixels by to_pixels(i, m, px, py) a chunk at a time.
    template <class ToPixels>
    void pixel_polyline(Context& ctx, int n, int first_pen, ToPixels to_pixels);
    const Stamp* find_stamp(const Context& ctx, const FigureKey& key) const;
    const Stamp* make_stamp(Context& ctx, const FigureKey& key, int cx, int cy, int reach, double x, double y,
                            const FigureDraw& draw);
    std::vector<Stamp> stamps_;
    std::unique_ptr<Raster> scratch_;   // where a stamp is drawn first

    // Whether lines go to the stroke (wider than a pixel, or smoothed) and
    // their width in pixels of the canvas.
    bool stroking(const Context& ctx) const;
    double stroke_width(const Context& ctx) const;
    // The open piece of a wide line: draws it and forgets it.
    void end_stroke(Context& ctx);
    void stroke_to(Context& ctx, int x, int y, int pen);
    // Fills the polygon (plot points, origin offset added) by pixel centres.
    void scan_polygon(Context& ctx, int n, const double* x, const double* y);

    int device_;
    int cx_ = 0, cy_ = 0;  // current point (canvas pixels)
    int scale_ = 1;        // canvas pixels per page pixel
    int shift_ = 0;        // added to device points on the canvas
    std::unique_ptr<Raster> large_;  // the aamode canvas
    bool large_drawn_ = false;       // drawn since ctx.out.raster was made from it
    bool page_ahead_ = false;        // ctx.out.raster handed out since, perhaps written
    // The open piece of a wide line (canvas pixels) and whether it began
    // with a move (a cap) rather than where an earlier piece stopped.
    std::vector<double> sx_, sy_;
    bool stroke_capped_ = true;
    // Thin lines: a piece of one segment no longer than a pixel each way
    // (a dot of a dotted line) waits until it is known to end there; it then
    // sets one pixel, so that every dot is alike.
    bool after_move_ = true, short_pending_ = false;
    int short_[4] = {};
    void end_short(Context& ctx, bool whole);
    // Join and cap of wide lines: as the vector devices start a page
    // (truncated joins, long caps) until lnjoin and lncap choose others.
    int join_ = 2, cap_ = 2;
    PolygonScan scan_;
    // Reused by fill_polygon: the polygon relative to the plot origin, the
    // crossings of one scan line and the spans found (device x1 y1 x2 y2).
    std::vector<double> fx_, fy_, crossings_;
    std::vector<int> spans_;
};

}  // namespace kal
