// The hidden-line settings of the surface routines and the horizon that
// shlsur keeps as a filter for later 3-D lines.
#pragma once
#include "plot3d/horizon.h"

namespace kal {

enum : int { SURVIS_BOTH = 0, SURVIS_TOP, SURVIS_BOTT };
enum : int { SUROPT_BOTH = 0, SUROPT_XISO, SUROPT_YISO };

struct SurfaceOptions {
    int top_colour = -1, bottom_colour = -1;  // surclr; -1: the current colour
    bool side_colours = false;                // surclr was called
    int visible = SURVIS_BOTH;                // survis
    int iso = SUROPT_BOTH;                    // suropt: XISO lines of constant x
    int mesh_colour = -1;                     // mshclr; -1: the current colour
    bool hide = true;                         // nohide clears it
    bool keep = false;                        // shlsur: meshes keep their horizon
    HorizonFilter kept;                       // the horizon kept, a filter while active
};

}  // namespace kal
