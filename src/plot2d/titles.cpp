// Title lines of an axis system and their settings.
#include <cmath>
#include <cstdlib>

#include "api/routines_axis_labels_names_titles_and_numbers.h"
#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/line_layer.h"
#include "plot2d/label_drawing.h"
#include "text/text_engine.h"

namespace kal {
namespace {

constexpr int MAX_TITLE = 132;

}  // namespace

void titlin(Context& ctx, const char* text, int n) {
    if (n == 0 || n < -TITLE_LINES || n > TITLE_LINES) return warn_int(ctx, 2, n);
    const int line = std::abs(n);
    std::string s = text ? text : "";
    if (s.size() > MAX_TITLE) s.resize(MAX_TITLE);
    ctx.labels.title.line[line - 1] = s;
    ctx.labels.title.underline[line - 1] = n < 0;
}

void titjus(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "CENT+LEFT+RIGH", mode);
    if (k > 0) ctx.labels.title.justify = k - 1;
}

void titpos(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "ABOV+BELO", mode);
    if (k > 0) ctx.labels.title.below = k == 2;
}

void htitle(Context& ctx, int h) {
    if (!out_of_range(ctx, h, 0, 10000)) ctx.labels.title.height = h;
}

void vkytit(Context& ctx, int shift) { ctx.labels.title.shift = shift; }

// Line i (1..4) of ABOV has its baseline at
//   (lower edge - shift - Y length) - (4 - i) * 1.5 h - 3 h,
// so that line 4 is lowest whichever lines are set; BELO stacks the drawn
// lines downwards from lower edge - shift + 4 h.
void title(Context& ctx) {
    const TitleState& t = ctx.labels.title;
    TextScope scope(ctx);
    if (t.height > 0) scope.height(t.height);
    scope.angle(0);
    ctx.text.justify = JUSTIFY_LEFT;
    const int h = ctx.text.height;
    const int x0 = static_cast<int>(std::lround(ctx.axes.x.start));
    const int xlen = ctx.axes.x.length;
    const double lower = ctx.axes.y.start - t.shift;
    const double spacing = ctx.options.line_spacing;
    int drawn = 0;
    for (int i = 1; i <= TITLE_LINES; ++i) {
        const std::string& text = t.line[i - 1];
        if (text.empty()) continue;
        const int len = static_cast<int>(std::lround(text_length(ctx, text.c_str())));
        int x = x0;
        if (t.justify == NAMJUS_CENT) x = x0 + (xlen - len) / 2;
        else if (t.justify == NAMJUS_RIGH) x = x0 + xlen - len;
        ++drawn;
        const double base = t.below ? lower + (drawn - 1) * spacing * h + 4 * h
                                    : lower - ctx.axes.y.length - (4 - i) * spacing * h - 3 * h;
        const double top = base - (h - 1);
        draw_text(ctx, text.c_str(), x, top, false);
        if (t.underline[i - 1]) {
            const double y = top + 1.2 * h + ctx.page.origin_y;
            line_move(ctx, x - h / 2.0 + ctx.page.origin_x, y);
            line_draw(ctx, x + len + h / 2.0 + ctx.page.origin_x, y);
            line_flush(ctx);
        }
    }
}

}  // namespace kal
