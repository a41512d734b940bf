// Bar graphs and pie charts: their settings, the pattern cycle they share,
// and the drawing forms the quick plots call.
#pragma once
#include <string>

#include "core/state_part.h"

namespace kal {

struct Context;

enum : int { BAR_VERT = 0, BAR_HORI, BAR_3DVE, BAR_3DHO };
// chnbar and chnpie: what changes from one bar or segment to the next.
enum : int { CYCLE_NONE = 0, CYCLE_COLO, CYCLE_PATT, CYCLE_BOTH };
// pievec: how an external label is joined to its segment.
enum : int { PIEVEC_BROK = 0, PIEVEC_STRA, PIEVEC_NONE };

struct ChartState {
    static constexpr int SLOTS = 30;

    // Bars.
    int bar_type = BAR_VERT;       // bartyp
    bool variable_width = false;   // barmod VARI
    int group_count = 1;           // bargrp
    double group_gap = 0;          // >= 0 a fraction of a bar's width, < 0 plot units
    bool tick_positions = false;   // barpos TICK, BOTH
    bool axis_bases = false;       // barpos AXIS, BOTH
    int front = -1, side = -1, top = -1;   // barclr, -1: the current colour
    int border = -1;               // barbor, -1: none on flat bars
    int bar_cycle = CYCLE_NONE;    // chnbar
    double depth = -1;             // baropt, -1: the bar width
    double angle = 45;

    // Pies.
    bool pie3d = false;            // pietyp
    int pie_cycle = CYCLE_PATT;    // chnpie
    bool pie_colours = false;      // pieclr was called
    int pie_front[SLOTS] = {}, pie_side[SLOTS] = {};
    int pie_border = -1;           // piebor, -1: the foreground
    bool explode = false;          // pieexp
    double pie_height = 0.2;       // pieopt
    double pie_angle = 45;
    std::string pie_left, pie_right;   // pielab
    int vector_style = 2301;       // pievec
    int vector_kind = PIEVEC_BROK;

    int patterns[SLOTS] = {};      // patcyc, shdpat numbers

    ChartState();
    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// The shdpat number slot `slot` (1..30) of the pattern cycle holds.
int cycle_pattern(const Context& ctx, int slot);

// Draws one bar set / one pie chart; the entries below check their
// arguments first (the quick plots call them too).
void draw_bars(Context& ctx, const float* x, const float* y1, const float* y2, int n);
void draw_pie(Context& ctx, const char* text, int nlin, const float* x, int n);

}  // namespace kal
