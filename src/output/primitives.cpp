#include "output/primitives.h"

#include <algorithm>
#include <cmath>

#include "output/colour_table.h"
#include "core/context.h"
#include "core/devices.h"
#include "core/frame.h"
#include "output/driver.h"
#include "output/line_layer.h"
#include "output/pattern_fill.h"
#include "output/shields.h"
#include "output/raster/raster_output.h"

namespace kal {

void open_device(Context& ctx) {
    const int device = ctx.page.device;
    ctx.out.factor = device_factor(ctx.page, device);
    ctx.out.colour_depth = traits(device).colour_depth;
    ctx.out.pen_valid = false;
    ctx.out.driver->attach(std::make_unique<OutputSink>(ctx.out.file));
    ctx.out.driver->open(ctx);
}

bool flush_output(Context& ctx) {
    OutputState& o = ctx.out;
    bool ok = !o.driver || o.driver->sink().flush();
    if (o.file && std::fflush(o.file) != 0) ok = false;
    return ok;
}

int finish_device(Context& ctx) {
    OutputState& o = ctx.out;
    const int result = o.driver->close(ctx);
    if (o.file && traits(ctx.page.device).record_text) o.record.flush_line(o.driver->sink());
    // A full disk or a file size limit shows here at the latest: what the
    // sink or the file's own buffer could not write. A driver that wrote
    // no file (result 0) has said why itself.
    if (!flush_output(ctx) && result != 0) warn(ctx, 36);
    return result;
}

const DeviceMap& current_map(const Context& ctx) {
    const PageState& p = ctx.page;
    const OutputValues& o = ctx.out;
    DeviceMap& m = o.map;
    if (!m.made || m.device != p.device || m.f != o.factor || m.shift != o.xshift || m.W != p.width ||
        m.H != p.height || m.rotation_mode != p.rotation_mode)
        m = device_map(p, p.device, o.factor, o.xshift);
    return m;
}

DevicePoint device_point(const Context& ctx, double x, double y) { return current_map(ctx)(x, y); }

double frame_step(const Context& ctx) {
    if (!draws_widths(ctx.page.device) || !(ctx.out.factor > 0)) return 1.0;
    return ctx.image.pixel_scale / ctx.out.factor;
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

void draw_run(Context& ctx, int n, const double* x, const double* y, int first_pen) {
    if (n < 1) return;
    OutputState& o = ctx.out;
    o.vectors += n;
    o.pen_valid = true;
    o.pen_x = x[n - 1];
    o.pen_y = y[n - 1];
    if (!o.driver) return;
    o.driver->window_run(ctx, n, x, y, first_pen, current_map(ctx));
}

void Driver::window_run(Context& ctx, int n, const double* x, const double* y, int first_pen,
                        const DeviceMap& map) {
    constexpr int CHUNK = 256;
    double dx[CHUNK], dy[CHUNK];
    for (int start = 0; start < n; start += CHUNK) {
        const int m = std::min(CHUNK, n - start);
        map.apply(m, x + start, y + start, dx, dy);
        polyline(ctx, m, dx, dy, start == 0 ? first_pen : 2);
    }
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

namespace {

// A rectangle under a page transformation or projection is a polygon on
// the page: filled solid in the colour, the current colour and pattern
// kept.
void fill_transformed_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    if (!(x1 <= x2) || !(y1 <= y2)) return;  // also NaN
    const int colour = ctx.out.current_colour;
    set_colour(ctx, value);
    const double px[4] = {x1, x2, x2, x1}, py[4] = {y1, y1, y2, y2};
    solid_fill_polygon(ctx, 4, px, py);
    set_colour(ctx, colour);
}

}  // namespace

void fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    if (lines_transformed(ctx.line)) {
        if (ctx.out.driver) fill_transformed_rect(ctx, x1, y1, x2, y2, value);
        return;
    }
    const PageState& p = ctx.page;
    const int* w = ctx.out.clip;
    x1 = std::max(x1 + p.origin_x, double(w[0]));
    y1 = std::max(y1 + p.origin_y, double(w[1]));
    x2 = std::min(x2 + p.origin_x, double(w[2]));
    y2 = std::min(y2 + p.origin_y, double(w[3]));
    if (!(x1 <= x2) || !(y1 <= y2) || !ctx.out.driver) return;  // also NaN
    line_flush(ctx);
    ctx.out.pen_valid = false;
    if (shields_exist(ctx.shields) && shields_active(ctx)) {
        // Fill lines, cut by the shields like any line.
        set_colour(ctx, value);
        const double px[4] = {x1 - p.origin_x, x2 - p.origin_x, x2 - p.origin_x, x1 - p.origin_x};
        const double py[4] = {y1 - p.origin_y, y1 - p.origin_y, y2 - p.origin_y, y2 - p.origin_y};
        solid_fill_lines(ctx, 4, px, py);
        return;
    }
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
    const bool shielded = shields_exist(ctx.shields) && shields_active(ctx);
    // Under a page transformation or projection the polygon fill places it.
    if (inside && !shielded && !lines_transformed(ctx.line) && ctx.out.driver &&
        ctx.out.driver->fill_triangle(ctx, x, y, value))
        return;
    const double px[3] = {x[0] - ctx.page.origin_x, x[1] - ctx.page.origin_x, x[2] - ctx.page.origin_x};
    const double py[3] = {y[0] - ctx.page.origin_y, y[1] - ctx.page.origin_y, y[2] - ctx.page.origin_y};
    if (shielded)
        solid_fill_lines(ctx, 3, px, py);
    else
        fill_polygon(ctx, 3, px, py);
}

void push_colour_table(Context& ctx) {
    if (ctx.out.driver) ctx.out.driver->push_palette(ctx);
    // A raster made by imgini on a vector page keeps its own palette.
    if (ctx.out.raster && ctx.image.own_raster) load_table_palette(ctx, *ctx.out.raster);
}

}  // namespace kal
