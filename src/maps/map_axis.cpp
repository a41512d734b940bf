// Map settings, grafmp and the map mapping of the coordinate stage, the
// conversions pos2pt and trfrel.
#include <algorithm>
#include <cmath>
#include <vector>

#include "api/routines_axis_systems.h"
#include "api/routines_maps.h"
#include "core/context.h"
#include "maps/map_lines.h"
#include "output/line_layer.h"
#include "plot2d/axis_draw.h"
#include "plot2d/coordinate_stage.h"
#include "plot2d/label_drawing.h"
#include "text/text_state.h"

namespace kal {
namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180;
constexpr double TOL = 0.1;

PlotPoint map_plot(const Context& ctx, double lon, double lat, double) {
    double px, py;
    map_to_plot(ctx, lon, lat, px, py);
    return {px, py};
}

bool map_user(const Context& ctx, double px, double py, double& lon, double& lat) {
    const MapState& m = ctx.map;
    if (m.proj.code == PROJ_CYLI) {
        lon = x_user(ctx, px);
        lat = y_user(ctx, py);
        return true;
    }
    if (m.proj.code == PROJ_MYPR || !(m.scale > 0)) {
        lon = lat = NAN;
        return false;
    }
    const double x = (px - m.ox) / m.scale, y = (m.oy - py) / m.scale;
    if (!unproject(m.proj, x, y, lon, lat)) return false;
    if (m.disc && pole_distance(m.proj, lon, lat) > m.sphere + 1e-9) {
        lon = lat = NAN;
        return false;
    }
    return true;
}

bool map_linear(const Context& ctx, LinearMap& map) {
    if (ctx.map.proj.code != PROJ_CYLI) return false;
    const AxisScale &sx = ctx.axes.x, &sy = ctx.axes.y;
    map = {sx.start, sx.a, sx.factor, sy.start, sy.a, -sy.factor};
    return true;
}

bool in(double v, double lo, double hi) { return v >= lo - TOL && v <= hi + TOL; }

// The range checks of grafmp by family.
bool range_ok(int code, double xa, double xe, double ya, double ye) {
    switch (map_family(code)) {
        case FAMILY_LINEAR: return in(xa, -540, 540) && in(xe, -540, 540) && in(ya, -180, 180) && in(ye, -180, 180);
        case FAMILY_CYLINDRICAL: {
            const double lat = code == PROJ_MERC ? 85 : 90;
            return in(xa, -540, 540) && in(xe, -540, 540) && in(ya, -lat, lat) && in(ye, -lat, lat);
        }
        case FAMILY_PSEUDO:
        case FAMILY_USER: return in(xa, -180, 180) && in(xe, -180, 180) && in(ya, -90, 90) && in(ye, -90, 90);
        case FAMILY_CONIC:
            return in(xa, -180, 180) && in(xe, -180, 180) && in(ya, -90, 90) && in(ye, -90, 90) &&
                   !(ya < -TOL && ye > TOL);
        default:
            if (ye - ya > 90) return true;
            return in(ya, -180, 180) && in(ye, -180, 180) && in((ya + ye) / 2, -90, 90) && in(xa, -180, 180) &&
                   in(xe, -180, 180) && xe - xa <= 180 + TOL;
    }
}

// The projected extremes of the range's outline, in 1-degree steps.
void extremes(const Projection& p, double xa, double xe, double ya, double ye, double& x0, double& x1, double& y0,
              double& y1) {
    x0 = y0 = 1e300;
    x1 = y1 = -1e300;
    auto take = [&](double lon, double lat) {
        double x, y;
        if (!project(p, lon, lat, x, y)) return;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    };
    const int nx = std::max(1, int(std::ceil(xe - xa))), ny = std::max(1, int(std::ceil(ye - ya)));
    for (int i = 0; i <= nx; ++i) {
        take(xa + (xe - xa) * i / nx, ya);
        take(xa + (xe - xa) * i / nx, ye);
    }
    for (int j = 0; j <= ny; ++j) {
        take(xa, ya + (ye - ya) * j / ny);
        take(xe, ya + (ye - ya) * j / ny);
    }
}

// The outline of a pseudo-cylindrical map, the rim of a disc, else the
// axis rectangle.
void draw_outline(Context& ctx) {
    MapState& m = ctx.map;
    const double ox = ctx.page.origin_x, oy = ctx.page.origin_y;
    if (m.disc) {
        const MapState& l = m;
        for (int i = 0; i <= 720; ++i) {
            const double a = i * PI / 360;
            const double x = l.clip_cx + l.clip_r * std::cos(a), y = l.clip_cy + l.clip_r * std::sin(a);
            if (i == 0)
                line_move(ctx, x, y);
            else
                line_draw(ctx, x, y);
        }
        line_flush(ctx);
        return;
    }
    if (map_family(m.proj.code) == FAMILY_PSEUDO) {
        MapLines lines(ctx, true);
        const double c = m.proj.centre;
        const double lon[5] = {c - 180, c + 180, c + 180, c - 180, c - 180};
        const double lat[5] = {m.ya, m.ya, m.ye, m.ye, m.ya};
        lines.polyline(5, lon, lat);
        return;
    }
    plot_line(ctx, m.left, m.top, m.right, m.top);
    plot_line(ctx, m.right, m.top, m.right, m.bottom);
    plot_line(ctx, m.right, m.bottom, m.left, m.bottom);
    plot_line(ctx, m.left, m.bottom, m.left, m.top);
    (void)ox;
    (void)oy;
}

// Where the line of constant `value` (a meridian when `meridian`, else a
// parallel) crosses the edge py = edge (lower side) or px = edge (left
// side); false when it does not.
bool edge_crossing(const Context& ctx, bool meridian, double value, bool lower, double edge, double& at) {
    const MapState& m = ctx.map;
    double lo = meridian ? -90 : m.proj.centre - 180, hi = meridian ? 90 : m.proj.centre + 180;
    if (map_family(m.proj.code) == FAMILY_CYLINDRICAL) {
        lo = meridian ? m.ya : m.xa;
        hi = meridian ? m.ye : m.xe;
    }
    const int steps = 720;
    double prev_d = 0, prev_a = 0;
    for (int i = 0; i <= steps; ++i) {
        const double t = lo + (hi - lo) * i / steps;
        double px, py;
        if (!map_to_plot(ctx, meridian ? value : t, meridian ? t : value, px, py)) continue;
        const double d = (lower ? py : px) - edge, a = lower ? px : py;
        if (i > 0 && (d == 0 || (d > 0) != (prev_d > 0))) {
            at = prev_a + (a - prev_a) * (prev_d / (prev_d - d));
            return lower ? at >= m.left - 0.5 && at <= m.right + 0.5 : at >= m.top - 0.5 && at <= m.bottom + 0.5;
        }
        prev_d = d;
        prev_a = a;
    }
    return false;
}

// Degree labels with ticks where the meridians of the X labels meet the
// lower side and the parallels of the Y labels the left side.
void degree_axes(Context& ctx, double xor_, double xstp, double yor, double ystp) {
    MapState& m = ctx.map;
    if (ctx.axes.side_level[0] < SIDE_TICK && ctx.axes.side_level[1] < SIDE_TICK) return;
    TextScope scope(ctx);
    const double tick = ctx.axes.major_len, h = ctx.text.height;
    const double dist = ctx.labels.axis[AXIS_X].distance;
    for (int side = 0; side < 2; ++side) {
        const bool lower = side == 0;
        if (ctx.axes.side_level[side] < SIDE_TICK) continue;
        const double first = lower ? xor_ : yor, step = std::fabs(lower ? xstp : ystp);
        const double a = lower ? m.xa : m.ya, e = lower ? m.xe : m.ye;
        if (!(step > 0) || (e - a) / step > 1000) continue;
        const double start = first - std::floor((first - a) / step + 1e-9) * step;
        for (int i = 0; i <= 1000; ++i) {
            const double v = start + i * step;
            if (v > e + 1e-9 * step) break;
            double at;
            if (!edge_crossing(ctx, lower, v, lower, lower ? m.bottom : m.left, at)) continue;
            if (lower)
                plot_line(ctx, at, m.bottom, at, m.bottom - tick);
            else
                plot_line(ctx, m.left, at, m.left + tick, at);
            if (ctx.axes.side_level[side] < SIDE_LABE) continue;
            const LabelText label = angle_label(ctx, v);
            const double len = label_length(ctx, label);
            if (lower)
                draw_label(ctx, label, at - len / 2, m.bottom + dist);
            else
                draw_label(ctx, label, m.left - dist - len, at - (h - 1) / 2);
        }
    }
}

}  // namespace

