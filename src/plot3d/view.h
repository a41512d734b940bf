// The 3-D view: the box of absolute 3-D coordinates, the view and focus
// points, the viewing matrix with its central perspective, and the page
// placement of a graf3d system. The state part also holds the settings of
// the colour axis system graf3 (colour bar, bar axis length).
//
// Coordinates: user (the axis values), absolute 3-D (the box, centred at
// the origin, xl by yl by zl), eye (right, up and depth from the view
// point), plot (the page, y downwards, without the plot origin offset).
#pragma once
#include "core/state_part.h"
#include "output/line_layer.h"
#include "plot2d/axis_system.h"
#include "plot2d/coordinate_stage.h"

namespace kal {

struct Context;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

enum : int { POINT_DEFAULT = 0, POINT_ABS, POINT_USER, POINT_ANGL };
enum : int { CLIP3D_WORL = 0, CLIP3D_EYE };
enum : int { LABL3D_STAN = 0, LABL3D_HORI, LABL3D_PARA, LABL3D_OTHE };
enum : int { EXPZ_NONE = 0, EXPZ_FIRS, EXPZ_BOTH };

// The computed view of the open graf3d system.
struct ViewMatrix {
    // Rows: right, up, depth (scaled for the depth range), w = t * depth;
    // columns act on (X, Y, Z, 1) of absolute 3-D coordinates.
    double m[4][4] = {};
    Vec3 eye;              // the view point, absolute
    Vec3 right, up, ahead; // unit axes of the eye system
    double t = 0.25;       // tan of the half view angle
    double front = 1, back = -1;
    double cx = 0, cy = 0, s = 1;  // page placement
};

// grfini's plane as the line layer's projection hook: page points are cut
// to the page, carried onto the plane (the page's lower left corner to P1,
// lower right to P2, upper right to P3), clipped at the front plane and
// projected.
class PlaneProjection final : public LineProjection {
public:
    void project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) override;
    Context* ctx = nullptr;
    Vec3 p1, e1, e2;  // P1, P2 - P1, P3 - P2
};

struct View3dState {
    // Settings, kept from one system to the next.
    double xl = 2, yl = 2, zl = 2;         // axis3d
    int view_mode = POINT_DEFAULT;          // view3d
    double view[3] = {};
    int focus_mode = POINT_DEFAULT;         // vfoc3d; default the box centre
    double focus[3] = {};
    double up_angle = 0;                    // vup3d, radians
    double half_angle = 0.24497866312686414; // vang3d / 2, radians (tan = 0.25)
    double front = 1.0, back = -1.0;        // vclp3d; back <= 0: none
    int clip = CLIP3D_WORL;                 // clip3d
    int label_mode = LABL3D_STAN;           // labl3d
    int end_labels = EXPZ_NONE;             // expzlb
    bool corner_labels = false;             // flab3d
    int bar_length = 0;                     // ax3len nz; 0: the y axis length
    bool bar = true;                        // nobar clears it
    int bar_width = -1;                     // widbar; -1: round(85 / unit factor)
    int bar_shift_x = 0, bar_shift_y = 0;   // vkxbar, vkybar
    bool curve_symbols = false;             // shdmod CURV: RECT squares, SYMB symbols

    // The open system.
    ViewMatrix view_matrix;
    Vec3 pen;                               // strt3d / conn3d, absolute
    bool pen_set = false;
    // grfini: the 3-D system kept while 2-D routines draw into a plane.
    bool plane = false;
    AxisScale saved_x, saved_y, saved_z;
    const AxisMapping* saved_mapping = nullptr;
    PlaneProjection plane_map;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

extern const AxisMapping VIEW3D_MAPPING;

// Whether a graf3d or a graf3 system is open (level 3).
bool graf3d_open(const Context& ctx);
bool graf3_open(const Context& ctx);
// The check of the 3-D drawing routines: a graf3d system, else warning 35.
bool need_graf3d(Context& ctx);
bool need_graf3(Context& ctx);

// One axis value to its box coordinate (-l/2 .. l/2); log axes take log10.
double axis_to_box(const AxisScale& s, double l, double v);
// User to absolute 3-D coordinates.
Vec3 user_to_abs(const Context& ctx, double x, double y, double z);
// Whether a value can be placed on the axis (finite; positive on a log axis).
bool on_axis(const AxisScale& s, double v);

// Computes the view of the settings for the axis scales in ctx.axes; false
// after warning 33 (it still computes a view, from the default view point).
void compute_view(Context& ctx);

// Eye coordinates of an absolute point: right, up, depth.
Vec3 to_eye(const ViewMatrix& v, const Vec3& p);
// Page position of eye coordinates (depth > 0).
PlotPoint eye_to_plot(const ViewMatrix& v, const Vec3& e);
// Absolute point to plot coordinates; points at or behind the eye are put
// at the front plane's depth, so every result is finite.
PlotPoint abs_to_plot(const ViewMatrix& v, const Vec3& p);

}  // namespace kal
