// piegrf: pie charts, flat or as a 3-D disc, with segment labels inside
// the segments or outside joined by lines.
//
// Angles are degrees counter-clockwise from the positive x direction; page
// y runs downwards, so a direction t points to (cos t, -sin t).
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "api/routines_bar_graphs_and_pie_charts.h"
#include "charts/charts.h"
#include "core/context.h"
#include "output/figure_polygon.h"
#include "output/primitives.h"
#include "output/shields.h"
#include "plot2d/figures.h"
#include "plot2d/number_format.h"
#include "text/text_engine.h"

namespace kal {
namespace {

constexpr double DEG = 3.14159265358979 / 180;
constexpr double TOLERANCE = 1.0e-35;

struct Segment {
    double value = 0;       // as given
    double start = 0, span = 0;
    double cx = 0, cy = 0;  // centre, moved out when exploded
    int colour = 0, side = 0, pattern = 0;
};

struct Disc {
    double cx, cy, r, b;   // centre, radius, vertical half axis (b = r when flat)
    double height;         // 3-D side height, 0 when flat
};

// Points of the elliptic arc from a to e degrees, chords at most `step`
// degrees and, with `fine`, at most the arc step of circsp long.
void arc_points(const Context& ctx, double cx, double cy, double r, double b, double a, double e, double step,
                bool fine, std::vector<double>& xs, std::vector<double>& ys) {
    const double span = e - a;
    const double chord = std::max(1.0, ctx.figures.arc_step);
    int n = int(std::ceil(std::max(span / step, fine ? r * span * DEG / chord : 0.0)));
    n = std::clamp(n, 1, 2000);
    for (int k = 0; k <= n; ++k) {
        const double t = (a + span * k / n) * DEG;
        xs.push_back(cx + r * std::cos(t));
        ys.push_back(cy - b * std::sin(t));
    }
}

// A label: its lines, the box they fill, where it goes.
struct Label {
    std::vector<std::string> lines;
    double w = 0, h = 0;
    double x = 0, y = 0;        // upper left corner
    bool external = false;
    bool right = true;
    double rim_x = 0, rim_y = 0, want_y = 0;
};

std::string trimmed(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::string value_line(const Context& ctx, double v, int digits, bool percent) {
    const ChartState& c = ctx.charts;
    std::string s = c.pie_left.empty() ? "" : c.pie_left + " ";
    s += number_text(ctx, v, digits);
    s += percent ? " % " : " ";
    return trimmed(s + c.pie_right);
}

// The text splits into n * nlin pieces of equal length; a text shorter
// than that gives no user lines.
std::vector<std::string> user_lines(const char* text, int nlin, int n, int i) {
    std::vector<std::string> lines;
    if (nlin <= 0) return lines;
    const std::string t = text;
    const size_t pieces = size_t(n) * size_t(nlin), len = t.size() / pieces;
    if (len == 0) return lines;
    for (int k = 0; k < nlin; ++k) {
        const size_t at = (size_t(i) * nlin + k) * len;
        lines.push_back(at < t.size() ? trimmed(t.substr(at, len)) : "");
    }
    return lines;
}

double pitch(const Context& ctx) { return 1.5 * ctx.text.height; }

// The distance of an external label from the rim by its direction.
double external_distance(double t) {
    const double s = std::abs(std::sin(t * DEG));
    return s <= std::sin(10 * DEG) ? 40 : s <= std::sin(30 * DEG) ? 53 : 80;
}

void place_external(Label& l, double t, double rx, double ry, double dist) {
    const double ux = std::cos(t * DEG), uy = -std::sin(t * DEG);
    const double ax = rx + dist * ux, ay = ry + dist * uy;
    l.external = true;
    l.right = ux >= -1e-9;
    l.rim_x = rx, l.rim_y = ry;
    l.x = l.right ? ax : ax - l.w;
    // Near the vertical the near edge is the bottom (above) or top (below).
    l.y = uy < -0.5 ? ay - l.h : uy > 0.5 ? ay : ay - l.h / 2;
    l.want_y = l.y;
}

void join(Context& ctx, const Label& l, int style, int kind) {
    if (!l.external || kind == PIEVEC_NONE) return;
    const double ex = l.right ? l.x - 0.5 * ctx.text.height : l.x + l.w + 0.5 * ctx.text.height;
    const double ey = l.y + l.h / 2;
    if (kind == PIEVEC_STRA) {
        draw_arrow(ctx, ex, ey, l.rim_x, l.rim_y, style);
        return;
    }
    // Broken: level from the label, then along to the rim.
    const double kx = l.rim_x + (l.right ? 1 : -1) * std::min(20.0, std::abs(ex - l.rim_x) / 2);
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    line_move(ctx, ex + ox, ey + oy);
    line_draw(ctx, kx + ox, ey + oy);
    line_flush(ctx);
    draw_arrow(ctx, kx, ey, l.rim_x, l.rim_y, style);
}

}  // namespace

void draw_pie(Context& ctx, const char* text, int nlin, const float* x, int n) {
    ChartState& c = ctx.charts;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(x[i])) {
            warn_text(ctx, 2, "x");
            return;
        }
    double total = 0;
    for (int i = 0; i < n; ++i) total += std::abs(double(x[i]));
    if (!(total > TOLERANCE)) {
        warn(ctx, 29);
        return;
    }