namespace {
// curve on a map: its lines in degrees through the map's hook.
void map_polyline(Context& ctx, const float* x, const float* y, int n) {
    std::vector<double> lon(x, x + n), lat(y, y + n);
    MapLines lines(ctx, ctx.map.interpolate);
    lines.polyline(n, lon.data(), lat.data());
}
}  // namespace

void map_area(Context& ctx, int n, const double* x, const double* y) {
    MapLines lines(ctx, false);
    lines.area(n, x, y);
}

const AxisMapping MAP_MAPPING = {MAPPING_MAP, false, map_plot, map_user, map_linear, map_polyline, map_area};

// ---- settings ----

void projct(Context& ctx, const char* keyword_text) {
    const int i = keyword(ctx, PROJECTION_KEYS, keyword_text);
    if (i) ctx.map.code = PROJECTION_CODES[i - 1];
}

void mappol(Context& ctx, float lon, float lat) {
    if (!in(lon, -180, 180) || !in(lat, -90, 90)) {
        warn(ctx, 2);
        return;
    }
    ctx.map.pole_lon = std::max(-180.0f, std::min(180.0f, lon));
    ctx.map.pole_lat = std::max(-90.0f, std::min(90.0f, lat));
}

void mapref(Context& ctx, float lat1, float lat2) {
    if (!in(lat1, -90, 90) || !in(lat2, -90, 90) || (lat1 < -TOL && lat2 > TOL)) {
        warn(ctx, 2);
        return;
    }
    ctx.map.ref_given = true;
    ctx.map.ref1 = lat1;
    ctx.map.ref2 = lat2;
}

