// The text of one axis label by the label type of its axis.
#pragma once
#include <string>

#include "plot2d/labels.h"

namespace kal {

struct LabelText {
    std::string text;
    bool raised = false;   // uses the exponent control characters
    bool german = false;   // German date names: "!" is the GERM shift
    bool numeric = false;  // digits that numode EQUA lines up
};

// Label of value v (an exponent of 10 on a logarithmic axis) on `axis`;
// k counts the labels of the side from 0 (MYLA), step is the label step.
LabelText label_text(const Context& ctx, int axis, double v, bool log, double step, int k);

// Time of day of t seconds: TIME "hhmm", HOUR "h", SECO "hhmmss"; with
// colons "hh:mm" and "hh:mm:ss".
std::string time_label(int type, double t, bool colons);

}  // namespace kal
