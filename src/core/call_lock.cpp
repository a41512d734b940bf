#include "core/call_lock.h"

#include "core/threads.h"

namespace kal {
namespace {

// Depth of the calling thread's nested CallLocks; only the outermost one
// enters and leaves the thread table.
thread_local int depth = 0;

}  // namespace

CallLock::CallLock() {
    if (depth++ == 0) enter_call();
}

CallLock::CallLock(std::try_to_lock_t) {
    if (depth == 0 && !try_enter_call()) {
        held_ = false;
        return;
    }
    ++depth;
}

CallLock::~CallLock() {
    if (held_ && --depth == 0) leave_call();
}

CallPause::CallPause() {
    if (depth > 0 && call_serialised()) {
        leave_call();
        paused_ = true;
    }
}

CallPause::~CallPause() {
    if (paused_) enter_call();
}

}  // namespace kal