void mapsph(Context& ctx, float angle) {
    if (!(angle > 0 && angle <= 90)) {
        warn(ctx, 2);
        return;
    }
    ctx.map.sphere = angle * DEG;
}

void mapbas(Context& ctx, const char* base) {
    const int i = keyword(ctx, "KALV+GSHL+GSHI+GSHH+GSHF+MAPF", base);
    if (i) ctx.map.base = i - 1;
}

void mapfil(Context& ctx, const char* file, const char* format) {
    const int i = keyword(ctx, "GSHH+MAPG", format);
    if (!i) return;
    if (std::string(file).size() > 256) {
        warn_text(ctx, 2, "file name too long");
        return;
    }
    ctx.map.file = file;
    ctx.map.file_given = true;
    ctx.map.file_mapg = i == 2;
}

void maplev(Context& ctx, const char* level) {
    const int i = keyword(ctx, "ALL +LAND+LAKE+BOTH", level);
    if (i) ctx.map.level = i == 4 ? LEVEL_ALL : i - 1;
}

void mapmod(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "STRA+INTE", mode);
    if (i) ctx.map.interpolate = i == 2;
}

void mplang(Context& ctx, float angle) {
    if (!std::isfinite(angle)) {
        warn(ctx, 2);
        return;
    }
    ctx.map.label_angle = angle;
}

void mplclr(Context& ctx, int text, int background) {
    ctx.map.label_colour = text;
    ctx.map.label_background = background;
}

void mplpos(Context& ctx, int dx, int dy) {
    ctx.map.label_dx = dx;
    ctx.map.label_dy = dy;
}

void mplsiz(Context& ctx, int height) {
    if (height < 0) {
        warn_int(ctx, 2, height);
        return;
    }
    ctx.map.label_height = height;
}



// ---- the axis system ----

