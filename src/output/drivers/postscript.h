#pragma once
#include "output/driver.h"
#include "output/drivers/figure_shapes.h"
#include "output/drivers/path_points.h"
#include "output/drivers/path_thinning.h"

namespace kal {

// PostScript and EPS (devices POST 501, PSCL 502, EPS 503, PS 504). The
// header defines a few procedures; the body is integer operands in device
// units of 1/20 mm followed by a procedure name, written in words of at most
// 80-character lines. Lines collect in a path of at most 50 points.
class PostScriptDriver : public Driver {
public:
    explicit PostScriptDriver(int device) : device_(device) {}

    void open(Context& ctx) override;
    void new_page(Context& ctx) override;
    int close(Context& ctx) override;

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void colour(Context& ctx, int value) override;
    // Figures alike become one procedure, called at each figure's centre.
    bool repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                         const FigureDraw& draw) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    bool fill_triangle(Context& ctx, const double* x, const double* y, int value) override;
    // imgfin: the raster as an inline colour image (postscript_image.cpp).
    bool image(Context& ctx, const Raster& r, double x, double y, double w, double h) override;

    void select_font(Context& ctx, int font, double height) override;
    void character(Context& ctx, int code, double x, double y, double angle, int font,
                   double height) override;

    bool line_width(Context& ctx, int n) override;
    bool pen_width(Context& ctx, double w) override;
    void line_join(Context& ctx, int join) override;
    void line_cap(Context& ctx, int cap) override;
    void miter_limit(Context& ctx, double x) override;

    // ---- building blocks for the inline image and hardware-font writers ----
    enum PathMode { PATH_OPEN = 0, PATH_DRAW = 2, PATH_MOVE = 3, PATH_END = 9, PATH_CLOSE = 999 };
    // Path operation on device coordinates (see PathMode).
    void path(Context& ctx, double x, double y, int mode);
    // Body text through the word writer; end_line() ends the current line.
    void words(Context& ctx, const char* text);
    void end_line(Context& ctx);
    // Plot point to rounded device units (the page is turned when rotated).
    struct Point {
        int x, y;
    };
    Point to_device(const Context& ctx, double x, double y) const;
    bool rotated(const Context& ctx) const;

    static constexpr int PATH_CAPACITY = 50;

private:
    void write_path(Context& ctx);
    // A draw to (xi, yi) joins the path; a full path is written and goes on
    // from its last point.
    void add_draw(Context& ctx, int xi, int yi) {
        if (!path_.draw(xi, yi)) return;
        write_path(ctx);
        path_.go_on();
    }
    // Writes the point a thinned run holds back.
    void settle() {
        if (thinner_.active())
            thinner_.finish([this](double, double, double qx, double qy) {
                path_.put(static_cast<int>(qx), static_cast<int>(qy));
            });
    }
    void define(Context& ctx, FigureShape& f);
    void send_rgb(Context& ctx, int value);
    void background(Context& ctx, bool in_header);
    bool paints_background(const Context& ctx) const;
    void send_miter(Context& ctx, double stored_width, double x);
    void header(Context& ctx);

    int device_;
    bool path_ready_ = false;
    PathPoints<int, PATH_CAPACITY> path_;
    bool thinning_ = true;
    PathThinner thinner_;
    bool shapes_on_ = true;
    FigureShapes shapes_;
    int procedures_ = 0;
    int font_ = -1;                      // selected hardware font
    double font_height_ = 0;
};

}  // namespace kal
