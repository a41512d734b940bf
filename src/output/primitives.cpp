#include "output/primitives.h"

#include <algorithm>
#include <cmath>

#include "colour3d/colour.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/raster/raster_output.h"

namespace kal {
namespace {

int round_half_up(double v) { return static_cast<int>(std::trunc(v + 0.5)); }

// Fit of the page into a pixel area (screens, images, Java, SVG).
double pixel_factor(const PageState& p, int area_w, int area_h) {
    double w = p.width, h = p.height;
    if (p.rotation_mode == 1) std::swap(w, h);
    const double fit = std::min((area_w - 1) / std::max(w, 1.0), (area_h - 1) / std::max(h, 1.0));
    if (p.scaling_mode != 0) return fit;
    const int longer = w <= h ? area_h : area_w;
    return std::min(fit, (longer - 1) * p.units * p.scale / 2969.0);
}

double page_factor(const PageState& p, int device) {
    const double W = std::max(p.width, 1), H = std::max(p.height, 1);
    const double us = p.units * p.scale;
    switch (family(device)) {
        case Family::Screen: case Family::Image: case Family::Java: case Family::Svg:
            return pixel_factor(p, p.win_w, p.win_h);
        case Family::Vekmet:
            return 1.0 / std::max(W, H);
        case Family::Cgm:
            return 2.0 * us;
        case Family::Wmf:
            return us * 5.6692915;
        case Family::Kyocera: {
            double fit = W > H ? std::min(2362 / H, 3390 / W) : std::min(3390 / H, 2362 / W);
            return p.scaling_mode == 0 ? std::min(fit, us * 1.1811024) : fit;
        }
        case Family::Hpgl: {
            if (device == 401) return us * 4.0;
            static const double A[] = {10870, 15970, 21360, 30280};
            static const double B[] = {7600, 10870, 13440, 21360};
            const int k = std::clamp(device - 402, 0, 3);
            const double fit = std::min(A[k] / std::max(W, H), B[k] / std::min(W, H));
            return p.scaling_mode == 0 ? std::min(fit, us * 4.0) : fit;
        }
        case Family::PostScript: case Family::Pdf: {
            const bool pdf = device == DEV_PDF;
            double pw = p.hw_page ? 2.0 * p.hw_w : 3900.0;
            double ph = p.hw_page ? 2.0 * p.hw_h : 5600.0;
            if (pdf) {
                pw *= 0.14173229;
                ph *= 0.14173229;
            }
            const bool turned = W > H && p.rotation_mode != 2;
            const double fit = turned ? std::min(ph / W, pw / H) : std::min(pw / W, ph / H);
            if (p.scaling_mode != 0) return fit;
            return std::min(fit, pdf ? us * 0.28346458 : 2.0 * us);
        }
        default:
            return 1.0;
    }
}

bool page_turned(const PageState& p) { return p.width > p.height && p.rotation_mode != 2; }

}  // namespace

void open_device(Context& ctx) {
    const int device = ctx.page.device;
    ctx.out.factor = page_factor(ctx.page, device);
    ctx.out.colour_depth = true_colour(device) ? 24 : 8;
    ctx.out.pen_valid = false;
    ctx.out.driver->open(ctx);
}

DevicePoint device_point(const Context& ctx, double x, double y) {
    const PageState& p = ctx.page;
    const double f = ctx.out.factor;
    const double W = p.width, H = p.height;
    const bool r1 = p.rotation_mode == 1;
    switch (family(p.device)) {
        case Family::Screen: case Family::Wmf: case Family::Image: case Family::Java:
            if (r1) return {double(round_half_up(y * f)), double(round_half_up((W - x) * f))};
            return {double(round_half_up(x * f)), double(round_half_up(y * f))};
        case Family::Vekmet: case Family::Cgm: {
            const double s = ctx.out.xshift;
            if (r1) return {(y + s) * f, x * f};
            return {(x + s) * f, (H - y) * f};
        }
        case Family::Kyocera:
            return {double(round_half_up(x * f)), double(round_half_up(y * f))};
        case Family::Hpgl:
            if (p.device == 401) {
                if (r1) return {double(round_half_up(y * f)), double(round_half_up(x * f))};
                return {double(round_half_up(x * f)), double(round_half_up((H - y) * f))};
            }
            if (W > H) return {double(round_half_up(x * f)), double(round_half_up((H - y) * f))};
            return {double(round_half_up((H - y) * f)), double(round_half_up((W - x) * f))};
        case Family::PostScript: case Family::Pdf:
            if (page_turned(p)) return {std::trunc(y * f), std::trunc(x * f)};
            return {std::trunc(x * f), std::trunc((H - y) * f)};
        case Family::Svg:
            if (r1) return {std::trunc(y * f), std::trunc((W - x) * f)};
            return {std::trunc(x * f), std::trunc(y * f)};
        default:
            return {x, y};
    }
}

void move_draw(Context& ctx, double x, double y, int pen) {
    OutputState& o = ctx.out;
    ++o.vectors;
    o.pen_valid = true;
    o.pen_x = x;
    o.pen_y = y;
    if (!o.driver) return;
    const DevicePoint d = device_point(ctx, x, y);
    o.driver->move_draw(ctx, d.x, d.y, pen);
}

int resolve_index(const Context& ctx, int value) {
    if (!is_direct(value)) return static_cast<int>(static_cast<unsigned>(value) % 256u);
    const Rgb c = resolve_rgb(ctx, value);
    return nearest_index(ctx, c.r, c.g, c.b, true);
}

void set_colour(Context& ctx, int value) {
    if (!ctx.line.flushing) line_flush(ctx);
    ctx.out.current_colour = value;
    ctx.out.pen_valid = false;
    if (ctx.out.driver) ctx.out.driver->colour(ctx, value);
}

void fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const PageState& p = ctx.page;
    const int* w = ctx.out.clip;
    x1 = std::max(x1 + p.origin_x, double(w[0]));
    y1 = std::max(y1 + p.origin_y, double(w[1]));
    x2 = std::min(x2 + p.origin_x, double(w[2]));
    y2 = std::min(y2 + p.origin_y, double(w[3]));
    if (!(x1 <= x2) || !(y1 <= y2) || !ctx.out.driver) return;  // also NaN
    line_flush(ctx);
    ctx.out.pen_valid = false;
    if (ctx.out.driver->fill_rect(ctx, x1, y1, x2, y2, value)) return;
    // Devices without a filled rectangle: hatch it with lines 0.14 mm apart
    // (only where the page is: nothing beyond it shows).
    set_colour(ctx, value);
    y1 = std::max(y1, -1.0);
    y2 = std::min(y2, p.height + 1.0);
    if (y1 > y2) return;
    const double step = 1.4 / p.units;
    const long lines = static_cast<long>((y2 - y1) / step);
    for (long i = 0; i <= lines; ++i) {
        const double y = y1 + i * step;
        move_draw(ctx, x1, y, 3);
        move_draw(ctx, x2, y, 2);
    }
    move_draw(ctx, x1, y2, 3);
    move_draw(ctx, x2, y2, 2);
}

