// Automatic scaling: setscl keeps the data range of each named axis, graf
// turns it into limits, first label, step and label digits.
#include <algorithm>
#include <cmath>

#include "api/routines_axis_systems.h"
#include "core/context.h"
#include "plot2d/axis_draw.h"
#include "plot2d/calendar.h"

namespace kal {
namespace {

bool exp_type(int type) { return type == LABEL_EXP || type == LABEL_FEXP; }
bool time_type(int type) { return type == LABEL_TIME || type == LABEL_HOUR || type == LABEL_SECO; }

// Linear and logarithmic axes: a step of 1, 2 or 5 (0.2, 0.5) times a power
// of ten that gives at least `threshold` plot units between labels where the
// axis is long enough; the limits stay the data limits.
void decimal_scale(AutoScale& r, int type, bool log, int length, int threshold) {
    const double d = r.e - r.a;
    int p = 0;
    for (int i = 0; i < 50 && d / std::pow(10.0, p) >= 10; ++i) ++p;
    for (int i = 0; i < 50 && d / std::pow(10.0, p) < 1; ++i) --p;
    const double unit = std::pow(10.0, p);
    const int m = int(d / unit);
    double step = unit;
    int digits = p < 0 ? -p : -1;
    const auto finer = [&](double factor) {
        step = factor * unit;
        if (p < 0) ++digits;
        if (p == 0) digits = 1;
    };
    if (m >= 5) {
        if (length / m < threshold || (m > 6 && exp_type(type))) step = 2 * unit;
    } else if (m == 1 && length / 2 >= threshold) {
        finer(length / 5 < threshold ? 0.5 : 0.2);
    } else if ((m == 2 || m == 3) && !log && length / (2 * m) >= threshold) {
        finer(0.5);
    }
    if (exp_type(type)) digits = 1;
    const double ratio = r.a / step;
    long long k = std::fabs(ratio) < 1e18 ? (long long)ratio : 0;
    if (std::fabs(ratio - double(k)) > 1e-15) {
        if (r.a >= 0) ++k;
        r.first = double(k) * step;
    } else {
        r.first = r.a;
    }
    if (exp_type(type)) {
        for (long long v = k < 0 ? -k : k; v > 2; v /= 10) ++digits;
    }
    r.step = step;
    r.digits = digits;
}

// Time axes in seconds: steps of whole seconds, minutes or hours.
void time_scale(AutoScale& r) {
    const double d = std::trunc(r.e - r.a);
    double step;
    if (d >= 120) {
        const double minutes = std::trunc(d / 60);
        if (minutes < 8) step = 1;
        else if (minutes < 15) step = 2;
        else if (minutes < 30) step = 5;
        else if (minutes < 60) step = 10;
        else if (minutes < 120) step = 15;
        else if (minutes < 240) step = 30;
        else {
            const double hours = std::trunc(minutes / 60);
            double power = 1;
            for (int i = 0; i < 400 && std::trunc(hours / power) > 9; ++i) power *= 10;
            const double q = std::trunc(hours / power);
            step = 60.0 * power;
            if (q == 1) step *= 0.2;
            else if (q == 2 || q == 3) step *= 0.4;
            else if (q >= 8) step *= 2;
            if (step >= 300) step *= 1.2;
        }
        step *= 60;
        r.time_mark = TIME_MARK_MINUTES;
    } else {
        if (d < 8) step = 1;
        else if (d < 15) step = 2;
        else if (d < 30) step = 5;
        else if (d < 60) step = 10;
        else step = 20;
        r.time_mark = TIME_MARK_SECONDS;
    }
    // The first multiple of the step at or after the start.
    const double start = std::round(r.a), s = std::round(step);
    r.first = std::fmod(start, s) != 0 ? std::ceil(start / s) * s : r.a;
    r.step = step;
}

// Date axes in days from the base date: steps of days or weeks for short
// ranges, else labels on month starts every 1, 3, 6 or 12 months.
void date_scale(AutoScale& r, long base_day) {
    r.step = 1;
    r.month_interval = 0;
    r.first = std::trunc(r.a + 0.5);
    const double d = r.e - r.a;
    if (d < 6) return;
    if (d < 11) { r.step = 2; return; }
    if (d < 16) { r.step = 3; return; }
    if (d < 36) { r.step = 7; return; }
    long year;
    int month, day;
    // Days beyond a million years either side have no calendar here (and
    // would not fit the day count): the labels start within that range.
    civil_from_days(base_day + long(std::clamp(r.first, -4e8, 4e8)), year, month, day);
    if (day != 1 && ++month > 12) {
        month = 1;
        ++year;
    }
    r.month_interval = d < 160 ? 1 : d < 500 ? 2 : d < 1000 ? 3 : 4;
    static const int period[] = {1, 1, 3, 6, 12};
    const int every = period[r.month_interval];
    while (month % every != 1 % every) {
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    r.first = double(days_from_civil(year, month, 1) - base_day);
}

}  // namespace

AutoScale automatic_scale(Context& ctx, int axis, bool log, int length) {
    const AxisSettings& s = ctx.axes.axis[axis];
    const int type = ctx.labels.axis[axis].type;
    AutoScale r;
    r.umin = s.auto_min;
    r.umax = s.auto_max;
    r.a = s.auto_min;
    r.e = s.auto_max;
    r.digits = ctx.labels.axis[axis].digits;
    if (log) {
        if (r.a > 0) {
            r.a = std::log10(r.a);
        } else {
            warn(ctx, 23);
            r.a = -1;
            r.umin = 0.1;
        }
        if (r.e > 0) {
            r.e = std::log10(r.e);
        } else {
            warn(ctx, 24);
            r.e = 0;
            r.umax = 1.0;
        }
        if (r.e - r.a < 1e-35) r.e = r.a + 1;   // both replaced, or a maximum below 0.1
    }
    if (!log && time_type(type)) {
        time_scale(r);
    } else if (!log && type == LABEL_DATE) {
        date_scale(r, ctx.labels.base_day);
    } else {
        decimal_scale(r, type, log, length, axis == AXIS_X ? 200 : 100);
    }
    return r;
}

void setscl(Context& ctx, const float* values, int n, const char* keyword) {
    AxisState& st = ctx.axes;
    const auto key3 = [&](const char* k) {
        for (int i = 0; i < 3; ++i) {
            const char c = keyword[i] >= 'a' && keyword[i] <= 'z' ? char(keyword[i] - 32) : keyword[i];
            if (c != k[i]) return false;
        }
        return true;
    };
    if (key3("RES")) {
        for (AxisSettings& a : st.axis) a.auto_scale = false;
        return;
    }
    static const char* const ONE_RESET[] = {"XRE", "YRE", "ZRE"};
    for (int i = 0; i < AXIS_COUNT; ++i) {
        if (key3(ONE_RESET[i])) {
            st.axis[i].auto_scale = false;
            return;
        }
    }
    const int bits = axis_bits(ctx, keyword);
    if (!bits) return;
    if (n < 1) {
        warn_int(ctx, 2, n);
        return;
    }
    double lo = 0, hi = 0;
    bool any = false;
    for (int i = 0; i < n; ++i) {
        const double v = values[i];
        if (!std::isfinite(v)) continue;
        if (!any || v < lo) lo = v;
        if (!any || v > hi) hi = v;
        any = true;
    }
    if (!any) {
        warn_text(ctx, 2, "no finite value");
        return;
    }
    if (hi - lo < 1e-35) {
        warn(ctx, 25);
        lo -= 1;
        hi += 1;
    }
    for (int i = 0; i < AXIS_COUNT; ++i) {
        if (!(bits & (1 << i))) continue;
        st.axis[i].auto_scale = true;
        st.axis[i].auto_min = lo;
        st.axis[i].auto_max = hi;
    }
}

}  // namespace kal
