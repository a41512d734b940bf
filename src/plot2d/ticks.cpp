// Tick positions of one axis: linear steps, decades with their minor ticks
// on logarithmic axes, and calendar boundaries on date axes.
#include <algorithm>
#include <cmath>

#include "plot2d/axis_draw.h"
#include "plot2d/calendar.h"

namespace kal {
namespace {

bool near_integer(double v) { return std::fabs(v - std::round(v)) < 1e-4; }

// Ticks at first + i * spacing over [a, e]; every n-th is major.
bool stepped(const TickSpec& t, double spacing, int n, std::vector<TickMark>& out) {
    const double lo = -std::trunc((t.first - t.a) / spacing + 0.0001);
    const double hi = std::trunc((t.e - t.first) / spacing + 0.0001);
    if (lo > hi) return true;   // a step of the wrong sign reaches no value
    if (!(hi - lo < MAX_TICKS && std::fabs(lo) < 1e15 && std::fabs(hi) < 1e15)) return false;   // also NaN
    for (long i = long(lo); i <= long(hi); ++i)
        out.push_back({t.first + double(i) * spacing, i % n == 0});
    return true;
}

// Minor ticks log10(j * 10^k), j = 2 .. 9, inside the axis.
void decade_minors(const TickSpec& t, std::vector<TickMark>& out) {
    const double lo = std::min(t.a, t.e), hi = std::max(t.a, t.e);
    if (!(hi - lo < MAX_TICKS / 8)) return;
    for (double k = std::floor(lo); k <= std::ceil(hi); ++k) {
        for (int j = 2; j <= 9; ++j) {
            const double v = k + std::log10(double(j));
            if (v >= lo - 1e-9 && v <= hi + 1e-9) out.push_back({v, false});
        }
    }
}

// Date axes. Major ticks are the label dates: every label step from the
// first label, or with a month interval the first days of every 1, 3, 6 or
// 12 months from the first label. Minor ticks mark the boundaries that
// ticmod names: DAYS every day, MONT every first of a month, QUAR the first
// of January, April, July and October, HALF of January and July, YEAR of
// January, DMON every day and, with major length, every first of a month.
// A boundary on a label date keeps its major tick. Without a ticmod mode a month-interval axis gets minor ticks on the month
// starts between its labels; a day-step axis keeps the ticks setting.
bool date_ticks(const TickSpec& t, std::vector<TickMark>& out) {
    const double lo = std::min(t.a, t.e), hi = std::max(t.a, t.e);
    const long first_day = long(std::floor(lo)), last_day = long(std::ceil(hi));
    if (!(double(last_day) - double(first_day) < MAX_TICKS)) return false;
    static const int period[] = {1, 1, 3, 6, 12};
    const int every = t.month_interval > 0 && t.month_interval <= 4 ? period[t.month_interval] : 0;

    if (every) {
        long year;
        int month, day;
        civil_from_days(t.base_day + long(std::round(t.first)), year, month, day);
        long months = year * 12 + (month - 1);
        for (int guard = 0; guard < MAX_TICKS; ++guard, months += every) {
            const double v = double(days_from_civil(months / 12, int(months % 12) + 1, 1) - t.base_day);
            if (v > hi + 1e-9) break;
            if (v >= lo - 1e-9) out.push_back({v, true});
        }
    } else if (!stepped(t, t.step, 1, out)) {
        return false;
    }

    int mode = t.tick_mode;
    if (mode == TICMOD_NONE) {
        if (!every) {
            out.clear();
            return stepped(t, t.step / std::max(1, t.per_step), std::max(1, t.per_step), out);
        }
        if (every == 1) return true;
        mode = TICMOD_MONT;
    }
    std::vector<long> labels;
    for (const TickMark& m : out) labels.push_back(std::lround(m.value));
    std::sort(labels.begin(), labels.end());
    const auto on_label = [&](double v) { return std::binary_search(labels.begin(), labels.end(), long(v)); };
    for (long z = first_day; z <= last_day; ++z) {
        const double v = double(z);
        if (v < lo - 1e-9 || v > hi + 1e-9 || on_label(v)) continue;
        long year;
        int month, day;
        civil_from_days(t.base_day + z, year, month, day);
        bool mark = false, major = false;
        switch (mode) {
            case TICMOD_DAYS: mark = true; break;
            case TICMOD_MONT: mark = day == 1; break;
            case TICMOD_QUAR: mark = day == 1 && month % 3 == 1; break;
            case TICMOD_HALF: mark = day == 1 && month % 6 == 1; break;
            case TICMOD_YEAR: mark = day == 1 && month == 1; break;
            case TICMOD_DMON: mark = true; major = day == 1; break;
        }
        if (mark) out.push_back({v, major});
    }
    return true;
}

}  // namespace

std::vector<TickMark> tick_marks(const TickSpec& t) {
    std::vector<TickMark> out;
    if (t.per_step < 1) return out;
    bool ok;
    if (t.date && !t.log && (t.month_interval > 0 || t.tick_mode != TICMOD_NONE)) {
        ok = date_ticks(t, out);
    } else if (t.log && t.per_step >= 2 && near_integer(t.first) &&
               (t.log_full ? near_integer(t.step) : std::fabs(std::fabs(t.step) - 1) < 1e-4)) {
        TickSpec decades = t;
        decades.first = std::round(t.first);
        ok = stepped(decades, t.step < 0 ? -1 : 1, 1, out);
        if (ok) decade_minors(t, out);
    } else {
        ok = stepped(t, t.step / t.per_step, t.per_step, out);
    }
    if (!ok || out.size() > size_t(MAX_TICKS)) out.clear();
    return out;
}

}  // namespace kal
