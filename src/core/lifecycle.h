// The plotting life cycle: kalini ... kalfin and what happens in between.
#pragma once
#include "core/export.h"

namespace kal {

struct Context;

// Restores every plotting setting to its default: the reset of every state
// part, in the order of Context::parts (kalini and reset "ALL").
void reset_all(Context& ctx);

// reset "ALL" on an open device: the line width, join and cap that every
// driver starts a page with, sent again.
void resend_device_lines(Context& ctx);

// kalfin without its frame: flushes and closes the output, returns to level
// 0 and, when `protocol` is set, prints the end protocol.
void finish_plot(Context& ctx, bool protocol);

// At the end of the process: the calling thread's open plot is finished as
// kalfin finishes it, without the end protocol; a screen closes without
// waiting for the user. Nothing happens at level 0.
KALVOR_INTERNAL void finish_open_plot();

// The end protocol kalfin prints; `result` is the kalfin result code.
void end_protocol(Context& ctx, int result);

}  // namespace kal
