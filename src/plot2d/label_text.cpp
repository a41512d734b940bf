// Label strings by label type.
#include "plot2d/label_text.h"

#include <cmath>
#include <cstdio>

#include "core/context.h"
#include "plot2d/dates.h"
#include "plot2d/number_format.h"

namespace kal {
namespace {

// Exponents of log labels are written as integers when they are whole.
int exponent_digits(double v, int digits) {
    return std::fabs(v - std::round(v)) < 1e-6 ? -1 : digits;
}

// Degrees with a raised "o"; for DMAP and LMAP the sign becomes a letter.
LabelText degree_label(int type, int digits, int axis, double v, const NumberMode& mode, Raise raise) {
    LabelText out;
    out.raised = true;
    out.numeric = true;
    const bool letters = type != LABEL_MAP && axis != AXIS_Z && std::fabs(v) >= 0.001;
    out.text = fixed_text(letters ? std::fabs(v) : v, digits, mode) + raise.exp + 'o' + raise.reset;
    if (letters) {
        char c = axis == AXIS_X ? (v > 0 ? 'E' : 'W') : (v > 0 ? 'N' : 'S');
        if (type == LABEL_LMAP) c = static_cast<char>(c - 'A' + 'a');
        out.text += ' ';
        out.text += c;
    }
    return out;
}

}  // namespace

std::string time_label(int type, double t, bool colons) {
    if (!std::isfinite(t)) return "";
    constexpr long long DAY = 86400;
    long long sec = std::llround(std::fmod(std::round(t), double(DAY)));
    if (sec < 0) sec += DAY;
    long long hours = sec / 3600 % 24;
    const long long rest = sec % 3600;
    long long minutes = type == LABEL_SECO ? rest / 60 : std::llround(rest / 60.0);
    const long long seconds = rest - 60 * minutes;
    if (minutes == 60) {
        minutes = 0;
        hours = (hours + 1) % 24;
    }
    char buf[32];
    if (type == LABEL_HOUR) std::snprintf(buf, sizeof buf, "%lld", hours);
    else if (type == LABEL_SECO)
        std::snprintf(buf, sizeof buf, colons ? "%02lld:%02lld:%02lld" : "%02lld%02lld%02lld", hours, minutes,
                      seconds);
    else std::snprintf(buf, sizeof buf, colons ? "%02lld:%02lld" : "%02lld%02lld", hours, minutes);
    return buf;
}

LabelText angle_label(const Context& ctx, double degrees) {
    return degree_label(LABEL_MAP, ctx.labels.axis[AXIS_Y].digits, AXIS_Y, degrees, ctx.labels.mode,
                        current_raise(ctx));
}

LabelText label_text(const Context& ctx, int axis, double v, bool log, double step, int k) {
    const LabelAxis& la = ctx.labels.axis[axis];
    const NumberMode& mode = ctx.labels.mode;
    const Raise raise = current_raise(ctx);
    LabelText out;
    // intax: plain numbers as integers on every axis.
    const int float_digits = ctx.options.integer_labels ? -1 : la.digits;
    switch (la.type) {
        case LABEL_FLOA:
            out.text = fixed_text(log ? std::pow(10.0, v) : v, float_digits, mode);
            break;
        case LABEL_LOG:
        case LABEL_CLOG:
            if (!log) {
                out.text = fixed_text(v, float_digits, mode);
                break;
            }
            out.text = power_text(v, exponent_digits(v, la.digits), mode, raise);
            out.raised = true;
            break;
        case LABEL_ELOG:
            out.text = fixed_text(v, log ? exponent_digits(v, la.digits) : la.digits, mode);
            break;
        case LABEL_EXP:
        case LABEL_FEXP: {
            double x = log ? std::pow(10.0, v) : v;
            if (!log && std::fabs(x) < 1e-7 && std::fabs(x) < std::fabs(step) / 2) x = 0;
            out.text = exp_text(x, la.digits, mode, la.type == LABEL_FEXP, raise);
            out.raised = la.type == LABEL_EXP;
            break;
        }
        case LABEL_MAP:
        case LABEL_DMAP:
        case LABEL_LMAP: return degree_label(la.type, la.digits, axis, v, mode, raise);
        case LABEL_TIME:
        case LABEL_HOUR:
        case LABEL_SECO: out.text = time_label(la.type, v, ctx.labels.time_colons); break;
        case LABEL_MYLA:
            if (k >= 0 && k < MAX_MYLAB) out.text = la.mylab[k];
            break;
        case LABEL_DATE: {
            const double day = std::floor(v + 0.5);
            // Days beyond a million years are no dates.
            if (!ctx.labels.has_base_date || !(std::fabs(day) < 3.6e8)) break;
            out.text = date_label(la.date, ctx.labels.base_day + static_cast<long>(day));
            out.german = la.date.german;
            break;
        }
        default: break;
    }
    if (la.type != LABEL_MYLA && la.type != LABEL_DATE) out.numeric = true;
    return out;
}

}  // namespace kal
