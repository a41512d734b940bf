#pragma once

namespace kal {
// Text of warning 1..58; entry 0 is a single blank.
const char* message_text(int number);
constexpr int LAST_TABLE_MESSAGE = 58;
}  // namespace kal
