// The page operators of the PDF writer: paths, colours, filled rectangles,
// line attributes and hardware-font characters, written into the content
// stream with the state that decides which operators are needed.
#pragma once
#include "output/drivers/path_thinning.h"
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
    // n draws to points within +-1e7 (they need no fitting). Dense runs
    // are thinned at the written precision (path_thinning.h); the last
    // point may wait for the next draws or any other operator.
    void draws(int n, const double* x, const double* y);
    // Thinning on (the default) or off, for the runs that follow.
    void set_thinning(bool on);

    // ---- forms ----
    // Form /Form<number> placed with its origin at (x, y) in points, which
    // are rounded as path points are. Placements in a row share one saved
    // graphics state and move the origin from one to the next; any other
    // operator restores the state first.
    void place_form(int number, double x, double y);
    void close_fill();     // even-odd fill of the open path
    void end_path();       // strokes an open path
    void end_text();       // ends an open text object

    // ---- attributes ----
    void line_width(double points);
    void line_join(int join);
    void line_cap(int cap);
    void miter_limit(double value);
    double width() const { return width_; }
    double miter() const { return miter_; }
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
    void line_to(double x, double y);
    // Writes the point a thinned run holds back and ends a row of form
    // placements.
    void settle() {
        if (thinner_.active()) thinner_.finish([this](double x, double y, double, double) { line_to(x, y); });
        if (placing_) end_placing();
    }
    void end_placing();

    PdfContentStream& out_;
    bool path_open_ = false;
    double last_x_ = 0, last_y_ = 0;
    bool text_open_ = false;
    int text_font_ = -1, text_size_ = -1;
    int fill_r_ = -1, fill_g_ = -1, fill_b_ = -1;
    int stroke_r_ = 0, stroke_g_ = 0, stroke_b_ = 0;   // the drawing colour, which text takes too
    double width_ = 0.709;
    int join_ = 2, cap_ = 2;
    bool miter_set_ = false;
    double miter_ = 10.0;
    int font_marks_[STANDARD_FONT_COUNT] = {};
    bool thinning_ = true;
    PathThinner thinner_;
    bool placing_ = false;         // inside "q" of a row of placements
    double place_x_ = 0, place_y_ = 0;   // the origin there, in hundredths
};

}  // namespace kal