void grafmp(Context& ctx, float xa, float xe, float xor_, float xstp, float ya, float ye, float yor, float ystp) {
    MapState& m = ctx.map;
    const int code = m.code;
    const float v[8] = {xa, xe, xor_, xstp, ya, ye, yor, ystp};
    for (float f : v)
        if (!std::isfinite(f)) {
            warn_text(ctx, 2, "value not finite");
            return;
        }
    if (!(xe > xa) || !(ye > ya) || !range_ok(code, xa, xe, ya, ye) || (code == PROJ_MYPR && !m.function)) {
        warn(ctx, 2);
        return;
    }
    // The axis record and clipping of an ordinary system, drawn by us.
    AxisState& s = ctx.axes;
    const bool no_draw = s.no_draw;
    const bool xlog = s.axis[AXIS_X].log, ylog = s.axis[AXIS_Y].log, xauto = s.axis[AXIS_X].auto_scale,
               yauto = s.axis[AXIS_Y].auto_scale;
    s.axis[AXIS_X].log = s.axis[AXIS_Y].log = false;
    s.axis[AXIS_X].auto_scale = s.axis[AXIS_Y].auto_scale = false;
    const int xtype = ctx.labels.axis[AXIS_X].type, ytype = ctx.labels.axis[AXIS_Y].type;
    const bool degrees = code == PROJ_CYLI;  // graf's own axes fit the linear map only
    if (degrees) {
        if (xtype == LABEL_FLOA) ctx.labels.axis[AXIS_X].type = LABEL_MAP;
        if (ytype == LABEL_FLOA) ctx.labels.axis[AXIS_Y].type = LABEL_MAP;
    } else {
        s.no_draw = true;
    }
    graf(ctx, xa, xe, xor_, xstp, ya, ye, yor, ystp);
    s.no_draw = no_draw;
    s.axis[AXIS_X].log = xlog;
    s.axis[AXIS_Y].log = ylog;
    s.axis[AXIS_X].auto_scale = xauto;
    s.axis[AXIS_Y].auto_scale = yauto;
    ctx.labels.axis[AXIS_X].type = xtype;
    ctx.labels.axis[AXIS_Y].type = ytype;
    if (ctx.frame.level != 2) return;
    s.mapping = &MAP_MAPPING;
    s.x.umin = -1e300;  // any point may lie on the map
    s.x.umax = 1e300;
    s.y.umin = -1e300;
    s.y.umax = 1e300;

    m.open = true;
    m.xa = xa;
    m.xe = xe;
    m.ya = ya;
    m.ye = ye;
    axis_rectangle(ctx, m.left, m.top, m.right, m.bottom);
    Projection p;
    p.code = code;
    p.centre = (xa + xe) / 2.0;
    const MapFamily fam = map_family(code);
    m.disc = fam == FAMILY_AZIMUTHAL && ye - ya > 90;
    if (fam == FAMILY_CONIC) {
        p.southern = (ya + ye) / 2 < 0;
        const double r1 = m.ref_given ? m.ref1 : ya + (ye - ya) / 4, r2 = m.ref_given ? m.ref2 : ya + 3 * (ye - ya) / 4;
        set_cone(p, r1, r2, (ya + ye) / 2);
    }
    if (fam == FAMILY_AZIMUTHAL) {
        if (m.disc) {
            set_pole(p, m.pole_lon, m.pole_lat);
            p.centre = m.pole_lon;
        } else {
            set_pole(p, p.centre, (ya + ye) / 2);
        }
    }
    if (code == PROJ_OBLI) set_pole(p, m.pole_lon, m.pole_lat);
    m.proj = p;
    const double w = m.right - m.left, h = m.bottom - m.top;
    const double cx = (m.left + m.right) / 2, cy = (m.top + m.bottom) / 2;
    if (m.disc) {
        const double mm = std::min(w, h), e = m.sphere;
        switch (code) {
            case PROJ_GNOM: m.scale = mm / (2 * std::tan(std::min(e, 85 * DEG))); break;
            case PROJ_ORTH: m.scale = mm / (2 * std::sin(e)); break;
            case PROJ_STER: m.scale = mm / (4 * std::tan(e / 2)); break;
            case PROJ_AZIM: m.scale = mm / (2 * e); break;
            default: m.scale = mm / (4 * std::sin(e / 2)); break;
        }
        m.ox = cx;
        m.oy = cy;
    } else if (fam != FAMILY_LINEAR && fam != FAMILY_USER) {
        double x0, x1, y0, y1;
        extremes(p, xa, xe, ya, ye, x0, x1, y0, y1);
        m.scale = y1 > y0 ? h / (y1 - y0) : 1;
        m.ox = cx - (x0 + x1) / 2 * m.scale;
        m.oy = m.bottom + y0 * m.scale;
    }
    // Map lines stay in the axis area (on disc maps in its circle) whatever
    // clpbor says.
    m.clip[0] = clamp_int(m.left + ctx.page.origin_x);
    m.clip[1] = clamp_int(m.top + ctx.page.origin_y);
    m.clip[2] = clamp_int(m.right + ctx.page.origin_x);
    m.clip[3] = clamp_int(m.bottom + ctx.page.origin_y);
    m.clip_cx = cx + ctx.page.origin_x;
    m.clip_cy = cy + ctx.page.origin_y;
    m.clip_r = std::min(w, h) / 2;
    if (s.no_draw || degrees) return;
    draw_outline(ctx);
    if (!m.disc && fam != FAMILY_PSEUDO && fam != FAMILY_USER) degree_axes(ctx, xor_, xstp, yor, ystp);
}



// ---- conversions ----

void pos2pt(Context& ctx, float x, float y, float* xp, float* yp) {
    *xp = *yp = 0;
    if (!std::isfinite(x) || !std::isfinite(y)) {
        warn_text(ctx, 2, "value not finite");
        return;
    }
    const PlotPoint q = user_to_plot(ctx, x, y);
    *xp = float(q.x);
    *yp = float(q.y);
}

void trfrel(Context& ctx, float* x, float* y, int n) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            x[i] = y[i] = NAN;
            continue;
        }
        const PlotPoint q = user_to_plot(ctx, x[i], y[i]);
        x[i] = float(q.x);
        y[i] = float(q.y);
    }
}

