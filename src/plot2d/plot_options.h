// Settings of 2-D plots that several drawing routines read: the rectangles
// of colour points (setres, autres), labels left out at axis ends, centred
// axis systems, the clipping margin of axis systems, integer labels, title
// spacing, values at or below zero on logarithmic axes, the attribute
// cycles of curves, the fills of shdcrv, the transparent raster page, shaded
// characters, polar grids and the neighbourhood of getmat.
#pragma once
#include "core/state_part.h"
#include "plot2d/axis_system.h"

namespace kal {

struct Context;

// How colour points are sized: the symbol size, setres or autres.
enum : int { RES_SYMBOL = 0, RES_FIXED, RES_AUTO };
// Labels left out at the ends of an axis (axends), as bits.
enum : int { ENDS_FIRST = 1, ENDS_LAST = 2 };
// Zero directions of polar grids (polmod), counter-clockwise from the right.
enum : int { POLAR_RIGHT = 0, POLAR_TOP, POLAR_LEFT, POLAR_BOTTOM };

struct PlotOptions {
    int res_mode = RES_SYMBOL;
    int res_w = 0, res_h = 0;        // setres, plot units
    int res_nx = 0, res_ny = 0;      // autres: points along X and Y
    int ends[AXIS_COUNT] = {};       // ENDS_* bits
    bool centred = false;            // center
    int grace = 0;                   // plot units around the axis area
    bool integer_labels = false;     // intax
    double line_spacing = 1.5;       // linesp: title lines, times their height
    double neg_log = 0;              // neglog; 0: such values are left out
    int curves_per_change = 1;       // inccrv
    int line_cycle[8] = {0, 2, 1, 3, 5, 4, 7, 6};  // lincyc
    int attribute_step = 0;          // chnatt steps taken since resatt
    int first_colour = -1;           // the colour before the first chnatt
    int fill_colour = -1;            // filclr; -1: the current colour
    bool no_fill = false;            // nofill
    bool no_background = false;      // nobgd
    bool shaded_characters = false;  // shdcha
    int polar_zero = POLAR_RIGHT;    // polmod
    bool polar_clockwise = false;
    int mdf_nx = 2, mdf_ny = 2;      // mdfmat
    double mdf_weight = 2;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// The size of the rectangle of a colour point (curve3 and its kin) in plot
// units.
void colour_point_size(const Context& ctx, double& w, double& h);

}  // namespace kal
