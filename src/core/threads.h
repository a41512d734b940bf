// The thread table: one context record for the process, or one per thread
// after thrini, and the process-wide lock.
#pragma once
#include "core/export.h"

namespace kal {

struct Context;

// The calling thread's record, or nullptr when it has none.
KALVOR_INTERNAL Context* fetch_record();
// Like fetch, but creates the record; `created` tells whether it is new.
// Throws Fatal ("Too many threads!") when every slot is taken.
Context& acquire_record(bool& created);
// Frees the calling thread's record.
void release_record();

// A public call begins and ends (CallLock, outermost level only): without
// thrini the calls on the shared record are serialised; with thrini the call
// is counted, so that thrfin can wait until no other thread is inside.
void enter_call();
void leave_call();
// enter_call when it needs no wait; false (nothing held) otherwise.
bool try_enter_call();
// The calling thread's call holds the lock of the one shared record (no
// thrini).
bool call_serialised();

// The global lock around slot changes, file naming and the end protocol.
// It locks only in threaded mode and unlocks only what it locked, even when
// the mode changes in between.
class GlobalLock {
public:
    GlobalLock();
    ~GlobalLock();
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;

private:
    bool locked_ = false;
};

void thrini(int n);
void thrfin();
void delglb();

}  // namespace kal
