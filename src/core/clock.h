// The one clock of the library: every date and time it writes comes from
// here. SOURCE_DATE_EPOCH, when set, fixes the time (taken as UTC) so that
// the same program writes byte-identical files.
#pragma once
#include <string>

namespace kal {

struct DateTime {
    int year, month, day, hour, minute, second;
};

DateTime now();
std::string date_text(const DateTime& t);  // "dd.mm.yyyy"
std::string time_text(const DateTime& t);  // "hh:mm:ss"

}  // namespace kal
