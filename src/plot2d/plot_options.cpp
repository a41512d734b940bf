// The plot options part: defaults, reset keys and the setters that only
// store (their readers are the routines that draw).
#include <cmath>

#include "api/routines_axis_systems.h"
#include "api/routines_colour_and_line_attributes.h"
#include "api/routines_settings_and_getters_without_a_subsystem.h"
#include "core/context.h"
#include "output/primitives.h"
#include "plot2d/curves.h"
#include "plot2d/keyword_axes.h"
#include "plot2d/plot_options.h"

namespace kal {
namespace {

void reset_autres(Context& ctx) {
    PlotOptions& o = ctx.options;
    if (o.res_mode == RES_AUTO) o.res_mode = RES_SYMBOL;
    o.res_nx = o.res_ny = 0;
}
void reset_setres(Context& ctx) {
    PlotOptions& o = ctx.options;
    if (o.res_mode == RES_FIXED) o.res_mode = RES_SYMBOL;
    o.res_w = o.res_h = 0;
}
void reset_axends(Context& ctx) {
    for (int& e : ctx.options.ends) e = 0;
}
void reset_center(Context& ctx) { ctx.options.centred = false; }
void reset_filclr(Context& ctx) { ctx.options.fill_colour = -1; }
void reset_grace(Context& ctx) { ctx.options.grace = 0; }
void reset_intax(Context& ctx) { ctx.options.integer_labels = false; }
void reset_lfttit(Context& ctx) { ctx.labels.title.justify = NAMJUS_CENT; }
void reset_lincyc(Context& ctx) {
    const PlotOptions fresh;
    for (int i = 0; i < 8; ++i) ctx.options.line_cycle[i] = fresh.line_cycle[i];
}
void reset_linesp(Context& ctx) { ctx.options.line_spacing = PlotOptions{}.line_spacing; }
void reset_mdfmat(Context& ctx) {
    const PlotOptions fresh;
    ctx.options.mdf_nx = fresh.mdf_nx;
    ctx.options.mdf_ny = fresh.mdf_ny;
    ctx.options.mdf_weight = fresh.mdf_weight;
}
void reset_neglog(Context& ctx) { ctx.options.neg_log = 0; }
void reset_nobgd(Context& ctx) { ctx.options.no_background = false; }
void reset_nofill(Context& ctx) { ctx.options.no_fill = false; }
void reset_rgtlab(Context& ctx) { ctx.labels.axis[AXIS_Y].justify = LABJUS_AUTO; }
void reset_shdcha(Context& ctx) { ctx.options.shaded_characters = false; }

const ResetKey OPTION_KEYS[] = {
    {"AUTR", reset_autres}, {"AXEN", reset_axends}, {"CENT", reset_center}, {"FILC", reset_filclr},
    {"GRAC", reset_grace},  {"INTA", reset_intax},  {"LFTT", reset_lfttit}, {"LINC", reset_lincyc},
    {"LINS", reset_linesp}, {"MDFM", reset_mdfmat}, {"NEGL", reset_neglog}, {"NOBG", reset_nobgd},
    {"NOFI", reset_nofill}, {"RGTL", reset_rgtlab}, {"SETR", reset_setres}, {"SHDC", reset_shdcha},
};

}  // namespace

const ResetKeys PlotOptions::reset_keys = OPTION_KEYS;

// The title and label settings that lfttit and rgtlab change belong to the
// labels part, which resets them itself.
void PlotOptions::reset(Context& ctx) { ctx.options = PlotOptions{}; }

void colour_point_size(const Context& ctx, double& w, double& h) {
    const PlotOptions& o = ctx.options;
    if (o.res_mode == RES_FIXED) {
        w = o.res_w;
        h = o.res_h;
    } else if (o.res_mode == RES_AUTO) {
        w = std::max(1.0, std::ceil(double(ctx.axes.axis[AXIS_X].length) / o.res_nx));
        h = std::max(1.0, std::ceil(double(ctx.axes.axis[AXIS_Y].length) / o.res_ny));
    } else {
        w = h = ctx.symbols.size;
    }
}

void autres(Context& ctx, int nx, int ny) {
    if (out_of_range(ctx, nx, 1, 100000) || out_of_range(ctx, ny, 1, 100000)) return;
    PlotOptions& o = ctx.options;
    o.res_mode = RES_AUTO;
    o.res_nx = nx;
    o.res_ny = ny;
}

void setres(Context& ctx, int npb, int nph) {
    if (out_of_range(ctx, npb, 1, 10000) || out_of_range(ctx, nph, 1, 10000)) return;
    PlotOptions& o = ctx.options;
    o.res_mode = RES_FIXED;
    o.res_w = npb;
    o.res_h = nph;
}

void axsscl(Context& ctx, const char* mode, const char* axes) { scale(ctx, mode, axes); }

void axends(Context& ctx, const char* mode, const char* axes) {
    const int k = keyword(ctx, "NONE+FIRS+LAST+BOTH", mode);
    if (!k) return;
    const int bits = axis_bits(ctx, axes);
    for (int i = 0; i < AXIS_COUNT; ++i)
        if (bits & (1 << i)) ctx.options.ends[i] = k - 1;
}

void center(Context& ctx) { ctx.options.centred = true; }

void grace(Context& ctx, int n) {
    if (!out_of_range(ctx, n, -10000, 10000)) ctx.options.grace = n;
}

void intax(Context& ctx) { ctx.options.integer_labels = true; }

void lfttit(Context& ctx) { ctx.labels.title.justify = NAMJUS_LEFT; }

void rgtlab(Context& ctx) { ctx.labels.axis[AXIS_Y].justify = LABJUS_RIGH; }

void linesp(Context& ctx, float factor) {
    if (!(factor > 0.0f && factor <= 100.0f)) return warn(ctx, 2);
    ctx.options.line_spacing = factor;
}

void neglog(Context& ctx, float eps) {
    if (!(eps >= 0.0f) || !std::isfinite(eps)) return warn(ctx, 2);
    ctx.options.neg_log = eps;
}

void inccrv(Context& ctx, int n) {
    if (!out_of_range(ctx, n, 1, 10000)) ctx.options.curves_per_change = n;
}

void lincyc(Context& ctx, int index, int style) {
    if (out_of_range(ctx, index, 1, 8) || out_of_range(ctx, style, 0, 7)) return;
    ctx.options.line_cycle[index - 1] = style;
}

void chnatt(Context& ctx) {
    PlotOptions& o = ctx.options;
    if (o.attribute_step == 0) o.first_colour = ctx.out.current_colour;
    ++o.attribute_step;
    set_colour(ctx, cycle_colour(ctx, o.attribute_step));
    lintyp(ctx, o.line_cycle[o.attribute_step % 8]);
}

void resatt(Context& ctx) {
    PlotOptions& o = ctx.options;
    if (o.attribute_step > 0 && o.first_colour >= 0) set_colour(ctx, o.first_colour);
    o.attribute_step = 0;
    lintyp(ctx, o.line_cycle[0]);
}

void filclr(Context& ctx, const char* name) {
    const int i = keyword(ctx, "NONE+WHIT+RED +GREE+YELL+BLUE+ORAN+CYAN+MAGE+BLAC+FORE+BACK", name);
    if (!i) return;
    const ColourState& cs = ctx.colour;
    ctx.options.fill_colour = i == 1    ? -1
                              : i <= 10 ? cs.named[i - 2]
                              : i == 11 ? cs.foreground
                                        : cs.background;
}

void nofill(Context& ctx) { ctx.options.no_fill = true; }

void nobgd(Context& ctx) { ctx.options.no_background = true; }

void shdcha(Context& ctx) { ctx.options.shaded_characters = true; }

void polmod(Context& ctx, const char* zero, const char* direction) {
    const int z = keyword(ctx, "RIGH+TOP +LEFT+BOTT", zero);
    if (!z) return;
    const int d = keyword(ctx, "ANTI+CLOC", direction);
    if (!d) return;
    ctx.options.polar_zero = z - 1;
    ctx.options.polar_clockwise = d == 2;
}

void mdfmat(Context& ctx, int nx, int ny, float weight) {
    if (out_of_range(ctx, nx, 1, 1000) || out_of_range(ctx, ny, 1, 1000)) return;
    if (!(weight > 0.0f && weight <= 100.0f)) return warn(ctx, 2);
    PlotOptions& o = ctx.options;
    o.mdf_nx = nx;
    o.mdf_ny = ny;
    o.mdf_weight = weight;
}

}  // namespace kal
