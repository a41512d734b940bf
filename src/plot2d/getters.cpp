// The getters of 2-D settings: each returns what its setter stored, in the
// units the setter takes (page positions from the top or bottom as the page
// origin is set, plot units relative to the origin of plot coordinates).
#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"

namespace kal {
namespace {

// A vertical page position as the user gives it (setpag origin BOTT counts
// from the bottom).
int user_y(const Context& ctx, int y) { return ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - y : y; }

template <class F>
void three(const Context& ctx, int* nx, int* ny, int* nz, F f) {
    *nx = f(ctx, AXIS_X);
    *ny = f(ctx, AXIS_Y);
    *nz = f(ctx, AXIS_Z);
}

}  // namespace

void getclp(Context& ctx, int* nx, int* ny, int* nw, int* nh) {
    const int* c = ctx.out.clip;
    *nx = c[0] - ctx.page.origin_x;
    *nw = c[2] - c[0] + 1;
    *nh = c[3] - c[1] + 1;
    const int top = c[1] - ctx.page.origin_y;
    *ny = ctx.page.page_origin == ORIGIN_BOTTOM ? ctx.page.height - (top + *nh - 1) : top;
}

void getdig(Context& ctx, int* nx, int* ny, int* nz) {
    three(ctx, nx, ny, nz, [](const Context& c, int i) { return c.labels.axis[i].digits; });
}

void getgrf(Context& ctx, const char* axis, float* a, float* e, float* org, float* step) {
    *a = *e = *org = *step = 0;
    const int k = keyword(ctx, "X   +Y   +Z   ", axis);
    if (!k) return;
    const AxisScale& s = k == 1 ? ctx.axes.x : k == 2 ? ctx.axes.y : ctx.axes.z;
    *a = float(s.a);
    *e = float(s.e);
    *org = float(s.first);
    *step = float(s.step);
}

int gethnm(Context& ctx) { return ctx.labels.name_height; }

int getlin(Context& ctx) { return ctx.line.width < 0 ? -ctx.line.width : ctx.line.width; }

void getor(Context& ctx, int* nx, int* ny) {
    *nx = ctx.page.origin_x;
    *ny = ctx.page.page_origin == ORIGIN_BOTTOM ? -ctx.page.origin_y : ctx.page.origin_y;
}

void getpos(Context& ctx, int* nx, int* ny) {
    *nx = ctx.axes.corner_x;
    *ny = user_y(ctx, ctx.axes.corner_y);
}

void getscl(Context& ctx, int* nx, int* ny, int* nz) {
    three(ctx, nx, ny, nz, [](const Context& c, int i) { return c.axes.axis[i].log ? 1 : 0; });
}

void getsp1(Context& ctx, int* nx, int* ny, int* nz) {
    three(ctx, nx, ny, nz, [](const Context& c, int i) { return c.labels.axis[i].distance; });
}

void getsp2(Context& ctx, int* nx, int* ny, int* nz) {
    three(ctx, nx, ny, nz, [](const Context& c, int i) { return c.labels.axis[i].name_distance; });
}

void getsym(Context& ctx, int* nsym, int* nsize) {
    *nsym = ctx.curves.marker;
    *nsize = ctx.symbols.size;
}

void gettcl(Context& ctx, int* nmaj, int* nmin) {
    *nmaj = ctx.axes.major_len;
    *nmin = ctx.axes.minor_len;
}

void gettic(Context& ctx, int* nx, int* ny, int* nz) {
    three(ctx, nx, ny, nz, [](const Context& c, int i) { return c.axes.axis[i].ticks; });
}

int gettyp(Context& ctx) { return ctx.line.style; }

int getuni(Context& ctx) { return ctx.frame.unit; }

}  // namespace kal
