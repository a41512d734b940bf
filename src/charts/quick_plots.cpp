// Quick plots: a complete plot with one call. At level 0 they choose the
// screen when no output was chosen, initialise and finish; at levels 1 to 3
// they end an open axis system and draw on the current page. Every setting
// they change for the plot is put back afterwards.
#include <algorithm>
#include <cmath>
#include <vector>

#include "api/routines_axis_systems.h"
#include "api/routines_bar_graphs_and_pie_charts.h"
#include "api/routines_3_d_axis_systems.h"
#include "api/routines_colour_tables_and_colour_selection.h"
#include "api/routines_contouring.h"
#include "api/routines_curves_error_bars_and_splines.h"
#include "api/routines_level_0_settings_of_the_life_cycle.h"
#include "api/routines_life_cycle.h"
#include "api/routines_surfaces_meshes.h"
#include "api/routines_text_and_fonts.h"
#include "charts/charts.h"
#include "contour/contour_state.h"
#include "core/context.h"

namespace kal {
namespace {

constexpr int QPLBAR_MAX = 100;

// Opens the plot for a quick plot; true when it must also finish it.
bool begin_quick(Context& ctx) {
    bool started = false;
    if (ctx.frame.level == 0) {
        if (!ctx.page.metafl_called) metafl(ctx, "CONS");
        kalini(ctx);
        if (ctx.frame.level == 0) return false;
        started = true;
    } else if (ctx.frame.level >= 2) {
        endgrf(ctx);
    }
    pagera(ctx);
    hwfont(ctx);
    return started;
}

void end_quick(Context& ctx, bool started) {
    if (ctx.frame.level >= 2) endgrf(ctx);
    if (started) kalfin(ctx);
}

// graf with both axes scaled from the data; the setscl settings stay as
// they were.
void scaled_graf(Context& ctx, const float* x, const float* y, int n) {
    const AxisSettings sx = ctx.axes.axis[AXIS_X], sy = ctx.axes.axis[AXIS_Y];
    setscl(ctx, x, n, "X");
    setscl(ctx, y, n, "Y");
    graf(ctx, 0, 1, 0, 1, 0, 1, 0, 1);
    ctx.axes.axis[AXIS_X] = sx;
    ctx.axes.axis[AXIS_Y] = sy;
}

// A step of 1, 2 or 5 times a power of ten giving about five labels.
double nice_step(double range) {
    const double raw = range / 5;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / p;
    return (m < 1.5 ? 1 : m < 3.5 ? 2 : m < 7.5 ? 5 : 10) * p;
}

// The finite extremes of a matrix; false after warning 2 when it has none.
bool matrix_range(Context& ctx, const float* z, int n, int m, double& lo, double& hi) {
    if (n < 2 || m < 2) {
        warn_int(ctx, 2, std::min(n, m));
        return false;
    }
    lo = INFINITY;
    hi = -INFINITY;
    for (long i = 0; i < long(n) * m; ++i)
        if (std::isfinite(z[i])) {
            lo = std::min(lo, double(z[i]));
            hi = std::max(hi, double(z[i]));
        }
    if (lo > hi) {
        warn_text(ctx, 2, "data");
        return false;
    }
    return true;
}

// graf over the grid numbers 1..n and 1..m, neither axis scaled by setscl.
void grid_graf(Context& ctx, int n, int m) {
    const AxisSettings sx = ctx.axes.axis[AXIS_X], sy = ctx.axes.axis[AXIS_Y];
    ctx.axes.axis[AXIS_X].auto_scale = ctx.axes.axis[AXIS_Y].auto_scale = false;
    ctx.axes.axis[AXIS_X].log = ctx.axes.axis[AXIS_Y].log = false;
    const double xs = nice_step(n - 1), ys = nice_step(m - 1);
    graf(ctx, 1, float(n), 1, float(xs), 1, float(m), 1, float(ys));
    ctx.axes.axis[AXIS_X] = sx;
    ctx.axes.axis[AXIS_Y] = sy;
}

bool finite_data(Context& ctx, const float* v, int n) {
    for (int i = 0; i < n; ++i)
        if (std::isfinite(v[i])) return true;
    warn_text(ctx, 2, "data");
    return false;
}

}  // namespace

void qplot(Context& ctx, const float* x, const float* y, int n) {
    if (out_of_range(ctx, n, 1, -1) || !finite_data(ctx, x, n) || !finite_data(ctx, y, n)) return;
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    scaled_graf(ctx, x, y, n);
    if (ctx.frame.level == 2) curve(ctx, x, y, n);
    end_quick(ctx, started);
}

void qplsca(Context& ctx, const float* x, const float* y, int n) {
    if (out_of_range(ctx, n, 1, -1) || !finite_data(ctx, x, n) || !finite_data(ctx, y, n)) return;
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    scaled_graf(ctx, x, y, n);
    const int step = ctx.curves.marker_step, marker = ctx.curves.marker;
    ctx.curves.marker_step = -1;
    if (!valid_symbol(ctx, marker)) ctx.curves.marker = 0;
    if (ctx.frame.level == 2) curve(ctx, x, y, n);
    ctx.curves.marker_step = step;
    ctx.curves.marker = marker;
    end_quick(ctx, started);
}

// y scales over min(0, 1.5 min) .. max(0, 1.5 max), so that negative bars
// stay on the axis; all zeros give 0 .. 1.
void qplbar(Context& ctx, const float* y, int n) {
    if (out_of_range(ctx, n, 1, -1)) return;
    if (n > QPLBAR_MAX) {
        custom_warning(ctx, 101, "too many points in qplbar");
        n = QPLBAR_MAX;
    }
    std::vector<float> x(static_cast<size_t>(n)), base(static_cast<size_t>(n), 0.0f);
    double lo = 0, hi = 0;
    for (int i = 0; i < n; ++i) {
        x[i] = float(i + 1);
        if (!std::isfinite(y[i])) continue;
        lo = std::min(lo, 1.5 * y[i]);
        hi = std::max(hi, 1.5 * y[i]);
    }
    if (!(hi - lo > 0) || !std::isfinite(hi - lo)) lo = 0, hi = 1;
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    const double ystep = nice_step(hi - lo);
    const double xstep = std::max(1.0, std::ceil(n / 10.0));
    const AxisSettings sx = ctx.axes.axis[AXIS_X], sy = ctx.axes.axis[AXIS_Y];
    ctx.axes.axis[AXIS_X].auto_scale = ctx.axes.axis[AXIS_Y].auto_scale = false;
    ctx.axes.axis[AXIS_X].log = ctx.axes.axis[AXIS_Y].log = false;
    graf(ctx, 0, float(n + 1), 0, float(xstep), float(lo), float(hi), float(std::ceil(lo / ystep) * ystep),
         float(ystep));
    ctx.axes.axis[AXIS_X] = sx;
    ctx.axes.axis[AXIS_Y] = sy;
    if (ctx.frame.level == 2) {
        const ChartState charts = ctx.charts;
        const ChartLabels labels = ctx.labels.chart;
        const int pattern = ctx.colour.pattern_number;
        ctx.charts = ChartState{};
        ctx.labels.chart.bar_value = BARLAB_SECO;
        ctx.labels.chart.bar_position = 12;
        shdpat(ctx, 16);
        draw_bars(ctx, x.data(), base.data(), y, n);
        shdpat(ctx, pattern);
        ctx.charts = charts;
        ctx.labels.chart = labels;
    }
    end_quick(ctx, started);
}

// Filled in the curve colours first, then again unfilled with the data
// values outside.
void qplpie(Context& ctx, const float* x, int n) {
    if (out_of_range(ctx, n, 1, -1)) return;
    double total = 0;
    for (int i = 0; i < n; ++i) total += std::abs(double(x[i]));
    if (!std::isfinite(total)) return warn_text(ctx, 2, "x");
    if (!(total > 1.0e-35)) return warn(ctx, 29);
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    const ChartState charts = ctx.charts;
    const ChartLabels labels = ctx.labels.chart;
    const int pattern = ctx.colour.pattern_number;
    ctx.charts = ChartState{};
    std::fill(std::begin(ctx.charts.patterns), std::end(ctx.charts.patterns), 16);
    ctx.charts.pie_cycle = CYCLE_BOTH;
    ctx.labels.chart.pie_value = PIELAB_NONE;
    draw_pie(ctx, "", 0, x, n);
    ctx.charts.pie_cycle = CYCLE_NONE;
    ctx.labels.chart.pie_value = PIELAB_DATA;
    ctx.labels.chart.pie_position = PIEPOS_EXTE;
    shdpat(ctx, 0);
    draw_pie(ctx, "", 0, x, n);
    shdpat(ctx, pattern);
    ctx.charts = charts;
    ctx.labels.chart = labels;
    end_quick(ctx, started);
}

// Contour lines of a matrix at nlev levels evenly inside its range
// (zmin + k (zmax - zmin) / (nlev + 1)), with number labels.
void qplcon(Context& ctx, const float* z, int n, int m, int nlev) {
    if (nlev < 1) return custom_warning(ctx, 101, "bad number of levels in qplcon");
    double lo, hi;
    if (!matrix_range(ctx, z, n, m, lo, hi)) return;
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    grid_graf(ctx, n, m);
    if (ctx.frame.level == 2) {
        const int mode = ctx.contour.label_mode;
        ctx.contour.label_mode = CONLAB_FLOA;
        for (int k = 1; k <= nlev; ++k) conmat(ctx, z, n, m, float(lo + k * (hi - lo) / (nlev + 1)));
        ctx.contour.label_mode = mode;
    }
    end_quick(ctx, started);
}

// A matrix over its grid numbers and value range: the axis system (graf3 or
// graf3d, linear and not scaled automatically, the settings kept), then
// draw at level 3.
template <class System, class Draw>
void quick_matrix(Context& ctx, const float* z, int n, int m, System system, Draw draw) {
    double lo, hi;
    if (!matrix_range(ctx, z, n, m, lo, hi)) return;
    if (!(hi > lo)) lo -= 0.5, hi += 0.5;
    const bool started = begin_quick(ctx);
    if (ctx.frame.level == 0) return;
    const AxisSettings sx = ctx.axes.axis[AXIS_X], sy = ctx.axes.axis[AXIS_Y], sz = ctx.axes.axis[AXIS_Z];
    for (AxisSettings* a : {&ctx.axes.axis[AXIS_X], &ctx.axes.axis[AXIS_Y], &ctx.axes.axis[AXIS_Z]}) {
        a->auto_scale = false;
        a->log = false;
    }
    const double zs = nice_step(hi - lo);
    system(ctx, 1, float(n), 1, float(nice_step(n - 1)), 1, float(m), 1, float(nice_step(m - 1)), float(lo),
           float(hi), float(std::ceil(lo / zs) * zs), float(zs));
    ctx.axes.axis[AXIS_X] = sx;
    ctx.axes.axis[AXIS_Y] = sy;
    ctx.axes.axis[AXIS_Z] = sz;
    if (ctx.frame.level == 3) draw();
    end_quick(ctx, started);
}

// A colour plot of a matrix: one rectangle per value.
void qplclr(Context& ctx, const float* z, int n, int m) {
    quick_matrix(ctx, z, n, m, graf3, [&] { crvmat(ctx, z, n, m, 1, 1); });
}

// A mesh surface of a matrix with every line.
void qplsur(Context& ctx, const float* z, int n, int m) {
    quick_matrix(ctx, z, n, m, graf3d, [&] { surmat(ctx, z, n, m, 1, 1); });
}

}  // namespace kal
