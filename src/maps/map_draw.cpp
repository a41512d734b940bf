// What map systems draw: coastlines (world), grid lines, curves in map
// coordinates and shaded continents and countries.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "api/routines_maps.h"
#include "core/context.h"
#include "core/install.h"
#include "maps/grid_labels.h"
#include "maps/map_data.h"
#include "maps/map_lines.h"
#include "output/colour_table.h"
#include "output/primitives.h"
#include "plot2d/coordinate_stage.h"
#include "plot2d/curves.h"
#include "plot2d/label_drawing.h"
#include "text/text_state.h"

namespace kal {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool map_open(Context& ctx) {
    if (active_mapping(ctx).kind == MAPPING_MAP) return true;
    custom_warning(ctx, 101, "No map axis system");
    return false;
}

std::string map_path(const std::string& name) { return installation_dir() + "/map/" + name; }

File open_file(Context& ctx, const std::string& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) warn_text(ctx, 36, path.c_str());
    return f;
}

// Longitude shifts and latitude reflections of the repetition rule
// (cylindrical maps show the data wherever the axis range reaches).
struct Copy {
    double shift;
    int reflect;  // 0 none, -1 below -90, 1 above 90
};
std::vector<Copy> copies(const Context& ctx) {
    const MapState& m = ctx.map;
    const MapFamily f = map_family(m.proj.code);
    if (f != FAMILY_CYLINDRICAL && f != FAMILY_LINEAR) return {{0, 0}};
    std::vector<double> shifts;
    if (m.xa < -180.1) shifts.push_back(-360);
    if (m.xe > 180.1) shifts.push_back(360);
    if (m.xa < 179.9 && m.xe > -179.9) shifts.push_back(0);
    std::vector<int> flips;
    if (m.ya < -90.1) flips.push_back(-1);
    if (m.ye > 90.1) flips.push_back(1);
    if (m.ya < 89.9 && m.ye > -89.9) flips.push_back(0);
    std::vector<Copy> out;
    for (double s : shifts)
        for (int r : flips) out.push_back({s, r});
    return out;
}

void draw_copies(MapLines& lines, const std::vector<Copy>& cs, const MapPolyline& p, bool area) {
    std::vector<double> lon(p.lon.size()), lat(p.lat.size());
    for (const Copy& c : cs) {
        lines.data_copy(c.shift, c.reflect);
        for (size_t i = 0; i < lon.size(); ++i) {
            lon[i] = p.lon[i] + c.shift;
            lat[i] = c.reflect == 0 ? p.lat[i] : c.reflect < 0 ? -p.lat[i] - 180 : -p.lat[i] + 180;
        }
        if (area)
            lines.area(int(lon.size()), lon.data(), lat.data());
        else
            lines.polyline(int(lon.size()), lon.data(), lat.data());
    }
}

// An own-data polygon without its points at a pole: Antarctica's ring is
// closed round the south pole by such points, which are no coastline (its
// outline stays open there) and which the fill finds for itself (it closes
// a ring that runs round a pole along the pole's line).
MapPolyline without_poles(const MapPolyline& p) {
    MapPolyline q;
    q.code = p.code;
    for (size_t i = 0; i < p.lon.size(); ++i)
        if (std::fabs(p.lat[i]) < 90) {
            q.lon.push_back(p.lon[i]);
            q.lat.push_back(p.lat[i]);
        }
    return q;
}

// Outline of an own-data polygon, closed back to its first point (round a
// pole that is the step over the date line, which the map draws as none).
void outline(MapLines& lines, const std::vector<Copy>& cs, const MapPolyline& given) {
    MapPolyline p = without_poles(given);
    if (p.lon.empty()) return;
    p.lon.push_back(p.lon.front());
    p.lat.push_back(p.lat.front());
    draw_copies(lines, cs, p, false);
}

void read_warning(Context& ctx, MapRead r) {
    if (r != MapRead::OK) custom_warning(ctx, 101, "read error");
}

// Polygons of the own data file `number` whose code matches `wanted`
// (0: all), outlined or filled.
void own_polygons(Context& ctx, int number, int wanted, bool fill, size_t limit) {
    File f = open_file(ctx, map_path("map" + std::to_string(number) + ".dat"));
    if (!f) return;
    MapLines lines(ctx, ctx.map.interpolate);
    const std::vector<Copy> cs = copies(ctx);
    long dropped = 0;
    const MapRead r = read_own_map(f.get(), limit, dropped, [&](const MapPolyline& p) {
        const bool match = wanted == 0 || p.code == wanted || (number == 1 && wanted == 3 && p.code == 5);
        if (!match) return;
        if (fill)
            draw_copies(lines, cs, without_poles(p), true);
        else
            outline(lines, cs, p);
    });
    if (r == MapRead::NO_END) custom_warning(ctx, 101, "read error");
    if (dropped > 0) custom_warning(ctx, 101, "Internal error: Overflow of map coordinates");
}

}  // namespace

