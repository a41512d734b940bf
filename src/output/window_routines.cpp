// Clipping window and the affine page transformation.
#include <cmath>

#include "api/routines_clipping_and_the_page_transformation.h"
#include "core/context.h"
#include "output/line_layer.h"

namespace kal {
namespace {

constexpr int NO_CLIP = 1 << 29;  // far outside any page

void page_window(Context& ctx) {
    ctx.out.clip[0] = 0;
    ctx.out.clip[1] = 0;
    ctx.out.clip[2] = ctx.page.width;
    ctx.out.clip[3] = ctx.page.height;
}

// The circle inscribed in the clipping window.
void circle_of_window(Context& ctx) {
    const int* w = ctx.out.clip;
    LineState& l = ctx.line;
    l.clip_cx = (w[0] + w[2]) / 2.0;
    l.clip_cy = (w[1] + w[3]) / 2.0;
    l.clip_r = std::min(w[2] - w[0], w[3] - w[1]) / 2.0;
}

// Starts the transformation from the identity when it is off.
LineState& transformation(Context& ctx) {
    line_flush(ctx);
    LineState& l = ctx.line;
    if (!l.transform) {
        l.a = l.e = 1;
        l.b = l.c = l.d = l.g = 0;
        l.transform = true;
    }
    return l;
}

}  // namespace

void reset_clipping(Context& ctx) {
    page_window(ctx);
    ctx.line.circle_clip = false;
}

void clpwin(Context& ctx, int nx, int ny, int nw, int nh) {
    if (nw < 1 || nh < 1) {
        warn_int(ctx, 2, nw < 1 ? nw : nh);
        return;
    }
    line_flush(ctx);
    const PageState& p = ctx.page;
    const double y1 = p.page_origin == 1 ? p.height - (double(ny) + nh - 1) : ny;
    ctx.out.clip[0] = clamp_int(double(nx) + p.origin_x);
    ctx.out.clip[1] = clamp_int(y1 + p.origin_y);
    ctx.out.clip[2] = clamp_int(double(nx) + nw - 1 + p.origin_x);
    ctx.out.clip[3] = clamp_int(y1 + nh - 1 + p.origin_y);
    if (ctx.line.circle_clip) circle_of_window(ctx);
}

void clpbor(Context& ctx, const char* border) {
    const int i = keyword(ctx, "AXIS+PAGE", border);
    if (!i) return;
    line_flush(ctx);
    if (i == 2) {
        page_window(ctx);
    } else {
        const PageState& p = ctx.page;
        ctx.out.clip[0] = p.axis_org_x;
        ctx.out.clip[1] = p.axis_org_y - p.axis_len_y + 1;
        ctx.out.clip[2] = p.axis_org_x + p.axis_len_x - 1;
        ctx.out.clip[3] = p.axis_org_y;
    }
    if (ctx.line.circle_clip) circle_of_window(ctx);
}

void clpmod(Context& ctx, const char* mode) {
    const int i = keyword(ctx, "RECT+CIRC", mode);
    if (!i) return;
    line_flush(ctx);
    ctx.line.circle_clip = i == 2;
    if (i == 2) circle_of_window(ctx);
}

void noclip(Context& ctx) {
    line_flush(ctx);
    ctx.out.clip[0] = ctx.out.clip[1] = -NO_CLIP;
    ctx.out.clip[2] = ctx.out.clip[3] = NO_CLIP;
    ctx.line.circle_clip = false;
}

void trfshf(Context& ctx, int nx, int ny) {
    LineState& l = transformation(ctx);
    l.c += nx;
    l.g += ny;
}

void trfscl(Context& ctx, float xscl, float yscl) {
    LineState& l = transformation(ctx);
    l.a *= xscl;
    l.b *= xscl;
    l.c *= xscl;
    l.d *= yscl;
    l.e *= yscl;
    l.g *= yscl;
}

void trfrot(Context& ctx, float angle, int nx, int ny) {
    const PageState& p = ctx.page;
    const double px = double(nx) + p.origin_x;
    const double py = (p.page_origin == 1 ? p.height - double(ny) : double(ny)) + p.origin_y;
    LineState& l = transformation(ctx);
    const double s = std::sin(angle * 0.0174533), k = std::cos(angle * 0.0174533);
    l.c -= px;
    l.g -= py;
    const double a = k * l.a + s * l.d, b = k * l.b + s * l.e, cc = k * l.c + s * l.g;
    const double d = k * l.d - s * l.a, e = k * l.e - s * l.b, g = k * l.g - s * l.c;
    l.a = a;
    l.b = b;
    l.c = cc + px;
    l.d = d;
    l.e = e;
    l.g = g + py;
}

void trfres(Context& ctx) {
    line_flush(ctx);
    ctx.line.transform = false;
}

}  // namespace kal
