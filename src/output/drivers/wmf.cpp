#include "output/drivers/wmf.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "api/routines_wmf_output.h"
#include "core/context.h"
#include "core/frame.h"
#include "output/colour_table.h"
#include "output/primitives.h"

namespace kal {
namespace {

// Record functions.
constexpr int META_EOF = 0x0000;
constexpr int META_SETMAPMODE = 0x0103;
constexpr int META_SETWINDOWORG = 0x020B;
constexpr int META_SETWINDOWEXT = 0x020C;
constexpr int META_SETTEXTCOLOR = 0x0209;
constexpr int META_SELECTOBJECT = 0x012D;
constexpr int META_DELETEOBJECT = 0x01F0;
constexpr int META_CREATEPENINDIRECT = 0x02FA;
constexpr int META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr int META_MOVETO = 0x0214;
constexpr int META_LINETO = 0x0213;
constexpr int META_RECTANGLE = 0x041B;
constexpr int META_POLYGON = 0x0324;

constexpr int MM_ANISOTROPIC = 8;
constexpr int PS_SOLID = 0, PS_NULL = 5;
constexpr int BS_SOLID = 0, BS_HOLLOW = 1;

constexpr uint32_t PLACEABLE_KEY = 0x9AC6CDD7u;
constexpr int PLACEABLE_BYTES = 22;
constexpr int HEADER_BYTES = 18;
// The window extent is the page plus this margin.
constexpr int MARGIN = 20;

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// A device coordinate held within 16 bits (NaN becomes 0).
int16_t coord(double v) {
    if (!(v >= -WmfDriver::MAX_COORDINATE)) return v == v ? -WmfDriver::MAX_COORDINATE : 0;
    if (v > WmfDriver::MAX_COORDINATE) return WmfDriver::MAX_COORDINATE;
    return static_cast<int16_t>(v);
}

uint32_t colorref(const Rgb& c) { return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16; }

}  // namespace

void WmfDriver::open(Context& ctx) {
    const PageState& p = ctx.page;
    placeable_ = p.wmf_placeable;
    double w = std::max(p.width, 1), h = std::max(p.height, 1);
    if (p.rotation_mode == 1) std::swap(w, h);
    // Twips per plot unit, made smaller where the extent would not fit in
    // 16 bits.
    double s = ctx.out.factor, k = 1.0;
    const double most = std::max(w, h) * s;
    if (!(most <= MAX_COORDINATE - MARGIN)) {
        k = (MAX_COORDINATE - MARGIN) / most;
        s *= k;
        ctx.out.factor = s;
    }
    per_inch_ = std::max(1, static_cast<int>(std::lround(1440.0 * k)));
    ext_x_ = static_cast<int>(std::trunc(w * s)) + MARGIN;
    ext_y_ = static_cast<int>(std::trunc(h * s)) + MARGIN;

    // The headers, filled in at the end.
    const uint8_t zeros[PLACEABLE_BYTES + HEADER_BYTES] = {};
    sink().write(zeros, (placeable_ ? PLACEABLE_BYTES : 0) + HEADER_BYTES);
    const int16_t mode = MM_ANISOTROPIC, origin[2] = {0, 0};
    const int16_t extent[2] = {int16_t(ext_y_), int16_t(ext_x_)};
    record(META_SETMAPMODE, &mode, 1);
    record(META_SETWINDOWORG, origin, 2);
    record(META_SETWINDOWEXT, extent, 2);
    hollow_ = create_brush(BS_HOLLOW, 0);
    select(hollow_);
    set_width(ctx, 5.0);  // the thin line
}

// A pen of width 1 is 1/1440 inch, which viewers draw as a hairline or
// barely at all: pens take the PDF device's widths in 1/20 mm instead, in
// logical units (ctx.out.factor per plot unit of 1/10 mm times the unit
// factor).
void WmfDriver::set_width(Context& ctx, double twentieths) {
    const double units = ctx.page.units > 0 ? ctx.page.units : 1.0;
    const double w = twentieths / (2.0 * units) * ctx.out.factor;
    const int width = int(std::clamp(std::lround(w), 1L, long(MAX_COORDINATE)));
    if (width == width_) return;
    width_ = width;
    if (pen_ >= 0) select_pen(ctx, ctx.out.current_colour);
}

bool WmfDriver::line_width(Context& ctx, int n) {
    set_width(ctx, std::max(5.0, std::trunc(2.0 * n * ctx.page.units)));
    return true;
}

bool WmfDriver::pen_width(Context& ctx, double w) {
    const double u = ctx.page.units;
    set_width(ctx, w >= 0.99 ? std::max(5.0, 2.0 * w * u) : (u <= 2.0 ? 5.0 * w * u : 2.0 * w * u));
    return true;
}

int WmfDriver::close(Context& ctx) {
    OutputSink& s = sink();
    record(META_EOF, nullptr, 0);
    const uint64_t start = placeable_ ? PLACEABLE_BYTES : 0;
    uint8_t head[PLACEABLE_BYTES + HEADER_BYTES] = {};
    uint8_t* h = head;
    if (placeable_) {
        // Key, handle 0, bounding box (0, 0, right, bottom), units per
        // inch, reserved, and the XOR of the ten words before it.
        put32(h, PLACEABLE_KEY);
        put16(h + 10, uint32_t(ext_x_));
        put16(h + 12, uint32_t(ext_y_));
        put16(h + 14, uint32_t(per_inch_));
        uint32_t sum = 0;
        for (int i = 0; i < 20; i += 2) sum ^= uint32_t(h[i]) | uint32_t(h[i + 1]) << 8;
        put16(h + 20, sum);
        h += PLACEABLE_BYTES;
    }
    put16(h, 1);       // in memory
    put16(h + 2, 9);   // header words
    put16(h + 4, 0x0300);
    put32(h + 6, uint32_t((s.offset() - start) / 2));
    put16(h + 10, uint32_t(slots_.size()));
    put32(h + 12, largest_);
    put16(h + 16, 0);  // members
    // A file that did not take every byte (a full disk, a file size limit)
    // or its header holds no usable metafile.
    const bool written = s.patch(0, head, size_t(start) + HEADER_BYTES) && s.flush();
    if (!written) {
        custom_warning(ctx, 101, "Open error for WMF file");
        return 0;
    }
    return 1;
}

void WmfDriver::record(int function, const int16_t* params, int count) {
    const uint32_t words = uint32_t(3 + count);
    largest_ = std::max(largest_, words);
    uint8_t b[6];
    put32(b, words);
    put16(b + 4, uint32_t(function));
    sink().write(b, 6);
    for (int i = 0; i < count; ++i) sink().le16(uint16_t(params[i]));
}

int WmfDriver::take_slot() {
    const auto free = std::find(slots_.begin(), slots_.end(), false);
    const int slot = static_cast<int>(free - slots_.begin());
    if (free == slots_.end())
        slots_.push_back(true);
    else
        *free = true;
    return slot;
}

int WmfDriver::create_pen(int style, uint32_t c) {
    const int16_t width = int16_t(style == PS_NULL ? 1 : width_);
    const int16_t params[5] = {int16_t(style), width, 0, int16_t(c & 0xFFFF), int16_t(c >> 16)};
    record(META_CREATEPENINDIRECT, params, 5);
    return take_slot();
}

int WmfDriver::create_brush(int style, uint32_t c) {
    const int16_t params[4] = {int16_t(style), int16_t(c & 0xFFFF), int16_t(c >> 16), 0};
    record(META_CREATEBRUSHINDIRECT, params, 4);
    return take_slot();
}

void WmfDriver::select(int slot) {
    const int16_t p = int16_t(slot);
    record(META_SELECTOBJECT, &p, 1);
}

void WmfDriver::remove(int slot) {
    const int16_t p = int16_t(slot);
    record(META_DELETEOBJECT, &p, 1);
    slots_[size_t(slot)] = false;
}

void WmfDriver::select_pen(Context& ctx, int value) {
    const uint32_t c = colorref(resolve_rgb(ctx, value));
    const int pen = create_pen(PS_SOLID, c);
    const int16_t text[2] = {int16_t(c & 0xFFFF), int16_t(c >> 16)};
    record(META_SETTEXTCOLOR, text, 2);
    select(pen);
    if (pen_ >= 0) remove(pen_);
    pen_ = pen;
}

void WmfDriver::colour(Context& ctx, int value) { select_pen(ctx, value); }

// MOVETO and LINETO store y before x.
void WmfDriver::move_draw(Context&, double x, double y, int pen) {
    const int16_t params[2] = {coord(y), coord(x)};
    record(pen == 2 ? META_LINETO : META_MOVETO, params, 2);
}

void WmfDriver::polyline(Context&, int n, const double* x, const double* y, int first_pen) {
    if (n < 1) return;
    largest_ = std::max(largest_, 5u);
    OutputSink& s = sink();
    for (int i = 0; i < n; ++i) {
        uint8_t b[10];
        put32(b, 5);
        put16(b + 4, i == 0 && first_pen != 2 ? META_MOVETO : META_LINETO);
        put16(b + 6, uint16_t(coord(y[i])));
        put16(b + 8, uint16_t(coord(x[i])));
        if (char* at = s.reserve(10)) {
            std::memcpy(at, b, 10);
            s.commit(10);
        } else {
            s.write(b, 10);
        }
    }
}

// Filled as the platform's FillRect fills, right and bottom edge included:
// the rectangle one unit larger under the null pen.
bool WmfDriver::fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) {
    const DevicePoint a = device_point(ctx, x1, y1), b = device_point(ctx, x2, y2);
    const int16_t params[4] = {coord(std::max(a.y, b.y) + 1), coord(std::max(a.x, b.x) + 1),
                               coord(std::min(a.y, b.y)), coord(std::min(a.x, b.x))};
    const int brush = create_brush(BS_SOLID, colorref(resolve_rgb(ctx, value)));
    select(brush);
    const int null_pen = create_pen(PS_NULL, 0);
    select(null_pen);
    record(META_RECTANGLE, params, 4);
    if (pen_ < 0)
        select_pen(ctx, ctx.out.current_colour);
    else
        select(pen_);
    select(hollow_);
    remove(brush);
    remove(null_pen);
    return true;
}

bool WmfDriver::fill_polygon(Context& ctx, int n, const double* x, const double* y) {
    if (n > MAX_POLYGON) return false;
    if (n < 1) return true;
    points_.resize(size_t(n) * 2 + 1);
    points_[0] = int16_t(n);
    for (int i = 0; i < n; ++i) {
        const DevicePoint d = device_point(ctx, x[i], y[i]);
        points_[size_t(i) * 2 + 1] = coord(d.x);
        points_[size_t(i) * 2 + 2] = coord(d.y);
    }
    const int brush = create_brush(BS_SOLID, colorref(resolve_rgb(ctx, ctx.out.current_colour)));
    select(brush);
    record(META_POLYGON, points_.data(), int(points_.size()));
    select(hollow_);
    remove(brush);
    return true;
}

// ---- settings of the WMF output ----

void wmfmod(Context& ctx, const char* mode, const char* key) {
    const int m = keyword(ctx, "STAN+PLAC", mode);
    if (!m || !keyword(ctx, "FORM", key)) return;
    ctx.page.wmf_placeable = m == 2;
}

}  // namespace kal
