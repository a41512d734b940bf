// The line layer: every line passes through here on its way to move/draw.
// It keeps the pending polyline (100 points), applies the projection hook
// and the affine page transformation, cuts dashes, offsets thick-curve
// copies, clips to the window (rectangle or circle) and draws widths the
// device cannot draw.
#pragma once
#include "core/state_part.h"

namespace kal {

struct Context;

// Receives what a projection makes of a polyline or an area.
class ProjectedPieces {
public:
    virtual void piece(int n, const double* x, const double* y) = 0;

protected:
    ~ProjectedPieces() = default;
};

// The projection hook (a 3-D view, a map projection): it runs on each
// flushed polyline and each filled area before the page transformation and
// the clipping, which work on what it hands on. A projection that cuts
// lines at a seam or horizon hands several pieces, one that hides
// everything none. Points are plot coordinates with the plot origin offset
// added; `closed` says they outline an area (a fill) rather than a line.
class LineProjection {
public:
    virtual ~LineProjection() = default;
    virtual void project(int n, const double* x, const double* y, bool closed, ProjectedPieces& out) = 0;
};

struct LineState {
    static constexpr int CAPACITY = 100;
    static constexpr int MAX_DASH = 10;
    double px[CAPACITY] = {}, py[CAPACITY] = {};
    int count = 0;                 // points in the pending polyline
    double last_x = 0, last_y = 0; // last point written (a later draw goes on from it)
    bool flushing = false;         // set while the polyline is being written

    // Dash pattern: element lengths in plot units; none means solid.
    double dash[MAX_DASH] = {};
    int dash_count = 0;
    int dash_index = 0;
    bool dash_pen_down = true;
    double dash_left = 0;
    // Current point of the dashed/offset path (before the page transform).
    double cur_x = 0, cur_y = 0;
    double offset = 0;             // perpendicular offset of thick-curve copies
    bool offset_move_pending = false;

    // Affine page transformation x' = a x + b y + c, y' = d x + e y + g.
    bool transform = false;
    double a = 1, b = 0, c = 0, d = 0, e = 1, g = 0;
    // The projection hook, owned by the part that sets it; none: no
    // projection. With one, the pending polyline keeps the points as they
    // came and the flush projects and transforms them.
    LineProjection* projection = nullptr;

    // Line attributes: width > 0 drawn here as strokes, < 0 by the device.
    int width = 1;
    int style = 0;                 // lintyp number; -1: a myline pattern
    int join = 0;                  // SHAR ROUN TRUN
    int cap = 0;                   // CUT ROUN LONG
    double miter = 10.0;

    bool outline = true;           // closed figures get their outline drawn

    // Circular clipping.
    bool circle_clip = false;
    double clip_cx = 0, clip_cy = 0, clip_r = 0;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// The dash pattern with its phase, kept while a figure draws in a line style
// of its own (flush the pending line before and after) and put back.
struct DashPhase {
    double dash[LineState::MAX_DASH] = {};
    int count = 0, index = 0;
    bool pen_down = true;
    double left = 0;
};
DashPhase save_dash(const LineState& l);
void restore_dash(LineState& l, const DashPhase& p);

// Plot coordinates with the plot origin offset already added.
void line_move(Context& ctx, double x, double y);
void line_draw(Context& ctx, double x, double y);
// Whether lines reach the page through a page transformation or a
// projection (points do not land where they are given).
inline bool lines_transformed(const LineState& l) { return l.transform || l.projection; }
// Whether lines go straight from their points to the device: solid, thin,
// untransformed, not offset, clipped by a rectangle, no shields.
bool plain_lines(const Context& ctx);

// Points given in page coordinates already: while it lives, the pending
// line is flushed and lines skip the page transformation and projection.
class PagePlane {
public:
    explicit PagePlane(Context& ctx);
    ~PagePlane();
    PagePlane(const PagePlane&) = delete;
    PagePlane& operator=(const PagePlane&) = delete;

private:
    Context& ctx_;
    bool transform_;
    LineProjection* projection_;
};

// The points of an area (relative to the plot origin) as they land on the
// page: plot origin offset, projection, page transformation. `out` receives
// each resulting polygon (one unless a projection cuts the area), relative
// to the plot origin again. Throws std::bad_alloc.
void page_area(Context& ctx, int n, const double* x, const double* y, ProjectedPieces& out);
// The polyline through n plot points (origin offset added): the same as
// line_move to the first, line_draw to the others and line_flush, but
// plain lines inside the window go to the device in runs.
void line_polyline(Context& ctx, int n, const double* x, const double* y);
// Writes the pending polyline (clipped, styled) and empties it.
void line_flush(Context& ctx);
// Clips one segment, cuts it against the shield regions and writes its
// visible parts with move/draw, joined to the previous segment when it
// starts where the pen is.
void emit_segment(Context& ctx, double x1, double y1, double x2, double y2);
// Sets the dash pattern (lengths in plot units; n = 0: solid) and restarts
// its phase.
void set_dash_pattern(Context& ctx, const double* lengths, int n);
void reset_lines(Context& ctx);
// The clipping window back to the whole page, rectangular.
void reset_clipping(Context& ctx);

}  // namespace kal
