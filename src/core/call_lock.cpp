#include "core/call_lock.h"

namespace kal {

// Placeholder until the thread table serialises shared-record calls.
CallLock::CallLock() = default;
CallLock::~CallLock() = default;

}  // namespace kal
