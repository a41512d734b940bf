// The shield routines: regions defined by the program (shlrec ... shlpol),
// deleting them, their visibility, and the automatic shielding switches.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "api/routines_shield_regions.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/shields.h"
#include "plot2d/axis_system.h"

namespace kal {
namespace {

constexpr double DEGREES = M_PI / 180.0;

// Plot coordinates of the program as absolute page coordinates: the page's
// y direction applied and the plot origin added.
double abs_x(const Context& ctx, double x) { return x + ctx.page.origin_x; }
double abs_y(const Context& ctx, double y) {
    return (ctx.page.page_origin == 1 ? ctx.page.height - y : y) + ctx.page.origin_y;
}

// Warning 2 with the smaller of two sizes when it is below 1.
bool bad_sizes(Context& ctx, int a, int b) {
    if (std::min(a, b) >= 1) return false;
    warn_int(ctx, 2, std::min(a, b));
    return true;
}

bool by_id(int, int id, int wanted) { return id == wanted; }
bool any_region(int, int, int) { return true; }
bool by_source(int code, int, int source) { return shield_source(code) == source; }

}  // namespace

void shlrec(Context& ctx, int nx, int ny, int nw, int nh) {
    if (bad_sizes(ctx, nw, nh)) return;
    const double x1 = abs_x(ctx, nx), x2 = abs_x(ctx, nx + double(nw) - 1);
    const double y1 = abs_y(ctx, ny), y2 = abs_y(ctx, ny + double(nh) - 1);
    const double p[4] = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    add_shield(ctx, SHIELD_RECT, SOURCE_PROGRAM, p, 4, frame_thickness(ctx));
}

void shlrct(Context& ctx, int nx, int ny, int nw, int nh, float angle) {
    if (bad_sizes(ctx, nw, nh)) return;
    if (!std::isfinite(angle)) {
        warn(ctx, 2);
        return;
    }
    if (std::fabs(angle) < 0.001f) {
        shlrec(ctx, nx, ny, nw, nh);
        return;
    }
    const double p[5] = {abs_x(ctx, nx), abs_y(ctx, ny), abs_x(ctx, nx + double(nw) - 1),
                         abs_y(ctx, ny + double(nh) - 1), angle * DEGREES};
    add_shield(ctx, SHIELD_ROTATED_RECT, SOURCE_PROGRAM, p, 5, frame_thickness(ctx));
}

void shlcir(Context& ctx, int nx, int ny, int nr) {
    if (out_of_range(ctx, nr, 1, 10000)) return;
    const double p[3] = {abs_x(ctx, nx), abs_y(ctx, ny), double(nr)};
    add_shield(ctx, SHIELD_CIRCLE, SOURCE_PROGRAM, p, 3, frame_thickness(ctx));
}

void shlell(Context& ctx, int nx, int ny, int na, int nb, float angle) {
    if (bad_sizes(ctx, na, nb)) return;
    if (!std::isfinite(angle)) {
        warn(ctx, 2);
        return;
    }
    const double p[5] = {abs_x(ctx, nx), abs_y(ctx, ny), double(na), double(nb), angle * DEGREES};
    add_shield(ctx, SHIELD_ELLIPSE, SOURCE_PROGRAM, p, 5, frame_thickness(ctx));
}

void shlpie(Context& ctx, int nx, int ny, int nr, float alpha, float beta) {
    if (out_of_range(ctx, nr, 1, 10000)) return;
    if (!std::isfinite(alpha) || !std::isfinite(beta)) {
        warn(ctx, 2);
        return;
    }
    const double p[5] = {abs_x(ctx, nx), abs_y(ctx, ny), double(nr), alpha * DEGREES, beta * DEGREES};
    add_shield(ctx, SHIELD_PIE, SOURCE_PROGRAM, p, 5, frame_thickness(ctx));
}

void shlpol(Context& ctx, const int* nxray, const int* nyray, int n) {
    if (out_of_range(ctx, n, 3, 2000)) return;
    std::vector<double> p;
    try {
        p.reserve(2 * size_t(n));
    } catch (const std::bad_alloc&) {
        warn(ctx, 53);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const double x = abs_x(ctx, nxray[i]), y = abs_y(ctx, nyray[i]);
        if (!p.empty() && x == p[p.size() - 2] && y == p.back()) continue;  // repeats its predecessor
        p.push_back(x);
        p.push_back(y);
    }
    if (p.size() > 2 && p[0] == p[p.size() - 2] && p[1] == p.back()) p.resize(p.size() - 2);
    const int points = static_cast<int>(p.size() / 2);
    if (points < 3) {
        warn_int(ctx, 30, points);
        return;
    }
    add_shield(ctx, SHIELD_POLYGON, SOURCE_PROGRAM, p.data(), 2 * points, frame_thickness(ctx));
}

void shldel(Context& ctx, int id) {
    if (id < 0) {
        warn_int(ctx, 2, id);
        return;
    }
    if (id > 0)
        delete_shields(ctx, by_id, id);
    else
        delete_shields(ctx, by_source, SOURCE_PROGRAM);
}

void shlres(Context& ctx, int n) {
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    delete_last_program_shields(ctx, n);
}

void shlvis(Context& ctx, int id, const char* mode) {
    const int k = keyword(ctx, "ON  +OFF ", mode);
    if (k == 0) return;
    if (id < 0) {
        warn_int(ctx, 2, id);
        return;
    }
    if (id == 0)
        set_shield_visibility(ctx, k == 1, any_region, 0);
    else
        set_shield_visibility(ctx, k == 1, by_id, id);
}

int shlind(Context& ctx) { return ctx.shields.count; }

void shield(Context& ctx, const char* kind, const char* mode) {
    const int source = keyword(ctx, "MESS+SYMB+BARS+PIE +LEGE", kind);
    if (source == 0) return;
    const int k = keyword(ctx, "ON  +OFF +VIS +NOVI+DELE+RESE", mode);
    if (k == 0) return;
    bool& on = ctx.shields.automatic[source];
    switch (k) {
        case 1: on = true; break;
        case 2: on = false; break;
        case 3:
        case 4: set_shield_visibility(ctx, k == 3, by_source, source); break;
        case 6: on = false; [[fallthrough]];
        case 5: delete_shields(ctx, by_source, source); break;
    }
}

}  // namespace kal
