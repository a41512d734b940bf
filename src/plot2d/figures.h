// Elementary figures: the settings they read and the drawing forms that
// both the plot-coordinate routines and their user-coordinate (rl) forms
// call. Positions are page coordinates relative to the plot origin, with
// the vertical rule of the page already applied by the caller.
#pragma once
#include "core/state_part.h"

namespace kal {

struct Context;

struct FigureState {
    double arc_step = 10;   // chord length of arcs in plot units (circsp)

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// Elliptic arc around (x, y) with half axes a, b from alpha to beta degrees,
// turned by theta degrees; `pie` closes it through the centre.
void draw_arc(Context& ctx, double x, double y, int a, int b, double alpha, double beta, double theta,
              bool pie);
// Ring sector between the radii r1 and r2, filled with the colour value.
void draw_sector(Context& ctx, double x, double y, int r1, int r2, double alpha, double beta, int colour);
// Rectangle from (x1, y1) to (x2, y2) with corners rounded by iopt (0..9).
void draw_rounded_rect(Context& ctx, double x1, double y1, double x2, double y2, int iopt);
// Arrow of the form ivec from the first point to the second.
void draw_arrow(Context& ctx, double x1, double y1, double x2, double y2, int ivec);
// Wind barb of speed v at the station (x, y), shaft length nw, direction
// angle in degrees clockwise from straight up.
void draw_wind_barb(Context& ctx, float v, double x, double y, int nw, float angle);

}  // namespace kal
