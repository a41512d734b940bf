// Date labels and the date routines basdat, incdat, trfdat and nwkday.
#include "plot2d/dates.h"

#include <climits>
#include <cstdio>

#include "api/routines_axis_labels_names_titles_and_numbers.h"
#include "core/context.h"
#include "core/frame.h"
#include "plot2d/calendar.h"

namespace kal {
namespace {

const char* const MONTHS_EN[12] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const MONTHS_DE[12] = {"Januar", "Februar", "M!arz",     "April",   "Mai",      "Juni",
                                   "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
const char* const DAYS_EN[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const DAYS_DE[7] = {"Montag",  "Dienstag",  "Mittwoch", "Donnerstag",
                                "Freitag", "Sonnabend", "Sonntag"};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string number(int n, int form) {
    char buf[16];
    std::snprintf(buf, sizeof buf, form == DATE_LONG ? "%02d" : "%d", n);
    return buf;
}

std::string day_part(const DateForm& f, int day, int weekday) {
    switch (f.day) {
        case DATE_SHORT:
        case DATE_LONG: return number(day, f.day);
        case DATE_NAME:
            // German weekdays in two letters would give "So" twice.
            if (f.german) return weekday == 6 ? "Sa" : std::string(DAYS_DE[weekday - 1], 2);
            return std::string(DAYS_EN[weekday - 1], 3);
        case DATE_FULL: return (f.german ? DAYS_DE : DAYS_EN)[weekday - 1];
        default: return "";
    }
}

std::string month_part(const DateForm& f, int month) {
    switch (f.month) {
        case DATE_SHORT:
        case DATE_LONG: return number(month, f.month);
        case DATE_NAME: {
            const std::string name = (f.german ? MONTHS_DE : MONTHS_EN)[month - 1];
            return name.substr(0, name[1] == '!' ? 4 : 3);  // keep the umlaut shift whole
        }
        case DATE_FULL: return (f.german ? MONTHS_DE : MONTHS_EN)[month - 1];
        case DATE_TINY: return std::string(1, MONTHS_EN[month - 1][0]);
        default: return "";
    }
}

std::string year_part(const DateForm& f, long year) {
    char buf[24];
    if (f.year == DATE_FULL) std::snprintf(buf, sizeof buf, "%4ld", year);
    else if (f.year == DATE_SHORT) std::snprintf(buf, sizeof buf, "%02ld", ((year % 100) + 100) % 100);
    else buf[0] = '\0';
    return buf;
}

// Warns and returns false when no base date is set.
bool have_base(Context& ctx) {
    if (ctx.labels.has_base_date) return true;
    custom_warning(ctx, 101, "no base date is defined with basdat");
    return false;
}

}  // namespace

std::string date_label(const DateForm& f, long day) {
    long y;
    int m, d;
    civil_from_days(day, y, m, d);
    std::string parts[3];
    for (int i = 0; i < 3; ++i) {
        switch (f.order[i]) {
            case 'D': parts[i] = day_part(f, d, weekday_of(day)); break;
            case 'M': parts[i] = month_part(f, m); break;
            default: parts[i] = year_part(f, y); break;
        }
        if (f.upper) parts[i] = upper(parts[i]);
    }
    std::string out;
    for (const std::string& p : parts) {
        if (p.empty()) continue;
        if (!out.empty()) out += f.separator;
        out += p;
    }
    return out;
}

void basdat(Context& ctx, int day, int month, int year) {
    if (bad_date(ctx, day, month, year)) return;
    ctx.labels.has_base_date = true;
    ctx.labels.base_day = days_from_civil(year, month, day);
}

int incdat(Context& ctx, int day, int month, int year) {
    if (!have_base(ctx) || bad_date(ctx, day, month, year)) return 0;
    const long long n = static_cast<long long>(days_from_civil(year, month, day)) - ctx.labels.base_day;
    if (n < INT_MIN || n > INT_MAX) {  // a day number the result cannot hold
        warn_int(ctx, 2, year);
        return 0;
    }
    return static_cast<int>(n);
}

void trfdat(Context& ctx, int n, int* day, int* month, int* year) {
    long y = 0;
    int m = 0, d = 0;
    if (have_base(ctx)) civil_from_days(ctx.labels.base_day + n, y, m, d);
    if (day) *day = d;
    if (month) *month = m;
    if (year) *year = static_cast<int>(y);
}

int nwkday(Context& ctx, int day, int month, int year) {
    if (bad_date(ctx, day, month, year)) return 0;
    return weekday_of(days_from_civil(year, month, day));
}

}  // namespace kal
