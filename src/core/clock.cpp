#include "core/clock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kal {

DateTime now() {
    std::tm tm{};
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    bool fixed = false;
    if (epoch && *epoch) {
        char* end = nullptr;
        errno = 0;
        long long seconds = std::strtoll(epoch, &end, 10);
        if (errno == 0 && end && *end == '\0' && seconds >= 0) {
            std::time_t t = static_cast<std::time_t>(seconds);
            fixed = gmtime_r(&t, &tm) != nullptr;
        }
    }
    if (!fixed) {
        std::time_t t = std::time(nullptr);
        localtime_r(&t, &tm);
    }
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string date_text(const DateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%4d", t.day, t.month, t.year);
    return buf;
}

std::string time_text(const DateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

}  // namespace kal
