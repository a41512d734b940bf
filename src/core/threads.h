// The thread table: one context record for the process, or one per thread
// after thrini, and the process-wide lock.
#pragma once

namespace kal {

struct Context;

// The calling thread's record, or nullptr when it has none.
Context* fetch_record();
// Like fetch, but creates the record; `created` tells whether it is new.
// Throws Fatal ("Too many threads!") when every slot is taken.
Context& acquire_record(bool& created);
// Frees the calling thread's record.
void release_record();

// The global lock; both do nothing while not threaded.
void global_lock();
void global_unlock();

struct GlobalLock {
    GlobalLock() { global_lock(); }
    ~GlobalLock() { global_unlock(); }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
};

void thrini(int n);
void thrfin();
void delglb();

}  // namespace kal
