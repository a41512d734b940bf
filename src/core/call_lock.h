// Serialises the calls of several threads on the one shared record. Every
// public entry point holds a CallLock for the whole call: while threads have
// no records of their own (no thrini), it locks a process-wide recursive
// mutex; after thrini each thread owns its record and the lock only counts
// the call, so that thrfin waits until no other thread is inside.
// Nested CallLocks (a routine calling another public routine) cost nothing.
#pragma once
#include <mutex>

#include "core/export.h"

namespace kal {

class KALVOR_INTERNAL CallLock {
public:
    CallLock();
    // Enters only when that needs no wait (held() says whether it did): a
    // caller that must not wait with a lock of its own held (the Python
    // binding and its interpreter lock) releases that lock first and then
    // waits with the plain constructor.
    explicit CallLock(std::try_to_lock_t);
    ~CallLock();
    CallLock(const CallLock&) = delete;
    CallLock& operator=(const CallLock&) = delete;

    bool held() const { return held_; }

private:
    bool held_ = true;
};

// Gives the calling thread's call on the shared record up while it waits
// for the user (a click in a screen window), so that other threads (sendmb)
// get in meanwhile, and takes it again at the end of its scope. After thrini
// every thread has a record of its own and the call stays counted (thrfin
// must not free the record of a waiting thread).
class CallPause {
public:
    CallPause();
    ~CallPause();
    CallPause(const CallPause&) = delete;
    CallPause& operator=(const CallPause&) = delete;

private:
    bool paused_ = false;
};

}  // namespace kal
