#include "core/fatal.h"

#include <cstdio>

namespace kal {

void fatal(const std::string& printed) {
    std::fputs(printed.c_str(), stdout);
    std::fflush(stdout);
    std::string text = printed;
    if (text.rfind(">>>> ", 0) == 0) text.erase(0, 5);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    throw Fatal(text);
}

}  // namespace kal
