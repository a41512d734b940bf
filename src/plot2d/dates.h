// Date labels: a civil day written in the labmod forms.
#pragma once
#include <string>

#include "plot2d/labels.h"

namespace kal {

// The label of civil day `day` (calendar.h) in the forms of `form`. German
// names carry "!" as the GERM shift before umlauts ("M!arz").
std::string date_label(const DateForm& form, long day);

}  // namespace kal
