// The one path of 3-D lines: segments in absolute 3-D coordinates are
// clipped in 3-D (before any division by depth), then projected and handed
// to the line layer, which clips them to the window, dashes and widens
// them like any line.
//
// Clipping: data lines follow clip3d (WORL: the box faces and the front
// plane; EYE: the front plane and the back plane when there is one); the
// lines of the axis system itself (box edges, ticks, grids) only at the
// front plane, so that ticks outside the box stay.
#pragma once
#include <vector>

#include "plot3d/view.h"

namespace kal {

struct Context;

enum Clip3d : int { CLIP3D_FRONT_ONLY = 0, CLIP3D_SETTING };

// The planes a line is clipped at: inside where n . p + c >= 0.
struct ClipPlanes {
    struct Plane {
        Vec3 n;
        double c;
    };
    Plane plane[8];
    int count = 0;
};
ClipPlanes clip_planes(const Context& ctx, Clip3d mode);

// Clips the segment a-b in place; false when nothing of it remains.
bool clip_segment3d(const ClipPlanes& planes, Vec3& a, Vec3& b);
// Clips a closed polygon in place (it may become empty).
void clip_polygon3d(const ClipPlanes& planes, std::vector<Vec3>& poly);

// A polyline in absolute 3-D coordinates: move and draw as on the page.
class Path3d {
public:
    Path3d(Context& ctx, Clip3d mode);
    void move(const Vec3& p);
    void draw(const Vec3& p);
    // Ends the line in the line layer (flush).
    void finish();
    // The current point and whether there is one.
    bool started() const { return started_; }
    const Vec3& last() const { return last_; }

private:
    // The connected stretch drawn so far, in page coordinates; it goes to
    // the line layer as one polyline.
    void end_run();
    Context& ctx_;
    ClipPlanes planes_;
    std::vector<double> run_x_, run_y_;
    Vec3 last_;
    bool started_ = false;
    bool joined_ = false;  // the line layer's pen is at last_
};

// One segment through the path (flushed).
void segment3d(Context& ctx, const Vec3& a, const Vec3& b, Clip3d mode);

}  // namespace kal
