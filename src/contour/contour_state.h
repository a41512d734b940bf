// Contour settings: labels of contour lines (mode, digits, distance,
// colour, text, placement factors) and the options of shaded contours
// (mode, outer regions, class colours, user colours).
#pragma once
#include <string>
#include <vector>

#include "core/state_part.h"

namespace kal {

enum ContourLabelMode : int { CONLAB_NONE = 0, CONLAB_FLOA, CONLAB_CONL };
enum ShadeMode : int { SHADE_CELL = 0, SHADE_POLY };
enum OuterFill : int { OUTER_BOTH = 0, OUTER_UPPE, OUTER_LOWE, OUTER_NONE };
enum ClassColour : int { CLASS_LOWE = 0, CLASS_MIDD, CLASS_UPPE };

struct ContourState {
    static constexpr int MAX_COLOURS = 256;
    static constexpr int MAX_LABEL = 20;

    int label_mode = CONLAB_NONE;    // labels CON
    int label_digits = 1;            // labdig CON
    int label_distance = 500;        // labdis CON, plot units (round(500 / units))
    int label_colour = -1;           // labclr CON, -1: the line's colour
    std::string label_text;          // conlab
    double gap_factor = 0.5;         // conmod xfac
    double curvature = 1.5;          // conmod xquot
    double text_gap = 0.5;           // congap, character heights
    int shade_mode = SHADE_CELL;     // shdmod CONT
    int outer = OUTER_BOTH;          // shdmod CELL
    int class_colour = CLASS_LOWE;   // shdmod COLO
    std::vector<int> colours;        // conclr: table indices

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// round(500 / unit factor), the default label distance.
int default_label_distance(const Context& ctx);

}  // namespace kal
