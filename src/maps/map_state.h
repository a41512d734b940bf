// Map axis systems: the settings of the map routines and what grafmp
// derives from them (projection constants, scale and placement).
#pragma once
#include <string>

#include "core/state_part.h"
#include "maps/projection.h"

namespace kal {

struct Context;

// A user projection (mapfcn): (lon, lat) to plot offsets from the lower
// left corner of the axis area, y up.
using MapFunction = void (*)(float lon, float lat, float* x, float* y);

enum : int { BASE_KALV = 0, BASE_GSHL, BASE_GSHI, BASE_GSHH, BASE_GSHF, BASE_MAPF };
enum : int { LEVEL_ALL = 0, LEVEL_LAND, LEVEL_LAKE };

struct MapState {
    // Settings.
    int code = PROJ_CYLI;             // projct
    double pole_lon = 0, pole_lat = 0; // mappol
    bool ref_given = false;           // mapref
    double ref1 = 0, ref2 = 0;
    double sphere = 1.5707963267948966; // mapsph, radians
    int base = BASE_KALV;             // mapbas
    std::string file;                 // mapfil
    bool file_given = false;
    bool file_mapg = false;
    int level = LEVEL_ALL;            // maplev
    bool interpolate = false;         // mapmod INTE
    double label_angle = 0;           // mplang
    int label_colour = -1, label_background = -1;  // mplclr, -1: current / none
    int label_dx = 0, label_dy = 0;   // mplpos
    int label_height = 0;             // mplsiz, 0: the current height
    MapFunction function = nullptr;   // mapfcn

    // The open map system.
    bool open = false;
    Projection proj;
    bool disc = false;                // azimuthal map drawn as a disc
    double scale = 1, ox = 0, oy = 0; // plot = (ox + x scale, oy - y scale)
    double xa = 0, xe = 1, ya = 0, ye = 1;
    double left = 0, top = 0, right = 1, bottom = 1;  // axis area, plot coordinates
    int clip[4] = {0, 0, 1, 1};       // window of map lines (origin offset added)
    double clip_cx = 0, clip_cy = 0, clip_r = 1;  // their circle on disc maps

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

}  // namespace kal
