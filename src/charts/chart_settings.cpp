// The settings of bars and pies, the pattern cycle, the page frame and
// histog.
#include <algorithm>
#include <cmath>
#include <vector>

#include "api/routines_bar_graphs_and_pie_charts.h"
#include "charts/charts.h"
#include "core/context.h"
#include "output/line_layer.h"
#include "output/primitives.h"

namespace kal {
namespace {

const char* const CYCLE_KEYS = "NONE+COLO+PATT+BOTH";

// A colour argument: -1 or a colour value.
bool bad_colour(Context& ctx, int colour) { return out_of_range(ctx, colour, -1, -2); }

void default_patterns(ChartState& c) {
    for (int i = 0; i < ChartState::SLOTS; ++i) c.patterns[i] = i % 17 + 1;
}

void reset_bargrp(Context& ctx) {
    ctx.charts.group_count = 1;
    ctx.charts.group_gap = 0;
}
void reset_barpos(Context& ctx) { ctx.charts.tick_positions = ctx.charts.axis_bases = false; }
void reset_bartyp(Context& ctx) { ctx.charts.bar_type = BAR_VERT; }
void reset_chnpie(Context& ctx) { ctx.charts.pie_cycle = CYCLE_PATT; }
void reset_pieexp(Context& ctx) { ctx.charts.explode = false; }
void reset_pielab(Context& ctx) { ctx.charts.pie_left.clear(), ctx.charts.pie_right.clear(); }
void reset_pievec(Context& ctx) {
    ctx.charts.vector_style = 2301;
    ctx.charts.vector_kind = PIEVEC_BROK;
}
void reset_patcyc(Context& ctx) { default_patterns(ctx.charts); }
// The bar and pie parts of the label settings.
void reset_label_values(Context& ctx) {
    ctx.labels.chart.bar_value = BARLAB_NONE;
    ctx.labels.chart.pie_value = PIELAB_PERC;
}
void reset_label_digits(Context& ctx) {
    ctx.labels.chart.bar_digits = ctx.labels.chart.data_digits = ctx.labels.chart.percent_digits = 1;
}
void reset_label_colours(Context& ctx) { ctx.labels.chart.bar_colour = ctx.labels.chart.pie_colour = -1; }
void reset_label_positions(Context& ctx) {
    ctx.labels.chart.bar_position = 0;
    ctx.labels.chart.pie_position = PIEPOS_INTE;
}

const ResetKey CHART_KEYS[] = {
    {"BARG", reset_bargrp},        {"BARP", reset_barpos},       {"BART", reset_bartyp},
    {"CHNP", reset_chnpie},        {"PIEE", reset_pieexp},       {"PIEL", reset_pielab},
    {"PIEV", reset_pievec},        {"PATC", reset_patcyc},       {"LABE", reset_label_values},
    {"LABD", reset_label_digits},  {"LABC", reset_label_colours}, {"LABP", reset_label_positions},
};

}  // namespace

ChartState::ChartState() {
    default_patterns(*this);
    std::fill(std::begin(pie_front), std::end(pie_front), -1);
    std::fill(std::begin(pie_side), std::end(pie_side), -1);
}

const ResetKeys ChartState::reset_keys = CHART_KEYS;

void ChartState::reset(Context& ctx) { ctx.charts = ChartState{}; }

int cycle_pattern(const Context& ctx, int slot) {
    const int i = ((slot - 1) % ChartState::SLOTS + ChartState::SLOTS) % ChartState::SLOTS;
    return ctx.charts.patterns[i];
}

void bartyp(Context& ctx, const char* type) {
    const int k = keyword(ctx, "VERT+HORI+3DVE+3DHO", type);
    if (k > 0) ctx.charts.bar_type = k - 1;
}

void barmod(Context& ctx, const char* mode, const char* item) {
    const int k = keyword(ctx, "FIXE+VARI", mode);
    if (k == 0) return;
    if (keyword_index("WIDT", item) == 0) {
        warn_text(ctx, 2, item);
        return;
    }
    ctx.charts.variable_width = k == 2;
}

void bargrp(Context& ctx, int count, float gap) {
    if (out_of_range(ctx, count, 1, ChartState::SLOTS)) return;
    if (!std::isfinite(gap)) {
        warn(ctx, 2);
        return;
    }
    ctx.charts.group_count = count;
    ctx.charts.group_gap = gap;
    ctx.curves.bar_group = 0;
}

void barpos(Context& ctx, const char* mode) {
    const int k = keyword(ctx, "NONE+TICK+AXIS+BOTH", mode);
    if (k == 0) return;
    ctx.charts.tick_positions = k == 2 || k == 4;
    ctx.charts.axis_bases = k == 3 || k == 4;
}

void barclr(Context& ctx, int front, int side, int top) {
    if (bad_colour(ctx, front) || bad_colour(ctx, side) || bad_colour(ctx, top)) return;
    ctx.charts.front = front;
    ctx.charts.side = side;
    ctx.charts.top = top;
}

void barbor(Context& ctx, int colour) {
    if (!bad_colour(ctx, colour)) ctx.charts.border = colour;
}

void baropt(Context& ctx, float depth, float angle) {
    if (!std::isfinite(depth) || (depth != -1 && depth < 0)) {
        warn_text(ctx, 2, "depth");
        return;
    }
    if (out_of_range(ctx, angle, 0, 90)) return;
    ctx.charts.depth = depth;
    ctx.charts.angle = angle;
}

void chnbar(Context& ctx, const char* mode) {
    const int k = keyword(ctx, CYCLE_KEYS, mode);
    if (k > 0) ctx.charts.bar_cycle = k - 1;
}

void pietyp(Context& ctx, const char* type) {
    const int k = keyword(ctx, "2D  +3D  ", type);
    if (k > 0) ctx.charts.pie3d = k == 2;
}

void pieclr(Context& ctx, const int* c1, const int* c2, int n) {
    if (out_of_range(ctx, n, 0, ChartState::SLOTS)) return;
    for (int i = 0; i < n; ++i)
        if (bad_colour(ctx, c1[i]) || bad_colour(ctx, c2[i])) return;
    ChartState& c = ctx.charts;
    for (int i = 0; i < ChartState::SLOTS; ++i) {
        c.pie_front[i] = i < n ? c1[i] : -1;
        c.pie_side[i] = i < n ? c2[i] : -1;
    }
    c.pie_colours = n > 0;
}

void piebor(Context& ctx, int colour) {
    if (!bad_colour(ctx, colour)) ctx.charts.pie_border = colour;
}

void pieexp(Context& ctx) { ctx.charts.explode = true; }

// Each argument is checked and stored on its own.
void pieopt(Context& ctx, float factor, float angle) {
    if (!(factor > 0) || !std::isfinite(factor))
        warn_text(ctx, 2, "factor");
    else
        ctx.charts.pie_height = factor;
    if (!(angle > 0 && angle <= 90))
        warn_text(ctx, 2, "angle");
    else
        ctx.charts.pie_angle = angle;
}

void pielab(Context& ctx, const char* text, const char* side) {
    const int k = keyword(ctx, "LEFT+RIGH", side);
    if (k == 0) return;
    std::string s = text;
    if (s.size() > 20) s.resize(20);
    (k == 1 ? ctx.charts.pie_left : ctx.charts.pie_right) = s;
}

void pievec(Context& ctx, int style, const char* kind) {
    if (out_of_range(ctx, style, 0, 9999)) return;
    const int k = keyword(ctx, "BROK+STRA+NONE", kind);
    if (k == 0) return;
    ctx.charts.vector_style = style;
    ctx.charts.vector_kind = k - 1;
}

void chnpie(Context& ctx, const char* mode) {
    const int k = keyword(ctx, CYCLE_KEYS, mode);
    if (k > 0) ctx.charts.pie_cycle = k - 1;
}

void patcyc(Context& ctx, int slot, int pattern) {
    if (out_of_range(ctx, slot, 1, ChartState::SLOTS) || out_of_range(ctx, pattern, 0, -1)) return;
    ctx.charts.patterns[slot - 1] = pattern;
}

// The border of the page, on its outermost plot units, in the current colour.
void pagera(Context& ctx) {
    line_flush(ctx);
    const double w = ctx.page.width, h = ctx.page.height;
    const double xs[5] = {0, w, w, 0, 0}, ys[5] = {0, 0, h, h, 0};
    for (int i = 0; i < 5; ++i) i == 0 ? line_move(ctx, xs[i], ys[i]) : line_draw(ctx, xs[i], ys[i]);
    line_flush(ctx);
}

// Non-finite values are left out.
void histog(Context& ctx, const float* x, int n, float* xh, float* yh, int* nh) {
    *nh = 0;
    if (out_of_range(ctx, n, 1, -1)) return;
    std::vector<float> v;
    v.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        if (std::isfinite(x[i])) v.push_back(x[i]);
    std::sort(v.begin(), v.end());
    int k = 0;
    for (size_t i = 0; i < v.size();) {
        size_t j = i;
        while (j < v.size() && v[j] == v[i]) ++j;
        xh[k] = v[i];
        yh[k] = float(j - i);
        ++k;
        i = j;
    }
    *nh = k;
}

}  // namespace kal
