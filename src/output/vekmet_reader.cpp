// Playing a VEKMET file back: a header line with the page size in
// centimetres, then lines of up to eight ten-character fields holding
// coordinates (0..1), pen modes (2 draw, 3 move, given after the point they
// apply to), colours (99 adds 89 to the accumulator, 10..98 ends the colour)
// and the end field 9.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "api/routines_figures_and_symbols.h"
#include "core/context.h"
#include "output/colour_table.h"
#include "output/file_inclusion.h"
#include "output/line_layer.h"
#include "output/primitives.h"

namespace kal {
namespace {

// A number that fills the whole text (blanks around it allowed).
bool parse_number(const std::string& text, double& out) {
    const char* s = text.c_str();
    char* end = nullptr;
    out = std::strtod(s, &end);
    if (end == s || !std::isfinite(out)) return false;
    while (*end == ' ') ++end;
    return *end == '\0';
}

// Cuts a segment to the rectangle [0, w] x [0, h] (Liang-Barsky).
bool clip_to_page(double& x1, double& y1, double& x2, double& y2, double w, double h) {
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1, w - x1, y1, h - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = ax;
    y1 = ay;
    return true;
}

class Player {
public:
    Player(Context& ctx, const PageBox& box, double a, double b) : ctx_(ctx) {
        const double m = std::min(box.w / a, box.h / b);
        scale_ = m * std::max(a, b);
        x0_ = box.x;
        y0_ = box.y + b * m;
        swap_ends_ = ctx.colour.active >= TABLE_RRAI && ctx.colour.active <= TABLE_RGRE &&
                     ctx.out.colour_depth > 8;
    }

    // One field; false when reading stops (end field or damage, after its
    // warning).
    bool field(const std::string& text) {
        double v;
        if (!parse_number(text, v)) return damaged();
        const long lead = std::strtol(text.substr(0, 2).c_str(), nullptr, 10);
        if (lead <= 1) {  // a coordinate
            if (have_x_) {
                flush_point();
                pending_ = true;
                px_ = x_;
                py_ = v;
            } else {
                flush_point();
                x_ = v;
            }
            have_x_ = !have_x_;
            return true;
        }
        const long command = std::lround(v);
        if (command == 2 || command == 3) {
            mode_ = int(command);
            flush_point();
            return true;
        }
        flush_point();
        if (command == 9) {
            ended_ = true;
            return false;
        }
        if (command == 99) {
            // No colour is larger than 256: a run of these fields is damage,
            // not a number that wraps into a valid colour.
            accumulator_ += 89;
            if (accumulator_ > 256) return damaged();
            return true;
        }
        if (command < 10 || command > 98) return damaged();
        int colour = int(command) + accumulator_ - 9;
        accumulator_ = 0;
        if (colour < 1 || colour > 256) return damaged();
        if (colour == 256) colour = 0;
        if (swap_ends_ && (colour == 0 || colour == 255)) colour = 255 - colour;
        set_colour(ctx_, colour);
        return true;
    }

    void finish() {
        flush_point();
        if (!ended_ && !damaged_) custom_warning(ctx_, 101, "The VEKMET file is not complete!");
    }

private:
    bool damaged() {
        flush_point();
        damaged_ = true;
        warn(ctx_, 56);
        return false;
    }

    // The pending point with the mode given after it (or the last mode).
    void flush_point() {
        if (!pending_) return;
        pending_ = false;
        const double x = x0_ + px_ * scale_, y = y0_ - py_ * scale_;
        if (mode_ == 2 && have_last_) draw(last_x_, last_y_, x, y);
        last_x_ = x;
        last_y_ = y;
        have_last_ = true;
    }

    void draw(double x1, double y1, double x2, double y2) {
        const PageState& p = ctx_.page;
        if (!clip_to_page(x1, y1, x2, y2, p.width, p.height)) return;
        const OutputState& o = ctx_.out;
        if (!o.pen_valid || o.pen_x != x1 || o.pen_y != y1) move_draw(ctx_, x1, y1, 3);
        move_draw(ctx_, x2, y2, 2);
    }

    Context& ctx_;
    double scale_, x0_, y0_;
    bool swap_ends_;
    int mode_ = 3, accumulator_ = 0;
    bool have_x_ = false, pending_ = false, have_last_ = false, ended_ = false, damaged_ = false;
    double x_ = 0, px_ = 0, py_ = 0, last_x_ = 0, last_y_ = 0;
};

}  // namespace

void play_vekmet(Context& ctx, std::span<const uint8_t> file, const PageBox& box) {
    // The file is read where it lies; only its lines are copied.
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    size_t pos = text.find('\n');
    const std::string header(text.substr(0, pos));
    double a = 0, b = 0;
    {
        const char* s = header.c_str();
        char* end = nullptr;
        a = std::strtod(s, &end);
        const char* s2 = end;
        b = std::strtod(s2, &end);
        if (end == s2 || !(a > 0) || !(b > 0) || !std::isfinite(a) || !std::isfinite(b)) {
            warn(ctx, 56);
            return;
        }
    }
    line_flush(ctx);
    const int colour = ctx.out.current_colour;
    Player player(ctx, box, a * 100.0, b * 100.0);
    bool going = pos != std::string::npos;
    while (going && pos < text.size()) {
        const size_t start = pos + 1;
        pos = text.find('\n', start);
        if (pos == std::string::npos) pos = text.size();
        std::string line(text.substr(start, pos - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (size_t f = 0; f < 8 && going; ++f) {
            if (10 * f >= line.size()) break;
            const std::string field = line.substr(10 * f, 10);
            if (field.compare(0, 2, "  ") == 0 || field.size() < 2) break;
            going = player.field(field);
        }
    }
    player.finish();
    if (ctx.out.current_colour != colour) set_colour(ctx, colour);
}

}  // namespace kal
