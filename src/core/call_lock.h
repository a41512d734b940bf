// Serialises the calls of several threads on the one shared record. Every
// public entry point holds a CallLock for the whole call: while threads have
// no records of their own (no thrini), it locks a process-wide recursive
// mutex; after thrini each thread owns its record and the lock only counts
// the call, so that thrfin waits until no other thread is inside.
// Nested CallLocks (a routine calling another public routine) cost nothing.
#pragma once

namespace kal {

class CallLock {
public:
    CallLock();
    ~CallLock();
    CallLock(const CallLock&) = delete;
    CallLock& operator=(const CallLock&) = delete;
};

}  // namespace kal
