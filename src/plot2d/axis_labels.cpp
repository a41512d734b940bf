// Placement of the labels along one side of an axis system.
//
// Every label is a box of its length L by the height h (h - 1 from the top
// to the baseline). On X axes the box is centred on its tick; on Y axes it
// is centred vertically on its tick and justified against the label line D
// (labdis beyond the ticks). Vertical labels read upwards, on the right Y
// axis downwards unless rvynam is set.
#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "plot2d/label_drawing.h"
#include "plot2d/label_values.h"
#include "plot2d/labels.h"
#include "plot2d/plot_options.h"

namespace kal {
namespace {

struct Label {
    LabelText text;
    double at;      // page coordinate of the tick along the axis
    double length;  // plot units
};

// Page coordinate along the axis of a value in axis units.
double along(const AxisSide& s, double u) {
    const double t = (u - s.a) * (s.length - 1) / (s.e - s.a);
    return horizontal(s) ? s.x0 + t : s.y0 - t;
}

// Keeps [lo, lo + size] inside [first, last] where it fits.
double inside(double lo, double size, double first, double last) {
    return std::max(first, std::min(lo, last - size));
}

bool reads_downwards(const Context& ctx, const AxisSide& s) {
    return !horizontal(s) && s.outer && !ctx.labels.reverse_names;
}

void place_x(Context& ctx, const AxisSide& s, const Label& l, double offset) {
    const LabelAxis& la = ctx.labels.axis[s.axis];
    const double h1 = ctx.text.height - 1;
    const double first = s.x0, last = s.x0 + s.length - 1;
    double x, y;
    if (la.vertical) {
        x = l.at - h1 / 2;
        if (la.position == LABPOS_SHIF) x = inside(x, h1, first, last);
        y = s.outer ? s.y0 - offset : s.y0 + offset + l.length;
    } else {
        x = l.at - l.length / 2;
        if (la.position == LABPOS_SHIF) x = inside(x, l.length, first, last);
        y = s.outer ? s.y0 - offset - h1 : s.y0 + offset;
    }
    draw_label(ctx, l.text, x, y);
}

void place_y(Context& ctx, const AxisSide& s, const Label& l, double offset, double maxlen) {
    const LabelAxis& la = ctx.labels.axis[s.axis];
    const double h1 = ctx.text.height - 1;
    const double top = s.y0 - (s.length - 1), bottom = s.y0;
    const double d = s.outer ? s.x0 + offset : s.x0 - offset;  // the label line
    double x, y;
    if (la.vertical) {
        if (reads_downwards(ctx, s)) {  // box [x - h1, x] by [y, y + L]
            x = d + h1;
            y = l.at - l.length / 2;
            if (la.position == LABPOS_SHIF) y = inside(y, l.length, top, bottom);
        } else {  // box [x, x + h1] by [y - L, y]
            x = s.outer ? d : d - h1;
            y = l.at + l.length / 2;
            if (la.position == LABPOS_SHIF) y = inside(y - l.length, l.length, top, bottom) + l.length;
        }
    } else {
        y = l.at - h1 / 2;
        if (la.position == LABPOS_SHIF) y = inside(y, h1, top, bottom);
        const int j = la.justify;
        if (!s.outer) {
            const bool start = j == LABJUS_LEFT || j == LABJUS_OUTW;
            x = start ? d - maxlen : d - l.length;
        } else {
            const bool start = j == LABJUS_LEFT || j == LABJUS_INWA;
            x = start ? d : d + maxlen - l.length;
        }
    }
    draw_label(ctx, l.text, x, y);
}

}  // namespace

int draw_axis_labels(Context& ctx, const AxisSide& side) {
    const LabelAxis& la = ctx.labels.axis[side.axis];
    if (!side.draw_labels || la.type == LABEL_NONE || !(side.e != side.a) || side.length < 2) return 0;
    TextScope scope(ctx);
    std::vector<Label> labels;
    double maxlen = 0;
    bool raised = false;
    for (const LabelSpot& spot : label_spots(ctx, side)) {
        Label l{label_text(ctx, side.axis, spot.value, side.log, side.step, spot.k), along(side, spot.at), 0};
        if (l.text.text.empty()) continue;
        l.length = label_length(ctx, l.text);
        maxlen = std::max(maxlen, l.length);
        raised = raised || l.text.raised;
        labels.push_back(std::move(l));
    }
    // axends: the labels at the ends left out.
    const int ends = side.axis >= 0 && side.axis < AXIS_COUNT ? ctx.options.ends[side.axis] : 0;
    if ((ends & ENDS_LAST) && !labels.empty()) labels.pop_back();
    if ((ends & ENDS_FIRST) && !labels.empty()) labels.erase(labels.begin());
    if (labels.empty()) return 0;

    const int h = ctx.text.height;
    // Raised exponents reach above the text: horizontal X labels keep them
    // clear of the ticks.
    const bool horizontal_x = horizontal(side) && !la.vertical;
    const double extra = raised && horizontal_x ? (ctx.text.exp_factor + ctx.text.shift_factor) * h : 0;
    const double offset = side.tick_space + la.distance + extra;
    const bool across_is_height = horizontal_x || (!horizontal(side) && la.vertical);
    for (const Label& l : labels) {
        if (horizontal(side)) {
            scope.angle(la.vertical ? 90 : 0);
            place_x(ctx, side, l, offset);
        } else {
            scope.angle(la.vertical ? (reads_downwards(ctx, side) ? 270 : 90) : 0);
            place_y(ctx, side, l, offset, maxlen);
        }
    }
    const double extent = (across_is_height ? h - 1 : maxlen) + extra;
    return static_cast<int>(std::lround(extent));
}

}  // namespace kal
