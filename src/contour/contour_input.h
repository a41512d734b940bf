// What the contour routines share: the checks of their data and the sinks
// that receive traced lines (drawn through the line writer, or stored as
// point arrays).
#pragma once
#include "contour/grid_trace.h"
#include "contour/line_writer.h"
#include "plot2d/coordinate_stage.h"

namespace kal {

struct Context;

// n x-values and m y-values suit the axis system: finite (else warning 2)
// and positive on logarithmic axes (else warning 27).
bool coordinates_ok(Context& ctx, const float* x, long long n, const float* y, long long m);
// A grid of n by m points (n, m >= 1, else warning 2) whose coordinates
// suit the axis system, and finite levels.
bool grid_ok(Context& ctx, const float* x, int n, const float* y, int m, const float* levels, int nlev);
// A level or a set of levels: finite, else warning 2.
bool levels_ok(Context& ctx, const float* levels, int n);

// Traced points to plot coordinates (z = level for the mapping) into a
// line writer.
class PlotSink : public TraceSink {
public:
    PlotSink(Context& ctx, LineWriter& writer, double level);
    void begin_line() override { writer_.begin_line(); }
    void point(double x, double y) override;
    void end_line() override { writer_.end_line(); }

private:
    const Context& ctx_;
    LineWriter& writer_;
    double level_;
    LinearMap map_;
    bool linear_;
};

// Traced lines stored as point arrays: line k has npts[k] points. Lines
// beyond maxray go on into the last line, points beyond maxpts are dropped,
// each overflow warned once.
class ArraySink : public TraceSink {
public:
    ArraySink(Context& ctx, float* x, float* y, int maxpts, int* npts, int maxray);
    void begin_line() override;
    void point(double x, double y) override;
    int lines() const { return lines_; }

private:
    Context& ctx_;
    float *x_, *y_;
    int maxpts_, *npts_, maxray_;
    int points_ = 0, lines_ = 0;
    bool warned_lines_ = false, warned_points_ = false;
};

}  // namespace kal
