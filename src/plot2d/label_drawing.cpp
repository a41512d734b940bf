#include "plot2d/label_drawing.h"

#include "api/routines_text_and_fonts.h"
#include "core/context.h"
#include "text/national.h"
#include "text/text_engine.h"

namespace kal {
namespace {

constexpr double EQUAL_DIGIT_SPACING = 0.7;

}  // namespace

void with_label_settings(Context& ctx, const LabelText& label, const std::function<void()>& f) {
    TextState& t = ctx.text;
    const TextState saved = t;
    if (label.raised) t.mix_on = true;
    if (label.german) {
        for (char& c : t.national)
            if (c == '!') c = 0;
        t.national[national_key("GERM")] = '!';
    }
    if (label.numeric && ctx.labels.mode.equal) {
        t.fixed = true;
        t.fixed_factor = EQUAL_DIGIT_SPACING;
    }
    f();
    // Only the continuation point of messag 999, 999 outlives the string.
    const bool has_end = t.has_end;
    const double ex = t.end_x, ey = t.end_y;
    t = saved;
    t.has_end = has_end;
    t.end_x = ex;
    t.end_y = ey;
}

TextScope::TextScope(Context& ctx) : ctx_(ctx), saved_(ctx.text) {}

TextScope::~TextScope() {
    const int h = ctx_.text.height;
    ctx_.text = saved_;
    if (h != saved_.height) kal::height(ctx_, saved_.height);
}

void TextScope::angle(int degrees) { kal::angle(ctx_, degrees); }

void TextScope::height(int h) { kal::height(ctx_, h); }

double label_length(Context& ctx, const LabelText& label) {
    double length = 0;
    if (!label.text.empty()) with_label_settings(ctx, label, [&] { length = text_length(ctx, label.text.c_str()); });
    return length;
}

void draw_label(Context& ctx, const LabelText& label, double x, double y) {
    if (label.text.empty()) return;
    const int justify = ctx.text.justify;
    ctx.text.justify = JUSTIFY_LEFT;
    with_label_settings(ctx, label, [&] { draw_text(ctx, label.text.c_str(), x, y, false); });
    ctx.text.justify = justify;
}

}  // namespace kal