    // The invisible axis system 0..5 x 0..5 on the axis area.
    const AxisState& as = ctx.axes;
    const double lx = as.axis[AXIS_X].length, ly = as.axis[AXIS_Y].length;
    Disc d;
    d.cx = as.corner_x + (lx - 1) / 2;
    d.cy = as.corner_y - (ly - 1) / 2;
    d.r = std::max(1.0, std::min(lx, ly) / 2);
    d.b = d.r;
    d.height = 0;
    if (c.pie3d) {
        const double a = c.pie_angle > 45 ? 90 - c.pie_angle : c.pie_angle;
        d.b = std::max(1.0, d.r * std::sin(a * DEG));
        d.height = c.pie_height * d.r;
        d.cy -= d.height / 2;
    }
    const double offset = 0.08 * d.r;

    const int colour0 = ctx.out.current_colour, pattern0 = ctx.colour.pattern_number;
    const bool cycle_colours = c.pie_cycle == CYCLE_COLO || c.pie_cycle == CYCLE_BOTH;
    const bool cycle_patterns = c.pie_cycle == CYCLE_PATT || c.pie_cycle == CYCLE_BOTH;
    std::vector<Segment> seg;
    try {
        seg.resize(size_t(n));
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    double angle = 0;
    for (int i = 0; i < n; ++i) {
        Segment& s = seg[i];
        s.value = x[i];
        s.span = std::abs(double(x[i])) * 360 / total;
        if (i == 0) angle = c.pie3d ? 0 : 360 - s.span / 2;
        s.start = angle;
        angle += s.span;
        s.cx = d.cx, s.cy = d.cy;
        if (c.explode || x[i] < 0) {
            const double t = (s.start + s.span / 2) * DEG;
            s.cx += offset * std::cos(t);
            s.cy -= offset * d.b / d.r * std::sin(t);
        }
        const int slot = (i + 1) % ChartState::SLOTS == 0 ? ChartState::SLOTS : (i + 1) % ChartState::SLOTS;
        s.colour = cycle_colours ? cycle_colour(ctx, slot - 1)
                   : c.pie_colours && c.pie_front[slot - 1] != -1 ? c.pie_front[slot - 1]
                                                                  : colour0;
        s.side = c.pie_colours && c.pie_side[slot - 1] != -1 ? c.pie_side[slot - 1] : s.colour;
        s.pattern = cycle_patterns ? cycle_pattern(ctx, slot) : pattern0;
        CurveRecord record = current_record(ctx);
        record.filled = true;
        record.colour = s.colour;
        record.pattern = s.pattern;
        record_curve(ctx, record);
    }

    line_flush(ctx);
    const int border = c.pie_border == -1 ? ctx.colour.foreground : c.pie_border;
    std::vector<double> xs, ys;
    const auto paint = [&](int colour) {
        if (ctx.colour.pattern_code != 0) {
            set_colour(ctx, colour);
            fill_polygon(ctx, int(xs.size()), xs.data(), ys.data());
        }
        set_colour(ctx, border);
        draw_polyline(ctx, int(xs.size()), xs.data(), ys.data(), true);
    };
    const auto top_outline = [&](const Segment& s) {
        xs.clear(), ys.clear();
        const bool full = s.span >= 360 - 1e-9;
        if (!full) xs.push_back(s.cx), ys.push_back(s.cy);
        arc_points(ctx, s.cx, s.cy, d.r, d.b, s.start, s.start + s.span, 5, true, xs, ys);
        if (full) xs.pop_back(), ys.pop_back();
    };
    // The visible side of a 3-D segment: its part of the front half.
    const auto side_outline = [&](const Segment& s) {
        xs.clear(), ys.clear();
        double a = s.start, e = s.start + s.span;
        // The front half is 180..360 (and 540..720 for spans past a turn).
        a = std::max(a, 180.0), e = std::min(e, 360.0);
        if (e <= a) return false;
        arc_points(ctx, s.cx, s.cy, d.r, d.b, a, e, 5, true, xs, ys);
        const size_t m = xs.size();
        for (size_t k = m; k-- > 0;) xs.push_back(xs[k]), ys.push_back(ys[k] + d.height);
        return true;
    };

    for (const Segment& s : seg) {
        if (s.span < 0.1) continue;
        if (ctx.colour.pattern_number != s.pattern) select_pattern(ctx, s.pattern);
        if (c.pie3d && side_outline(s)) paint(s.side);
        top_outline(s);
        paint(s.colour);
    }
    line_flush(ctx);

    // Labels.
    const ChartLabels& lab = ctx.labels.chart;
    if (lab.pie_value != PIELAB_NONE || nlin > 0) {
        std::vector<Label> labels(static_cast<size_t>(n));
        const double h = ctx.text.height;
        for (int i = 0; i < n; ++i) {
            const Segment& s = seg[i];
            Label& l = labels[i];
            l.lines = user_lines(text, nlin, n, i);
            const double pct = 100 * std::abs(s.value) / total;
            if (lab.pie_value == PIELAB_PERC || lab.pie_value == PIELAB_BOTH)
                l.lines.push_back(value_line(ctx, pct, lab.percent_digits, true));
            if (lab.pie_value == PIELAB_DATA || lab.pie_value == PIELAB_BOTH)
                l.lines.push_back(value_line(ctx, s.value, lab.data_digits, false));
            for (const std::string& t : l.lines) l.w = std::max(l.w, text_length(ctx, t.c_str()));
            l.h = l.lines.empty() ? 0 : (double(l.lines.size()) - 1) * pitch(ctx) + h;
            const double t = s.start + s.span / 2;
            const double ct = std::cos(t * DEG), st = std::sin(t * DEG);
            // The inscribed circle of the segment.
            const double half = std::min(90.0, s.span / 2) * DEG;
            const double rho = d.r * std::sin(half) / (1 + std::sin(half));
            const double fit = rho * d.b / d.r;
            if (lab.pie_position == PIEPOS_INTE && std::hypot(l.w, l.h) / 2 <= fit) {
                const double dist = d.r - rho;
                l.x = s.cx + dist * ct - l.w / 2;
                l.y = s.cy - dist * d.b / d.r * st - l.h / 2;
                continue;
            }
            const double lower = st < 0 ? d.height : 0;
            const double rx = s.cx + d.r * ct, ry = s.cy - d.b * st + lower;
            place_external(l, t, rx, ry, external_distance(t));
            if (lab.pie_position == PIEPOS_ALIG)
                l.x = l.right ? d.cx + d.r + 120 : d.cx - d.r - 120 - l.w;
        }
        if (lab.pie_position == PIEPOS_ALIG) {
            // Each column from the top down: overlapping labels move apart.
            for (int side = 0; side < 2; ++side) {
                std::vector<Label*> column;
                for (Label& l : labels)
                    if (l.external && l.right == (side == 0)) column.push_back(&l);
                std::stable_sort(column.begin(), column.end(),
                                 [](const Label* a, const Label* b) { return a->want_y < b->want_y; });
                double below = -1e300;
                for (Label* l : column) {
                    l->y = std::max(l->y, below);
                    below = l->y + l->h + 0.5 * h;
                }
            }
        }
        const int colour = lab.pie_colour == -1 ? colour0 : lab.pie_colour;
        for (const Label& l : labels) {
            set_colour(ctx, colour);
            if (l.external) join(ctx, l, c.vector_style, c.vector_kind);
            for (size_t k = 0; k < l.lines.size(); ++k) {
                const std::string& t = l.lines[k];
                const double tw = text_length(ctx, t.c_str());
                draw_text(ctx, t.c_str(), l.x + (l.w - tw) / 2, l.y + k * pitch(ctx), false);
            }
        }
    }
    line_flush(ctx);

    // Regions: later lines stay out of the segments.
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    for (const Segment& s : seg) {
        if (!ctx.shields.automatic[SOURCE_PIES]) break;
        if (s.span < 0.1) continue;
        if (!c.pie3d) {
            const double p[5] = {s.cx + ox, s.cy + oy, d.r, s.start * DEG, (s.start + s.span) * DEG};
            if (s.span >= 360 - 1e-9) {
                const double q[3] = {s.cx + ox, s.cy + oy, d.r};
                if (add_automatic_shield(ctx, SOURCE_PIES, SHIELD_CIRCLE, q, 3) == 0) break;
            } else if (add_automatic_shield(ctx, SOURCE_PIES, SHIELD_PIE, p, 5) == 0) {
                break;   // the region buffer is full: warned once
            }
            continue;
        }
        // The top, with the visible part of the side hanging below its rim.
        std::vector<double> px, py, p;
        const double a0 = s.start, e0 = s.start + s.span;
        const double a = std::max(a0, 180.0), e = std::min(e0, 360.0);
        if (s.span < 360 - 1e-9) px.push_back(s.cx), py.push_back(s.cy);
        if (e > a) {
            arc_points(ctx, s.cx, s.cy, d.r, d.b, a0, a, 15, false, px, py);
            arc_points(ctx, s.cx, s.cy + d.height, d.r, d.b, a, e, 15, false, px, py);
            arc_points(ctx, s.cx, s.cy, d.r, d.b, e, e0, 15, false, px, py);
        } else {
            arc_points(ctx, s.cx, s.cy, d.r, d.b, a0, e0, 15, false, px, py);
        }
        for (size_t k = 0; k < px.size(); ++k) p.push_back(px[k] + ox), p.push_back(py[k] + oy);
        if (add_automatic_shield(ctx, SOURCE_PIES, SHIELD_POLYGON, p.data(), int(p.size())) == 0) break;
    }
    set_colour(ctx, colour0);
    if (ctx.colour.pattern_number != pattern0) select_pattern(ctx, pattern0);
}

void piegrf(Context& ctx, const char* text, int nlin, const float* x, int n) {
    if (out_of_range(ctx, n, 1, -1) || out_of_range(ctx, nlin, 0, -1)) return;
    draw_pie(ctx, text, nlin, x, n);
}

}  // namespace kal