void world(Context& ctx) {
    if (!map_open(ctx)) return;
    MapState& m = ctx.map;
    if (m.base == BASE_KALV) {
        own_polygons(ctx, 1, 0, false, 2000);
        return;
    }
    std::string path;
    bool mapg = false;
    if (m.base == BASE_MAPF) {
        if (!m.file_given) {
            custom_warning(ctx, 101, "No call to MAPFIL before");
            return;
        }
        path = m.file;
        mapg = m.file_mapg;
    } else {
        static const char* const NAMES[] = {"gshhs_l.b", "gshhs_i.b", "gshhs_h.b", "gshhs_f.b"};
        path = map_path(NAMES[m.base - BASE_GSHL]);
    }
    File f = open_file(ctx, path);
    if (!f) return;
    MapLines lines(ctx, m.interpolate);
    const std::vector<Copy> cs = copies(ctx);
    auto take = [&](const MapPolyline& p) { draw_copies(lines, cs, p, false); };
    try {
        read_warning(ctx, mapg ? read_mapg(f.get(), take) : read_gshhs(f.get(), m.level, take));
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void gridmp(Context& ctx, int nx, int ny) {
    if (!map_open(ctx)) return;
    if (nx < 1 || ny < 1) {
        warn_int(ctx, 2, nx < 1 ? nx : ny);
        return;
    }
    const MapState& m = ctx.map;
    const AxisScale &sx = ctx.axes.x, &sy = ctx.axes.y;
    const bool straight = map_family(m.proj.code) == FAMILY_CYLINDRICAL || m.proj.code == PROJ_CYLI;
    const double dx = sx.step / nx, dy = sy.step / ny;
    if (!(std::fabs(dx) > 1e-6) || !(std::fabs(dy) > 1e-6)) return;
    // Meridians from the first label both ways, parallels likewise.
    const double lat_lo = straight ? m.ya : -90, lat_hi = straight ? m.ye : 90;
    const double lon_lo = straight ? m.xa : -180, lon_hi = straight ? m.xe : 180;
    const double x0 = sx.first - std::floor((sx.first - m.xa) / dx + 1e-9) * dx;
    const double y0 = sy.first - std::floor((sy.first - m.ya) / dy + 1e-9) * dy;
    {
        MapLines lines(ctx, true);
        for (int i = 0; i < 10000; ++i) {
            const double lon = x0 + i * dx;
            if (lon > m.xe + 1e-9) break;
            const double a[2] = {lon, lon}, b[2] = {lat_lo, lat_hi};
            lines.polyline(2, a, b);
        }
        for (int i = 0; i < 10000; ++i) {
            const double lat = y0 + i * dy;
            if (lat > m.ye + 1e-9) break;
            const double a[2] = {lon_lo, lon_hi}, b[2] = {lat, lat};
            lines.polyline(2, a, b);
        }
    }
    // Labels on maps without degree axes.
    const MapFamily fam = map_family(m.proj.code);
    if (fam == FAMILY_PSEUDO || m.disc) draw_grid_labels(ctx, nx, ny);
}

void curvmp(Context& ctx, const float* x, const float* y, int n) {
    if (!map_open(ctx)) return;
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    try {
        std::vector<double> lon(x, x + n), lat(y, y + n);
        const CurveLook look = begin_curve_look(ctx);
        record_curve(ctx, current_record(ctx));
        {
            MapLines lines(ctx, ctx.map.interpolate);
            // Non-finite points break the curve.
            int start = 0;
            for (int i = 0; i <= n; ++i) {
                if (i == n || !std::isfinite(lon[size_t(i)]) || !std::isfinite(lat[size_t(i)])) {
                    if (i - start > 1) lines.polyline(i - start, lon.data() + start, lat.data() + start);
                    start = i + 1;
                }
            }
        }
        end_curve_look(ctx, look);
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
    }
}

void shdmap(Context& ctx, const char* region) {
    if (!map_open(ctx)) return;
    const int i = keyword(ctx, "ALL +ANTA+AFRI+EURA+AUST+EURO+NORT+SOUT+LAKE", region);
    if (!i) return;
    static const int CODES[] = {0, 1, 2, 3, 4, 3, 6, 7, 8};
    own_polygons(ctx, 1, CODES[i - 1], true, 2000);
}

namespace {

void shade_countries(Context& ctx, int file, int max_code, int max_n, size_t limit, const int* codes,
                     const int* patterns, const int* colours, int n) {
    if (!map_open(ctx)) return;
    if (n < 1 || n > max_n) {
        warn_int(ctx, 2, n);
        return;
    }
    for (int i = 0; i < n; ++i)
        if (codes[i] < 0 || codes[i] > max_code) {
            warn_int(ctx, 2, codes[i]);
            return;
        }
    const int colour = ctx.out.current_colour, pattern = ctx.colour.pattern_number;
    for (int i = 0; i < n; ++i) {
        select_pattern(ctx, patterns[i]);
        set_colour(ctx, colours[i] == -1 ? colour : colours[i]);
        own_polygons(ctx, file, codes[i], true, limit);
        CurveRecord rec = current_record(ctx);
        rec.pattern = patterns[i];
        rec.filled = true;
        record_curve(ctx, rec);
    }
    select_pattern(ctx, pattern);
    set_colour(ctx, colour);
}

}  // namespace

void shdafr(Context& ctx, const int* codes, const int* patterns, const int* colours, int n) {
    shade_countries(ctx, 4, 52, 52, 16000, codes, patterns, colours, n);
}

void shdeur(Context& ctx, const int* codes, const int* patterns, const int* colours, int n) {
    shade_countries(ctx, 2, 46, 50, 16000, codes, patterns, colours, n);
}

void shdusa(Context& ctx, const int* codes, const int* patterns, const int* colours, int n) {
    shade_countries(ctx, 3, 51, 50, 25000, codes, patterns, colours, n);
}

}  // namespace kal
