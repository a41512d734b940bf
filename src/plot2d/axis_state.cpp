// Defaults and reset keys of the axis settings, and the outside-scaling
// check.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/context.h"
#include "plot2d/axis_system.h"

namespace kal {
namespace {

int round_units(const Context& ctx, double value) {
    return int(std::floor(value / ctx.page.units + 0.5));
}

void reset_lengths(Context& ctx) {
    const PageState& p = ctx.page;
    AxisState& s = ctx.axes;
    s.axis[AXIS_X].length = std::max(2, int(std::floor((p.width + 1) * 2.0 / 3.0 + 0.5)));
    s.axis[AXIS_Y].length = std::max(2, int(std::floor((p.height + 1) * 2.0 / 3.0 + 0.5)));
    s.axis[AXIS_Z].length = s.axis[AXIS_Y].length;
}

void reset_position(Context& ctx) {
    AxisState& s = ctx.axes;
    s.corner_x = (ctx.page.width - s.axis[AXIS_X].length) / 2;
    s.corner_y = ctx.page.height - round_units(ctx, 300);
}

void reset_tick_lengths(Context& ctx) {
    ctx.axes.major_len = std::max(1, round_units(ctx, 24));
    ctx.axes.minor_len = std::max(1, round_units(ctx, 16));
}

template <class F>
void each_axis(Context& ctx, F f) {
    for (AxisSettings& a : ctx.axes.axis) f(a);
}

void reset_axslen(Context& ctx) { reset_lengths(ctx); }
void reset_axspos(Context& ctx) { reset_position(ctx); }
void reset_scale(Context& ctx) { each_axis(ctx, [](AxisSettings& a) { a.log = false; }); }
void reset_ticks(Context& ctx) { each_axis(ctx, [](AxisSettings& a) { a.ticks = 2; }); }
void reset_ticpos(Context& ctx) { each_axis(ctx, [](AxisSettings& a) { a.tick_pos = TICK_LABE; }); }
void reset_noline(Context& ctx) { each_axis(ctx, [](AxisSettings& a) { a.line = true; }); }
void reset_setscl(Context& ctx) { each_axis(ctx, [](AxisSettings& a) { a.auto_scale = false; }); }
void reset_axclrs(Context& ctx) {
    each_axis(ctx, [](AxisSettings& a) {
        for (int& c : a.colour) c = -1;
    });
}
void reset_setgrf(Context& ctx) {
    const AxisState d;
    for (int i = 0; i < 4; ++i) ctx.axes.side_level[i] = d.side_level[i];
}
void reset_nograf(Context& ctx) { ctx.axes.no_draw = false; }
void reset_frame(Context& ctx) { ctx.axes.frame = 1; }
void reset_logtic(Context& ctx) { ctx.axes.log_full = false; }
void reset_nochek(Context& ctx) { ctx.frame.checking_on = true; }

const ResetKey AXIS_KEYS[] = {
    {"AXSL", reset_axslen}, {"AXSP", reset_axspos}, {"SCAL", reset_scale},   {"TICK", reset_ticks},
    {"TICL", reset_tick_lengths}, {"TICP", reset_ticpos}, {"NOLI", reset_noline},
    {"SETS", reset_setscl}, {"AXCL", reset_axclrs}, {"SETG", reset_setgrf}, {"NOGR", reset_nograf},
    {"FRAM", reset_frame},  {"LOGT", reset_logtic}, {"NOCH", reset_nochek},
};

}  // namespace

const ResetKeys AxisState::reset_keys = AXIS_KEYS;

void AxisState::reset(Context& ctx) {
    ctx.axes = AxisState{};
    reset_lengths(ctx);
    reset_position(ctx);
    reset_tick_lengths(ctx);
}

int outside_scaling(Context& ctx, double x, double y) {
    const AxisState& s = ctx.axes;
    int result = 0;
    if (!(x >= s.x.umin && x <= s.x.umax))
        result = 1;
    else if (!(y >= s.y.umin && y <= s.y.umax))
        result = 2;
    if (result && ctx.frame.checking_on) {
        char line[64];
        std::snprintf(line, sizeof line, " <<<< (%12.4e /%12.4e) out of axis scaling!\n", x, y);
        message_line(ctx, line);
    }
    return result;
}

int frame_thickness(const Context& ctx) {
    return static_cast<int>(std::clamp(ctx.axes.frame, -1000, 1000));
}

}  // namespace kal
