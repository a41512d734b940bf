// Proleptic Gregorian calendar arithmetic on civil day numbers (days since
// 1970-01-01), shared by date labels, date ticks and date scaling.
#pragma once

namespace kal {

constexpr long days_from_civil(long y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr void civil_from_days(long z, long& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

// Weekday 1 (Monday) to 7 (Sunday) of a civil day number.
constexpr int weekday_of(long z) { return int(((z % 7) + 7 + 3) % 7) + 1; }

static_assert(days_from_civil(1970, 1, 1) == 0);
static_assert(weekday_of(days_from_civil(2026, 12, 7)) == 1);

}  // namespace kal
