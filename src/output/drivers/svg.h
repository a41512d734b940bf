// The SVG driver (device 801): one SVG 1.0 document per plot on a pixel
// canvas of the output size. Lines collect into polylines of at most 50
// points inside <g> groups that carry the stroke colour and width; filled
// areas become <rect> and <polygon>; hardware-font text one <text> element
// per character inside a font group.
#pragma once
#include <memory>

#include "output/clip.h"
#include "output/driver.h"
#include "output/drivers/figure_shapes.h"
#include "output/drivers/path_points.h"
#include "output/drivers/path_thinning.h"
#include "output/sink.h"

namespace kal {

struct PageState;

class SvgDriver : public Driver {
public:
    // Modes of the path operation.
    enum Mode { MODE_DRAW = 2, MODE_MOVE = 3, MODE_WIDTH = 6, MODE_END = 9, MODE_FINISH = 999 };
    static constexpr int PATH_CAPACITY = 50;

    SvgDriver();
    ~SvgDriver() override;

    void open(Context& ctx) override;
    int close(Context& ctx) override;

    void move_draw(Context& ctx, double x, double y, int pen) override;
    void polyline(Context& ctx, int n, const double* x, const double* y, int first_pen) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;
    bool fill_polygon(Context& ctx, int n, const double* x, const double* y) override;
    // Figures alike become one group in <defs>, placed with <use>.
    bool repeated_figure(Context& ctx, const FigureKey& key, double x, double y,
                         const FigureDraw& draw) override;
    bool line_width(Context& ctx, int n) override;
    bool pen_width(Context& ctx, double w) override;
    void line_join(Context& ctx, int join) override;
    void line_cap(Context& ctx, int cap) override;

    // The path operation on canvas pixels (see Mode).
    void path(double x, double y, int mode);

    // One hardware-font character of standard font `font` with the
    // character height `height` (plot units), its reference point (x, y) in
    // plot coordinates, turned by `angle` degrees.
    void character(Context& ctx, int code, double x, double y, double angle, int font,
                   double height) override;
    // The next character opens a new text group.
    void select_font(Context&, int, double) override { height_changed(); }
    // The character height changed: the next character opens a new group.
    void height_changed();

    // Plot point to canvas pixels.
    struct Point {
        double x, y;
    };
    Point to_canvas(double x, double y) const;

private:
    void prologue(int nx, int ny);
    void write_buffer();
    // A draw to (x, y) joins the path buffer; a full buffer is written and
    // the path goes on from its last point.
    void add_draw(double x, double y) {
        if (!path_.draw(x, y)) return;
        write_buffer();
        path_.go_on();
    }
    void point(double x, double y);
    void define(FigureShape& f);
    void close_group();
    void open_line_group();
    void open_text_group(int font, int size);
    void rect_element(double x1, double y1, double x2, double y2, int r, int g, int b);
    void end_path() { path(0, 0, MODE_END); }
    // Writes the point a thinned run holds back.
    void settle() {
        if (thinner_.active()) thinner_.finish([this](double x, double y, double, double) { path_.put(x, y); });
    }
    void thinned_draws(int n, const double* x, const double* y);

    OutputSink* sink_ = nullptr;
    const PageState* page_ = nullptr;
    bool finished_ = false;
    double scale_ = 1.0;       // pixels per plot unit
    int r_ = 0, g_ = 0, b_ = 0;
    double stroke_width_ = 1.0;
    // Caps and joins as the PostScript and PDF pages start (projecting caps,
    // bevelled joins) until lncap and lnjoin change them, so that dots of
    // one plot unit stay visible as in those formats.
    int cap_ = 2, join_ = 2;
    int group_ = 0;            // 0 none, 1 line group, 2 text group
    int group_font_ = -1, group_size_ = -1;
    PathPoints<double, PATH_CAPACITY> path_;
    LimitedPen pen_;
    bool thinning_ = true;
    PathThinner thinner_;
    bool shapes_on_ = true;
    FigureShapes shapes_;
    int definitions_ = 0;
};

}  // namespace kal