void fill_triangle(Context& ctx, const double* x, const double* y, int value) {
    set_colour(ctx, value);
    line_move(ctx, x[0], y[0]);
    line_draw(ctx, x[1], y[1]);
    line_draw(ctx, x[2], y[2]);
    line_draw(ctx, x[0], y[0]);
    line_flush(ctx);
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        const int* w = ctx.out.clip;
        inside = inside && x[i] >= w[0] && x[i] <= w[2] && y[i] >= w[1] && y[i] <= w[3];
    }
    ctx.out.pen_valid = false;
    if (inside && ctx.out.driver && ctx.out.driver->fill_triangle(ctx, x, y, value)) return;
    const double px[3] = {x[0] - ctx.page.origin_x, x[1] - ctx.page.origin_x, x[2] - ctx.page.origin_x};
    const double py[3] = {y[0] - ctx.page.origin_y, y[1] - ctx.page.origin_y, y[2] - ctx.page.origin_y};
    fill_polygon(ctx, 3, px, py);
}

void push_colour_table(Context& ctx) {
    if (ctx.out.driver) ctx.out.driver->push_palette(ctx);
    // A raster made by imgini on a vector page keeps its own palette.
    if (ctx.out.raster && ctx.image.own_raster) load_table_palette(ctx, *ctx.out.raster);
}

}  // namespace kal
