// The legend box: its size from the texts, the frame, the title and one
// sample and text per line.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "api/routines_colour_and_line_attributes.h"
#include "api/routines_life_cycle.h"
#include "colour3d/colour.h"
#include "core/context.h"
#include "output/frame_band.h"
#include "output/line_layer.h"
#include "output/primitives.h"
#include "output/shields.h"
#include "plot2d/axis_system.h"
#include "plot2d/curve_modes.h"
#include "plot2d/curves.h"
#include "plot2d/legend.h"
#include "text/text_engine.h"

namespace kal {
namespace {

// Line i of the buffer without its trailing blanks, split at the LEG
// control character with mixleg.
std::vector<std::string> parts_of(const Context& ctx, const char* buffer, int i) {
    const LegendState& l = ctx.legend;
    std::string text(buffer + size_t(i) * size_t(l.chars), size_t(l.chars));
    text.erase(text.find_last_not_of(' ') + 1);
    std::vector<std::string> parts;
    if (!l.multi_line) return {text};
    const char sep = ctx.text.mix[MIX_LEG];
    size_t start = 0;
    for (size_t k; (k = text.find(sep, start)) != std::string::npos; start = k + 1)
        parts.push_back(text.substr(start, k - start));
    parts.push_back(text.substr(start));
    return parts;
}

// How the sample of one line looks.
struct Sample {
    int colour = 0;
    bool line = true;
    std::vector<double> dash;    // empty: keep the current pattern
    bool own_dash = false;
    int style = -1;              // legpat line style
    int thickness = 1;
    int symbol = -1;
    int pattern = -1;            // a filled box in this pattern
};

Sample sample_of(const Context& ctx, int i) {
    const LegendState& l = ctx.legend;
    Sample s;
    s.colour = ctx.out.current_colour;
    if (l.line[i].defined) {
        const LegendLine& e = l.line[i];
        s.line = e.style >= 0;
        s.style = e.style;
        s.thickness = e.thickness;
        s.symbol = e.symbol;
        if (e.colour != -1) s.colour = e.colour;
        s.pattern = e.pattern;
    } else if (size_t(i) < ctx.curves.records.size()) {
        const CurveRecord& r = ctx.curves.records[size_t(i)];
        s.colour = r.colour;
        s.line = r.line;
        s.own_dash = true;
        s.dash.assign(r.dash, r.dash + r.dash_count);
        s.thickness = r.thickness;
        s.symbol = r.symbol;
        if (r.filled) s.pattern = r.pattern;
    }
    return s;
}

void draw_sample(Context& ctx, const Sample& s, double x1, double x2, double ym) {
    const double h = ctx.text.height;
    if (s.pattern >= 0) {
        const int previous = ctx.colour.pattern_number;
        select_pattern(ctx, s.pattern);
        const double xs[4] = {x1, x2, x2, x1}, ys[4] = {ym - h / 2, ym - h / 2, ym + h / 2, ym + h / 2};
        fill_polygon(ctx, 4, xs, ys);
        select_pattern(ctx, previous);
        CurvePath box;
        box.move(x1, ym - h / 2);
        for (int k : {1, 2, 3, 0}) box.draw(xs[k], ys[k]);
        draw_path(ctx, box);
    } else if (s.line) {
        if (s.own_dash) set_dash_pattern(ctx, s.dash.data(), int(s.dash.size()));
        if (s.style >= 0) lintyp(ctx, s.style);
        CurvePath path;
        path.move(x1, ym);
        path.draw(x2, ym);
        draw_curve_lines(ctx, path, s.thickness);
    }
    if (s.symbol >= 0) plot_symbol(ctx, s.symbol, (x1 + x2) / 2, ym);
}

// Corners in double: a legend as wide as the int range still ends inside it.
void frame_box(Context& ctx, double x, double y, double w, double h, int t) {
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    const int n = std::abs(t);
    const double step = frame_step(ctx);  // a pixel on the raster devices, which draw no band
    if (frame_as_band(t) && !draws_widths(ctx.page.device)) {
        // Lines at the offsets 0 .. n - 1 inwards (outwards for t < 0).
        const auto outline = [&](double g, std::vector<double>& xs, std::vector<double>& ys) {
            if (w - 2 * g < 0 || h - 2 * g < 0) return false;
            xs = {x + g, x + w - g, x + w - g, x + g};
            ys = {y + g, y + g, y + h - g, y + h - g};
            return true;
        };
        const double reach = frame_reach(ctx), far = t > 0 ? n - 1.0 : 1.0 - n;
        std::vector<double> xs, ys;
        if (band_polygon(outline, std::min(0.0, far) - reach, std::max(0.0, far) + reach, xs, ys))
            fill_band(ctx, xs, ys);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const double g = (t > 0 ? i : -i) * step;
        line_move(ctx, x + g + ox, y + g + oy);
        line_draw(ctx, x + w - g + ox, y + g + oy);
        line_draw(ctx, x + w - g + ox, y + h - g + oy);
        line_draw(ctx, x + g + ox, y + h - g + oy);
        line_draw(ctx, x + g + ox, y + g + oy);
    }
    line_flush(ctx);
}

}  // namespace

void legend_size(Context& ctx, const char* buffer, int& width, int& height) {
    const LegendState& l = ctx.legend;
    const double h = ctx.text.height, L = 1.5 * h;
    double longest = 0, extra = 0;
    for (int i = 0; i < l.lines; ++i) {
        const std::vector<std::string> parts = parts_of(ctx, buffer, i);
        for (const std::string& p : parts) longest = std::max(longest, text_length(ctx, p.c_str()));
        extra += double(parts.size() - 1) * l.spacing * L;
    }
    const double room = std::fabs(l.sample) > 0.001 ? std::trunc((l.sample + 1) * h) : 0;
    const double title = l.title.empty() ? 0 : text_length(ctx, l.title.c_str());
    double w = std::trunc(2 * l.distance * L + longest) + room;
    if (title > longest + room) w = std::trunc(2 * l.distance * L + title);
    double hh = (2 * l.distance + l.lines - 1) * L + 2 * extra + h;
    const int t = frame_thickness(ctx);
    if (t >= 1) {
        w += 2 * t;
        hh += 2 * t;
    }
    if (!l.title.empty()) hh += 1.5 * L;
    width = clamp_int(w);
    height = clamp_int(std::round(hh));
}

void draw_legend(Context& ctx, const char* buffer, double x, double y, double w, double hh) {
    const LegendState& l = ctx.legend;
    const int colour = ctx.out.current_colour;
    const SavedPattern pattern = save_pattern(ctx);
    const int justify = ctx.text.justify;
    ctx.text.justify = JUSTIFY_LEFT;
    const double h = ctx.text.height, L = 1.5 * h;
    const int t = frame_thickness(ctx);
    if (t != 0) frame_box(ctx, x, y, w, hh, t);
    const double inner = t >= 1 ? t : 0;
    double top = y + inner + l.distance * L;
    if (!l.title.empty()) {
        const double length = text_length(ctx, l.title.c_str());
        draw_text(ctx, l.title.c_str(), x + (w - length) / 2, top, false);
        top += 1.5 * L;
    }
    const bool has_sample = std::fabs(l.sample) > 0.001;
    const double x1 = x + inner + l.distance * L, x2 = x1 + (has_sample ? l.sample * h : 0);
    const double text_x = has_sample ? x2 + l.distance * h : x1;
    for (int i = 0; i < l.lines; ++i) {
        const std::vector<std::string> parts = parts_of(ctx, buffer, i);
        const double e = double(parts.size() - 1) * l.spacing * L;
        const Sample s = sample_of(ctx, i);
        if (has_sample) {
            set_colour(ctx, s.colour);
            draw_sample(ctx, s, x1, x2, top + e + h / 2);
            restore_pattern(ctx, pattern);
        }
        set_colour(ctx, l.text_in_colour ? s.colour : colour);
        double ty = top + e / 2;
        for (const std::string& p : parts) {
            if (!p.empty()) draw_text(ctx, p.c_str(), text_x, ty, false);
            ty += l.spacing * L;
        }
        top += L + 2 * e;
    }
    ctx.text.justify = justify;
    restore_pattern(ctx, pattern);
    if (ctx.out.current_colour != colour) set_colour(ctx, colour);
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    add_automatic_box(ctx, SOURCE_LEGENDS, x + ox, y + oy, double(x) + w + ox, double(y) + hh + oy);
}

}  // namespace kal
