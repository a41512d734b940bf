// The axis name beyond the labels of a side. Along the axis the name is
// centred or put at the start or end of its reading direction; on the
// left Y axis it reads upwards, on the right Y axis downwards (upwards
// after rvynam).
#include <cmath>

#include "core/context.h"
#include "plot2d/label_drawing.h"
#include "plot2d/labels.h"
#include "text/text_engine.h"

namespace kal {

void draw_axis_name(Context& ctx, const AxisSide& side, int label_extent) {
    const LabelAxis& la = ctx.labels.axis[side.axis];
    const char* text = side.name ? side.name : la.name.c_str();
    if (!side.draw_name || !*text) return;
    TextScope scope(ctx);
    scope.height(ctx.labels.name_height);
    ctx.text.justify = JUSTIFY_LEFT;
    const double h1 = ctx.text.height - 1;
    const double len = text_length(ctx, text);
    double dist = la.name_distance + side.tick_space;
    if (side.draw_labels && la.type != LABEL_NONE) dist += la.distance + label_extent;
    const double n = side.length;
    // Start of the name along its reading direction, measured from the
    // reading start of the axis.
    const double lead = la.name_justify == NAMJUS_LEFT ? 0 : la.name_justify == NAMJUS_RIGH ? n - len : (n - len) / 2;
    double x, y;
    if (horizontal(side)) {
        scope.angle(0);
        x = side.x0 + lead;
        y = side.outer ? side.y0 - dist - h1 : side.y0 + dist;
    } else if (side.outer && !ctx.labels.reverse_names) {
        scope.angle(270);  // box [x - h1, x] by [y, y + len]
        x = side.x0 + dist + h1;
        y = side.y0 - (n - 1) + lead;
    } else {
        scope.angle(90);  // box [x, x + h1] by [y - len, y]
        x = side.outer ? side.x0 + dist : side.x0 - dist - h1;
        y = side.y0 - lead;
    }
    draw_text(ctx, text, x, y, false);
}

}  // namespace kal
