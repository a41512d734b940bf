#include "core/fatal.h"

#include <cstdio>

#include "core/message_out.h"

namespace kal {

void fatal(const std::string& printed) {
    write_out(stdout, printed);
    std::string text = printed;
    if (text.rfind(">>>> ", 0) == 0) text.erase(0, 5);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    throw Fatal(text);
}

}  // namespace kal
