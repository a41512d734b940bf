// The contour settings: conclr, conlab, conmod, congap, shdmod and the reset
// keys of the contour part.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "api/routines_contouring.h"
#include "contour/contour_state.h"
#include "core/context.h"
#include "core/frame.h"

namespace kal {

int default_label_distance(const Context& ctx) {
    const double u = ctx.page.units > 0 ? ctx.page.units : 1.0;
    return std::max(1, static_cast<int>(std::lround(500.0 / u)));
}

void conclr(Context& ctx, const int* colours, int ncol) {
    if (out_of_range(ctx, ncol, 0, ContourState::MAX_COLOURS)) return;
    ctx.contour.colours.clear();
    for (int i = 0; i < ncol; ++i) ctx.contour.colours.push_back(colours[i] & 0xFF);
}

void conlab(Context& ctx, const char* text) {
    std::string s(text);
    if (s.size() > size_t(ContourState::MAX_LABEL)) s.resize(ContourState::MAX_LABEL);
    ctx.contour.label_text = s;
}

void conmod(Context& ctx, float xfac, float xquot) {
    if (!(xfac >= 0) || !std::isfinite(xfac) || !(xquot > 1) || !std::isfinite(xquot)) {
        warn(ctx, 2);
        return;
    }
    ctx.contour.gap_factor = xfac;
    ctx.contour.curvature = xquot;
}

void congap(Context& ctx, float factor) {
    if (!(factor >= 0) || !std::isfinite(factor)) {
        warn(ctx, 2);
        return;
    }
    ctx.contour.text_gap = factor;
}

namespace {

// Categories and axis keywords count by their first three letters.
bool same_three_letters(const char* key, const char* given) {
    for (int i = 0; i < 3; ++i)
        if (!given[i] || std::toupper(static_cast<unsigned char>(given[i])) != key[i]) return false;
    return true;
}

// The categories of shdmod: each names its keywords and stores the chosen
// entry (0-based) where its drawing reads it.
struct ShadeCategory {
    const char* name;   // the first four letters of the category
    const char* keys;
    void (*store)(Context& ctx, int entry);
};
const ShadeCategory SHADE_CATEGORIES[] = {
    {"CONT", "CELL+POLY", [](Context& ctx, int k) { ctx.contour.shade_mode = k; }},
    {"CELL", "BOTH+UPPE+LOWE+NONE", [](Context& ctx, int k) { ctx.contour.outer = k; }},
    {"COLO", "LOWE+MIDD+UPPE", [](Context& ctx, int k) { ctx.contour.class_colour = k; }},
    {"CURV", "RECT+SYMB", [](Context& ctx, int k) { ctx.view3d.curve_symbols = k == 1; }},
    {"SURF", "FLAT+SMOO", [](Context& ctx, int k) { ctx.surface.shading.shading = k; }},
};

}  // namespace

void shdmod(Context& ctx, const char* mode, const char* category) {
    for (const ShadeCategory& c : SHADE_CATEGORIES) {
        if (!same_three_letters(c.name, category)) continue;
        const int k = keyword(ctx, c.keys, mode);
        if (k > 0) c.store(ctx, k - 1);
        return;
    }
    warn_text(ctx, 2, category);
}

namespace {

void reset_colours(Context& ctx) { ctx.contour.colours.clear(); }
void reset_gap(Context& ctx) { ctx.contour.text_gap = ContourState{}.text_gap; }
void reset_placement(Context& ctx) {
    ctx.contour.gap_factor = ContourState{}.gap_factor;
    ctx.contour.curvature = ContourState{}.curvature;
}
void reset_label_mode(Context& ctx) { ctx.contour.label_mode = CONLAB_NONE; }
void reset_label_digits(Context& ctx) {
    ctx.contour.label_digits = 1;
    ctx.contour.label_distance = default_label_distance(ctx);
}
void reset_label_colour(Context& ctx) { ctx.contour.label_colour = -1; }

const ResetKey CONTOUR_KEYS[] = {
    {"CONC", reset_colours},    {"CONG", reset_gap},         {"CONM", reset_placement},
    {"LABE", reset_label_mode}, {"LABD", reset_label_digits}, {"LABC", reset_label_colour},
};

}  // namespace

const ResetKeys ContourState::reset_keys = CONTOUR_KEYS;

void ContourState::reset(Context& ctx) {
    ctx.contour = ContourState{};
    ctx.contour.label_distance = default_label_distance(ctx);
}

}  // namespace kal
