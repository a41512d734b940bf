// The line writer of contour lines: turns traced lines (plot coordinates
// relative to the origin) into one path with pen-up gaps where labels go,
// and draws it with its labels.
#pragma once
#include <string>
#include <vector>

#include "plot2d/curve_modes.h"
#include "plot2d/label_text.h"

namespace kal {

struct Context;

class LineWriter {
public:
    // Labels show `level` (FLOA) or the conlab text (CONL), by the settings.
    LineWriter(Context& ctx, double level);

    void begin_line();
    void add(double px, double py);
    void end_line();

    // Draws the lines in the thkcrv passes and the labels once, and counts
    // one curve for the legend.
    void draw();

    const CurvePath& path() const { return path_; }

private:
    struct Label {
        double x, y;   // upper left corner of the text, before rotation
        int angle;
    };
    struct Buffered {
        double x, y;
    };
    void search(double px, double py);
    void collect(double px, double py, double seg);
    void place_label();
    void flush_buffer();

    Context& ctx_;
    bool labelled_ = false;
    LabelText text_;
    double width_ = 0;      // W: text plus the gaps on both sides
    double text_gap_ = 0;   // congap times the character height
    double xfac_ = 0.5, xquot_ = 1.5;
    double distance_ = 0;   // label distance after the first label

    CurvePath path_;
    std::vector<Label> labels_;

    // State of the current line.
    bool first_ = true, collecting_ = false;
    double lx_ = 0, ly_ = 0;          // last point
    double travelled_ = 0, needed_ = 0;
    double last_angle_ = 0;
    bool has_angle_ = false;
    double sx_ = 0, sy_ = 0, path_len_ = 0;   // label start, path length from it
    std::vector<Buffered> buffer_;
};

// The number of thickness passes of contour lines: thkcrv times the unit
// factor, rounded, at least 1.
int contour_passes(const Context& ctx);

}  // namespace kal