// ---- state ----

namespace {
template <auto Member>
void restore_member(Context& ctx) {
    const MapState fresh;
    ctx.map.*Member = fresh.*Member;
}
void reset_pole(Context& ctx) {
    const MapState fresh;
    ctx.map.pole_lon = fresh.pole_lon;
    ctx.map.pole_lat = fresh.pole_lat;
}
void reset_ref(Context& ctx) {
    ctx.map.ref_given = false;
    ctx.map.ref1 = ctx.map.ref2 = 0;
}
void reset_colours(Context& ctx) {
    ctx.map.label_colour = -1;
    ctx.map.label_background = -1;
}
const ResetKey MAP_KEYS[] = {{"MAPM", restore_member<&MapState::interpolate>},
                             {"MAPP", reset_pole},
                             {"MAPR", reset_ref},
                             {"MAPS", restore_member<&MapState::sphere>},
                             {"MPLA", restore_member<&MapState::label_angle>},
                             {"MPLC", reset_colours},
                             {"MPLS", restore_member<&MapState::label_height>},
                             {"PROJ", restore_member<&MapState::code>}};
}  // namespace

const ResetKeys MapState::reset_keys = MAP_KEYS;

void MapState::reset(Context& ctx) {
    const MapFunction f = ctx.map.function;  // registrations outlive kalini
    ctx.map = MapState();
    ctx.map.function = f;
}

}  // namespace kal

namespace kal {
namespace {

// An axis along a parallel (X: longitudes a..e at latitude `along`) or a
// meridian (Y: latitudes at longitude `along`), with ticks and degree labels
// on the side `side` gives (1: below or left, else above or right).
void map_axis(Context& ctx, bool x_axis, float a, float e, float first, float step, const char* name, int side,
              int along) {
    if (active_mapping(ctx).kind != MAPPING_MAP) {
        custom_warning(ctx, 101, "No map axis system");
        return;
    }
    if (!std::isfinite(a) || !std::isfinite(e) || !std::isfinite(first) || !std::isfinite(step) || !(e > a) ||
        step == 0 || (e - a) / std::fabs(step) > 1000) {
        warn(ctx, 2);
        return;
    }
    const int n = std::max(2, int(std::ceil(e - a)) + 1);
    std::vector<double> lon(static_cast<size_t>(n)), lat(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = a + (e - a) * i / (n - 1);
        lon[size_t(i)] = x_axis ? t : along;
        lat[size_t(i)] = x_axis ? along : t;
    }
    {
        MapLines lines(ctx, false);
        lines.polyline(n, lon.data(), lat.data());
    }
    TextScope scope(ctx);
    const double tick = ctx.axes.major_len, h = ctx.text.height, dist = ctx.labels.axis[AXIS_X].distance;
    const double dir = side == 1 ? 1 : -1;  // page direction of ticks and labels (y down, x left)
    const double s = std::fabs(step);
    const double start = first - std::floor((first - a) / s + 1e-9) * s;
    double extreme = 0;
    for (int i = 0; i <= 1000; ++i) {
        const double v = start + i * s;
        if (v > e + 1e-9 * s) break;
        double px, py;
        if (!map_to_plot(ctx, x_axis ? v : along, x_axis ? along : v, px, py)) continue;
        const LabelText label = angle_label(ctx, v);
        const double len = label_length(ctx, label);
        if (x_axis) {
            plot_line(ctx, px, py, px, py - dir * tick);
            const double y = side == 1 ? py + dist : py - dist - (h - 1);
            draw_label(ctx, label, px - len / 2, y);
            extreme = side == 1 ? std::max(extreme, y + h) : std::min(extreme == 0 ? y : extreme, y);
        } else {
            plot_line(ctx, px, py, px + dir * tick, py);
            draw_label(ctx, label, side == 1 ? px - dist - len : px + dist, py - (h - 1) / 2);
        }
    }
    if (x_axis && name && *name && extreme != 0) {
        LabelText t;
        t.text = name;
        const double len = label_length(ctx, t);
        double px, py;
        map_to_plot(ctx, (a + e) / 2, along, px, py);
        draw_label(ctx, t, px - len / 2, side == 1 ? extreme + dist : extreme - dist - h);
    }
}

}  // namespace

void xaxmap(Context& ctx, float a, float e, float first, float step, const char* name, int side, int lat) {
    map_axis(ctx, true, a, e, first, step, name, side, lat);
}

void yaxmap(Context& ctx, float a, float e, float first, float step, const char* name, int side, int lon) {
    map_axis(ctx, false, a, e, first, step, name, side, lon);
}

}  // namespace kal
