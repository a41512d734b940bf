// Drawing label, name, title and number strings: the text settings that a
// label changes for its duration (angle, height, control characters, the
// GERM shift of German dates, equal digit widths) and their restoration.
#pragma once
#include <functional>

#include "plot2d/label_text.h"
#include "text/text_state.h"

namespace kal {

// Keeps the text settings of its construction and restores them when it
// ends; the label code changes angle, height and justification inside.
class TextScope {
public:
    explicit TextScope(Context& ctx);
    ~TextScope();
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

    void angle(int degrees);
    void height(int h);

private:
    Context& ctx_;
    TextState saved_;
};

// Runs `f` with what the string needs switched on: the exponent control
// characters, "!" as the GERM shift, equal digit widths.
void with_label_settings(Context& ctx, const LabelText& label, const std::function<void()>& f);
// Length in plot units of a label string as it is drawn.
double label_length(Context& ctx, const LabelText& label);
// Draws a label string with its upper left corner (before rotation) at
// (x, y), page coordinates.
void draw_label(Context& ctx, const LabelText& label, double x, double y);

}  // namespace kal
