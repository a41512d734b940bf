// Contour lines with labels. While searching, the writer draws until the
// line has run far enough and turns by at most 5 degrees; then it collects
// points from the label start until a straight enough stretch is long
// enough for the label and its gaps, leaves the gap open and sets the label
// into it, reading from left to right.
#include "contour/line_writer.h"

#include <cmath>

#include "contour/contour_state.h"
#include "core/context.h"
#include "output/primitives.h"
#include "plot2d/curves.h"
#include "plot2d/label_drawing.h"
#include "plot2d/number_format.h"

namespace kal {
namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double FIRST_LABEL = 100;   // plot units run before the first label
constexpr double MAX_TURN = 5;        // degrees

// Direction of a segment in degrees in (-90, 90]; 90 for a vertical one.
double segment_angle(double dx, double dy) {
    if (dx == 0) return 90;
    const double a = std::atan(dy / dx) * 180 / PI;
    return a <= -90 ? a + 180 : a;
}

// Difference of two directions, modulo 180 degrees.
double turn(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 180.0);
    return std::min(d, 180 - d);
}

}  // namespace

int contour_passes(const Context& ctx) {
    const double u = ctx.page.units > 0 ? ctx.page.units : 1.0;
    return std::max(1, static_cast<int>(std::lround(ctx.curves.thickness * u)));
}

LineWriter::LineWriter(Context& ctx, double level) : ctx_(ctx) {
    const ContourState& c = ctx.contour;
    labelled_ = c.label_mode != CONLAB_NONE;
    if (!labelled_) return;
    if (c.label_mode == CONLAB_FLOA) {
        text_.text = fixed_text(level, c.label_digits, ctx.labels.mode);
        text_.numeric = true;
    } else {
        text_.text = c.label_text;
    }
    const double h = ctx.text.height;
    text_gap_ = c.text_gap * h;
    width_ = label_length(ctx, text_) + 2 * text_gap_;
    xfac_ = c.gap_factor;
    xquot_ = c.curvature;
    distance_ = c.label_distance;
    // Without text and gap there is nothing to set into the line.
    if (!(width_ > 0) || !std::isfinite(width_)) labelled_ = false;
}

void LineWriter::begin_line() {
    first_ = true;
    collecting_ = false;
    buffer_.clear();
    travelled_ = 0;
    needed_ = FIRST_LABEL;
    has_angle_ = false;
}

void LineWriter::add(double px, double py) {
    if (first_) {
        path_.move(px, py);
        lx_ = px;
        ly_ = py;
        first_ = false;
        return;
    }
    if (px == lx_ && py == ly_) return;
    if (!labelled_) {
        path_.draw(px, py);
    } else if (collecting_) {
        collect(px, py, std::hypot(px - lx_, py - ly_));
    } else {
        search(px, py);
    }
    lx_ = px;
    ly_ = py;
}

void LineWriter::search(double px, double py) {
    const double dx = px - lx_, dy = py - ly_, seg = std::hypot(dx, dy);
    travelled_ += seg;
    const double angle = segment_angle(dx, dy);
    const bool straight = has_angle_ && turn(angle, last_angle_) <= MAX_TURN;
    last_angle_ = angle;
    has_angle_ = true;
    if (travelled_ < needed_ || !straight) {
        path_.draw(px, py);
        return;
    }
    // The previous point starts a label stretch.
    collecting_ = true;
    needed_ = distance_;
    sx_ = lx_;
    sy_ = ly_;
    path_len_ = 0;
    buffer_.clear();
    collect(px, py, seg);
}

void LineWriter::collect(double px, double py, double seg) {
    buffer_.push_back({px, py});
    path_len_ += seg;
    last_angle_ = segment_angle(px - lx_, py - ly_);
    const double d = std::hypot(px - sx_, py - sy_);
    if (d < (2 * xfac_ + 1) * width_) {
        if (path_len_ > xquot_ * d) {  // too curved: start again here
            flush_buffer();
            sx_ = px;
            sy_ = py;
            path_len_ = 0;
        }
        return;
    }
    place_label();
}

void LineWriter::flush_buffer() {
    for (const Buffered& b : buffer_) path_.draw(b.x, b.y);
    buffer_.clear();
}

void LineWriter::place_label() {
    const double w = width_;
    size_t k = 0;
    double ax = sx_, ay = sy_;
    while (k < buffer_.size() && std::hypot(buffer_[k].x - sx_, buffer_[k].y - sy_) < xfac_ * w) {
        ax = buffer_[k].x;
        ay = buffer_[k].y;
        path_.draw(ax, ay);
        ++k;
    }
    while (k + 1 < buffer_.size() && std::hypot(buffer_[k].x - sx_, buffer_[k].y - sy_) < (xfac_ + 1) * w) ++k;
    const double bx = buffer_[k].x, by = buffer_[k].y;
    const double g = std::hypot(bx - ax, by - ay);
    const double ux = (bx - ax) / g, uy = (by - ay) / g;
    const double open = (g - w) / 2;
    path_.draw(ax + ux * open, ay + uy * open);
    // The text reads from left to right: from A when the gap runs to the
    // right (or straight up the page), else from B.
    const bool rightwards = ux > 0 || (ux == 0 && uy < 0);
    const double rx = rightwards ? ux : -ux, ry = rightwards ? uy : -uy;
    const double ox = rightwards ? ax : bx, oy = rightwards ? ay : by;
    const double offset = open + text_gap_;
    const int angle = static_cast<int>(std::lround(std::atan2(-ry, rx) * 180 / PI));
    const double a = angle * PI / 180, h = ctx_.text.height;
    // The text's middle lies on the line: its upper edge is h/2 above.
    labels_.push_back({ox + rx * offset - std::sin(a) * h / 2, oy + ry * offset - std::cos(a) * h / 2, angle});
    path_.move(ax + ux * (open + w), ay + uy * (open + w));
    for (size_t i = k; i < buffer_.size(); ++i) path_.draw(buffer_[i].x, buffer_[i].y);
    buffer_.clear();
    collecting_ = false;
    travelled_ = 0;
}

void LineWriter::end_line() {
    flush_buffer();
    collecting_ = false;
}

void LineWriter::draw() {
    const CurveLook look = begin_curve_look(ctx_);
    CurveRecord record = current_record(ctx_);
    record.symbol = -1;
    record.line = true;
    record.filled = false;
    record_curve(ctx_, record);
    if (!path_.x.empty()) draw_curve_lines(ctx_, path_, contour_passes(ctx_));
    if (!labels_.empty() && !text_.text.empty()) {
        const int colour = ctx_.out.current_colour;
        const int label_colour = ctx_.contour.label_colour;
        if (label_colour != -1) set_colour(ctx_, label_colour);
        {
            TextScope scope(ctx_);
            for (const Label& l : labels_) {
                scope.angle(l.angle);
                draw_label(ctx_, text_, l.x, l.y);
            }
        }
        if (label_colour != -1) set_colour(ctx_, colour);
    }
    end_curve_look(ctx_, look);
}

}  // namespace kal
