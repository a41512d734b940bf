#include "plot2d/label_values.h"

#include <cmath>

#include "core/context.h"
#include "core/frame.h"
#include "plot2d/calendar.h"

namespace kal {
namespace {

// More labels than this on one side is a scaling fault, not a plot.
constexpr int MAX_LABELS = 10000;

// The months between two labels of a date axis (0: labels by days).
int month_interval(const Context& ctx, int axis) {
    const int step = ctx.labels.axis[axis].date.step;
    return step == DATE_STEP_AXIS ? ctx.axes.month_interval[axis] : step;
}

bool too_many(Context& ctx, double count) {
    if (count <= MAX_LABELS) return false;
    custom_warning(ctx, 101, "too many labels on one axis");
    return true;
}

}  // namespace

std::vector<long> month_starts(long first, long last, int interval) {
    static const int MONTHS[] = {0, 1, 3, 6, 12};
    const int months = MONTHS[interval < 1 || interval > 4 ? 1 : interval];
    long y;
    int m, d;
    civil_from_days(first, y, m, d);
    if (d != 1) ++m;
    while ((m - 1) % months != 0) ++m;
    std::vector<long> days;
    for (;; m += months) {
        y += (m - 1) / 12;
        m = (m - 1) % 12 + 1;
        const long day = days_from_civil(y, m, 1);
        if (day > last || days.size() > MAX_LABELS) break;
        days.push_back(day);
    }
    return days;
}

std::vector<LabelSpot> label_spots(Context& ctx, const AxisSide& side) {
    std::vector<LabelSpot> spots;
    const LabelAxis& la = ctx.labels.axis[side.axis];
    const int interval = la.type == LABEL_DATE && !side.log ? month_interval(ctx, side.axis) : 0;
    std::vector<double> values;
    if (interval > 0) {
        if (!ctx.labels.has_base_date) {
            custom_warning(ctx, 101, "no base date is defined with basdat");
            return spots;
        }
        const double lo = std::min(side.first, side.e), hi = std::max(side.first, side.e);
        if (!(hi - lo < 3.6e8) || too_many(ctx, (hi - lo) / 28)) return spots;
        const long base = ctx.labels.base_day;
        for (long day : month_starts(base + long(std::floor(lo + 0.5)), base + long(std::floor(hi)), interval))
            values.push_back(double(day - base));
    } else {
        const double count = (side.e - side.first) / side.step + 0.0001;
        if (!std::isfinite(count) || count < 0 || too_many(ctx, count)) return spots;
        for (int k = 0; k <= int(count); ++k) values.push_back(side.first + k * side.step);
    }
    const bool centre = la.position == LABPOS_CENT;
    const size_t n = centre && !values.empty() ? values.size() - 1 : values.size();
    for (size_t k = 0; k < n; ++k) {
        const double v = values[k];
        if (side.crossed && !side.log && std::fabs(v) < 1e-6 * std::fabs(side.step)) continue;
        spots.push_back({v, centre ? (v + values[k + 1]) / 2 : v, int(k)});
    }
    return spots;
}

}  // namespace kal
