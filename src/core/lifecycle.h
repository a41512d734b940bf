// The plotting life cycle: kalini ... kalfin and what happens in between.
#pragma once

namespace kal {

struct Context;

// Restores every plotting setting to its default (kalini and reset "ALL").
void reset_all(Context& ctx);
// Page settings restored by reset: origin, window mode and keys, page origin.
void reset_page_settings(Context& ctx);

// The end protocol kalfin prints; `result` is the kalfin result code.
void end_protocol(Context& ctx, int result);

}  // namespace kal
