// number, nlnumb and rlnumb: free-standing numbers in the numfmt form.
#include <cmath>

#include "api/routines_axis_labels_names_titles_and_numbers.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/frame.h"
#include "plot2d/label_drawing.h"
#include "plot2d/number_format.h"
#include "text/text_engine.h"

namespace kal {
namespace {

// The number as a label string; false after warning 2 for bad digits.
bool number_label(Context& ctx, float x, int ndig, LabelText& out) {
    if (out_of_range(ctx, ndig, -1, 100)) return false;
    out.text = number_text(ctx, x, ndig);
    out.raised = ctx.labels.number_form == NUMFMT_EXP || ctx.labels.number_form == NUMFMT_LOG;
    out.numeric = true;
    return true;
}

}  // namespace

void number(Context& ctx, float x, int ndig, int nx, int ny) {
    LabelText label;
    if (number_label(ctx, x, ndig, label))
        with_label_settings(ctx, label, [&] { messag(ctx, label.text.c_str(), nx, ny); });
}

int nlnumb(Context& ctx, float x, int ndig) {
    LabelText label;
    if (!number_label(ctx, x, ndig, label)) return 0;
    return clamp_int(std::round(label_length(ctx, label)));
}

// At the plot position of (xp, yp), justified like number.
void rlnumb(Context& ctx, float x, int ndig, float xp, float yp) {
    LabelText label;
    if (!number_label(ctx, x, ndig, label)) return;
    outside_scaling(ctx, xp, yp);   // reported, drawn all the same (clipped)
    const double px = x_plot(ctx, xp), py = y_plot(ctx, yp);
    if (!std::isfinite(px) || !std::isfinite(py)) return;
    with_label_settings(ctx, label, [&] { draw_text(ctx, label.text.c_str(), px, py, false); });
}

}  // namespace kal
