// Automatic scaling and tick positions of axes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/context.h"
#include "plot2d/axis_draw.h"
#include "plot2d/calendar.h"

namespace {

struct Scaled {
    kal::Context ctx;
    Scaled() { ctx.frame.unit = kal::UNIT_NONE; }
    kal::AutoScale run(int axis, double lo, double hi, int length, bool log = false, int type = kal::LABEL_FLOA) {
        ctx.axes.axis[axis].auto_min = lo;
        ctx.axes.axis[axis].auto_max = hi;
        ctx.labels.axis[axis].type = type;
        return kal::automatic_scale(ctx, axis, log, length);
    }
};

TEST(AutomaticScale, DecimalStepsFollowAxisLength) {
    Scaled s;
    kal::AutoScale r = s.run(kal::AXIS_X, 0.3, 0.8, 1000);
    EXPECT_DOUBLE_EQ(r.step, 0.1);
    EXPECT_EQ(r.digits, 1);
    EXPECT_DOUBLE_EQ(r.first, 0.3);
    EXPECT_DOUBLE_EQ(r.a, 0.3);
    EXPECT_DOUBLE_EQ(r.e, 0.8);
    r = s.run(kal::AXIS_X, 0.3, 0.8, 999);
    EXPECT_DOUBLE_EQ(r.step, 0.2);
    EXPECT_NEAR(r.first, 0.4, 1e-12);   // the first multiple of the step inside
    // A one-decade range on a long axis gets finer steps and a digit more.
    r = s.run(kal::AXIS_Y, 0, 10, 1000);
    EXPECT_DOUBLE_EQ(r.step, 2);
    EXPECT_EQ(r.digits, -1);
    r = s.run(kal::AXIS_Y, 0, 1, 1000);
    EXPECT_DOUBLE_EQ(r.step, 0.2);
    EXPECT_EQ(r.digits, 1);
    r = s.run(kal::AXIS_Y, 0, 300, 700);
    EXPECT_DOUBLE_EQ(r.step, 50);
    EXPECT_EQ(r.digits, -1);
}

TEST(AutomaticScale, LogarithmicAxes) {
    Scaled s;
    kal::AutoScale r = s.run(kal::AXIS_X, 1, 1000, 1980, true);
    EXPECT_DOUBLE_EQ(r.a, 0);
    EXPECT_DOUBLE_EQ(r.e, 3);
    EXPECT_DOUBLE_EQ(r.step, 1);
    EXPECT_DOUBLE_EQ(r.first, 0);
    r = s.run(kal::AXIS_X, -5, -1, 1980, true);   // warnings 23 and 24
    EXPECT_DOUBLE_EQ(r.a, -1);
    EXPECT_DOUBLE_EQ(r.umin, 0.1);
    EXPECT_DOUBLE_EQ(r.umax, 1.0);
    EXPECT_EQ(s.ctx.frame.warnings, 2);
}

TEST(AutomaticScale, TimeAxes) {
    Scaled s;
    kal::AutoScale r = s.run(kal::AXIS_X, 0, 45, 1980, false, kal::LABEL_TIME);
    EXPECT_DOUBLE_EQ(r.step, 10);
    EXPECT_EQ(r.time_mark, kal::TIME_MARK_SECONDS);
    r = s.run(kal::AXIS_X, 100, 1900, 1980, false, kal::LABEL_SECO);   // 30 minutes
    EXPECT_DOUBLE_EQ(r.step, 600);
    EXPECT_DOUBLE_EQ(r.first, 600);
    EXPECT_EQ(r.time_mark, kal::TIME_MARK_MINUTES);
    r = s.run(kal::AXIS_X, 0, 86400, 1980, false, kal::LABEL_HOUR);    // 24 hours: 4-hour steps
    EXPECT_DOUBLE_EQ(r.step, 4 * 3600);
    r = s.run(kal::AXIS_X, 0, 5 * 86400, 1980, false, kal::LABEL_HOUR); // 120 h: 1-day steps
    EXPECT_DOUBLE_EQ(r.step, 24 * 3600);
}

TEST(AutomaticScale, DateAxes) {
    Scaled s;
    s.ctx.labels.base_day = kal::days_from_civil(2020, 1, 1);
    kal::AutoScale r = s.run(kal::AXIS_X, 0.2, 20, 1980, false, kal::LABEL_DATE);
    EXPECT_DOUBLE_EQ(r.step, 7);
    EXPECT_EQ(r.month_interval, 0);
    // From 10 February 2020: a year in quarters from 1 April, two years in
    // halves from 1 July.
    const double from = 40;
    r = s.run(kal::AXIS_X, from, from + 365, 1980, false, kal::LABEL_DATE);
    EXPECT_EQ(r.month_interval, 2);
    EXPECT_DOUBLE_EQ(r.first, kal::days_from_civil(2020, 4, 1) - s.ctx.labels.base_day);
    r = s.run(kal::AXIS_X, from, from + 730, 1980, false, kal::LABEL_DATE);
    EXPECT_EQ(r.month_interval, 3);
    EXPECT_DOUBLE_EQ(r.first, kal::days_from_civil(2020, 7, 1) - s.ctx.labels.base_day);
    r = s.run(kal::AXIS_X, from, from + 100, 1980, false, kal::LABEL_DATE);
    EXPECT_EQ(r.month_interval, 1);
    EXPECT_DOUBLE_EQ(r.first, kal::days_from_civil(2020, 3, 1) - s.ctx.labels.base_day);
    r = s.run(kal::AXIS_X, from, from + 2000, 1980, false, kal::LABEL_DATE);
    EXPECT_EQ(r.month_interval, 4);
    EXPECT_DOUBLE_EQ(r.first, kal::days_from_civil(2021, 1, 1) - s.ctx.labels.base_day);
}

std::vector<double> values(const std::vector<kal::TickMark>& ticks, bool major) {
    std::vector<double> v;
    for (const kal::TickMark& t : ticks)
        if (t.major == major) v.push_back(std::round(t.value * 1000) / 1000);
    std::sort(v.begin(), v.end());
    return v;
}

TEST(Ticks, LinearAndDescending) {
    kal::TickSpec t;
    t.a = 0.3; t.e = 1.1; t.first = 0.4; t.step = 0.2; t.per_step = 2;
    std::vector<kal::TickMark> m = kal::tick_marks(t);
    EXPECT_EQ(values(m, true), (std::vector<double>{0.4, 0.6, 0.8, 1.0}));
    EXPECT_EQ(values(m, false), (std::vector<double>{0.3, 0.5, 0.7, 0.9, 1.1}));
    t.a = 10; t.e = 0; t.first = 10; t.step = -5; t.per_step = 1;
    EXPECT_EQ(values(kal::tick_marks(t), true), (std::vector<double>{0, 5, 10}));
    t.per_step = 0;
    EXPECT_TRUE(kal::tick_marks(t).empty());
    t.a = 0; t.e = 1e12; t.first = 0; t.step = 1e-3; t.per_step = 1;   // far too many
    EXPECT_TRUE(kal::tick_marks(t).empty());
    t.a = 3; t.e = 0; t.first = 1e-30; t.step = 1e-30; t.per_step = 2;   // wrong sign: no value
    EXPECT_TRUE(kal::tick_marks(t).empty());
}

TEST(Ticks, LogarithmicDecades) {
    kal::TickSpec t;
    t.a = 0; t.e = 2; t.first = 0; t.step = 1; t.per_step = 2; t.log = true;
    std::vector<kal::TickMark> m = kal::tick_marks(t);
    EXPECT_EQ(values(m, true), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(values(m, false).size(), 16u);   // 2..9 in two decades
    EXPECT_DOUBLE_EQ(values(m, false)[0], 0.301);
    // A step of two decades gets decade ticks only in the FULL mode.
    t.e = 4; t.step = 2;
    EXPECT_EQ(values(kal::tick_marks(t), true), (std::vector<double>{0, 2, 4}));
    t.log_full = true;
    EXPECT_EQ(values(kal::tick_marks(t), true), (std::vector<double>{0, 1, 2, 3, 4}));
}

// Date ticks: majors on the label dates, minors on the named boundaries.
TEST(Ticks, DateAxes) {
    kal::TickSpec t;
    t.date = true;
    t.base_day = kal::days_from_civil(2020, 1, 1);
    const auto day = [&](int y, int m, int d) { return double(kal::days_from_civil(y, m, d) - t.base_day); };
    t.a = day(2020, 2, 10);
    t.e = day(2021, 2, 10);
    t.first = day(2020, 4, 1);
    t.month_interval = 2;   // quarters
    std::vector<kal::TickMark> m = kal::tick_marks(t);
    EXPECT_EQ(values(m, true), (std::vector<double>{day(2020, 4, 1), day(2020, 7, 1), day(2020, 10, 1),
                                                    day(2021, 1, 1)}));
    // Without a mode the months between the labels get minor ticks.
    EXPECT_EQ(values(m, false).size(), 8u);
    t.tick_mode = kal::TICMOD_DAYS;
    EXPECT_EQ(values(kal::tick_marks(t), false).size(), 367u - 4);   // 2020 is a leap year
    // A week-step axis: labels every 7 days, minor ticks on month starts.
    t.month_interval = 0;
    t.tick_mode = kal::TICMOD_MONT;
    t.a = 20; t.e = 60; t.first = 20; t.step = 7;
    m = kal::tick_marks(t);
    EXPECT_EQ(values(m, true), (std::vector<double>{20, 27, 34, 41, 48, 55}));
    EXPECT_EQ(values(m, false), (std::vector<double>{day(2020, 2, 1), day(2020, 3, 1)}));
}

}  // namespace
