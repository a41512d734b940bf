// The page operators of the PDF writer: paths, colours, filled rectangles,
// line attributes and hardware-font characters, written into the content
// stream with the state that decides which operators are needed.
#pragma once
#include "output/drivers/pdf_stream.h"
#include "output/font_metrics.h"

namespace kal {

class PdfCanvas {
public:
    explicit PdfCanvas(PdfContentStream& out) : out_(out) {}

    // A new page starts in the default graphics state.
    void new_page();

    // ---- paths (coordinates in points) ----
    void move(double x, double y);
    void draw(double x, double y);
    // n draws to points within +-1e7 (they need no fitting).
    void draws(int n, const double* x, const double* y);
    void close_fill();     // even-odd fill of the open path
    void end_path();       // strokes an open path
    void end_text();       // ends an open text object

    // ---- attributes ----
    void line_width(double points);
    void line_join(int join);
    void line_cap(int cap);
    void miter_limit(double value);
    // Writes the width, cap, join and (when set) miter limit in effect again.
    void resend_line_state();

    // ---- colours (components 0 .. 255) ----
    void colour(int r, int g, int b);       // stroke and fill
    void fill_colour(int r, int g, int b);  // skipped when it is the last one
    void rect(double x, double y, double w, double h, int r, int g, int b);

    // ---- text ----
    // One character of standard font `font` (0 .. 34) at size/10 points,
    // its reference point (x, y) in points, turned by `angle` degrees.
    void character(int code, double x, double y, double angle, int font, int size_tenths);
    // Font-use marks: 0 unused, 1 used and not yet written, 2 written.
    int font_mark(int font) const { return font_marks_[font]; }
    void set_font_mark(int font, int mark) { font_marks_[font] = mark; }

private:
    void component(int c);
    void point_operator(double x, double y, char op);

    PdfContentStream& out_;
    bool path_open_ = false;
    double last_x_ = 0, last_y_ = 0;
    bool text_open_ = false;
    int text_font_ = -1, text_size_ = -1;
    int fill_r_ = -1, fill_g_ = -1, fill_b_ = -1;
    double width_ = 0.709;
    int join_ = 2, cap_ = 2;
    bool miter_set_ = false;
    double miter_ = 10.0;
    int font_marks_[STANDARD_FONT_COUNT] = {};
};

}  // namespace kal
