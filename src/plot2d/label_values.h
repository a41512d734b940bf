// Which labels an axis side gets and where along the axis they sit.
#pragma once
#include <vector>

#include "plot2d/labels.h"

namespace kal {

struct LabelSpot {
    double value;  // the value the label writes (an exponent on a log axis)
    double at;     // its place along the axis, in the same units
    int k;         // its number on the side, from 0
};

// The labels of one side: or + k * step up to e, or the month starts of a
// date axis with a month interval; with labpos CENT halfway to the next
// label (the last one left out); on a crossed system without the label at 0.
std::vector<LabelSpot> label_spots(Context& ctx, const AxisSide& side);

// Civil day numbers of the month starts from `first` to `last` every
// interval (1 months, 2 quarters, 3 half years, 4 years); the first start
// is the first day of a month on or after `first` whose month is 1 modulo
// the interval's months.
std::vector<long> month_starts(long first, long last, int interval);

}  // namespace kal
