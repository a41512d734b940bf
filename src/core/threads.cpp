#include "core/threads.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <cstdint>
#include <vector>

#include "core/context.h"
#include "core/fatal.h"

namespace kal {
namespace {

constexpr int MAX_THREADS = 65536;

// A number of the calling thread that is never reused, unlike system thread
// identifiers, which a new thread may inherit from one that has ended.
uint64_t thread_number() {
    static std::atomic<uint64_t> next{1};
    thread_local const uint64_t mine = next.fetch_add(1);
    return mine;
}

struct Slot {
    std::atomic<bool> in_use{false};
    uint64_t owner = 0;
    std::unique_ptr<Context> record;
};

struct ThreadTable {
    std::atomic<bool> threaded{false};
    std::unique_ptr<Context> single;
    int max_threads = 1;
    std::unique_ptr<Slot[]> slots;
    bool thrini_called = false;
    int thrini_count = 0;
    std::mutex lock;
};

ThreadTable& table() {
    static ThreadTable t;
    return t;
}

void say(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

Slot* own_slot(ThreadTable& t) {
    const uint64_t me = thread_number();
    for (int i = 0; i < t.max_threads; ++i) {
        Slot& s = t.slots[i];
        if (s.in_use.load(std::memory_order_acquire) && s.owner == me) return &s;
    }
    return nullptr;
}

std::unique_ptr<Context> new_record() {
    try {
        return std::make_unique<Context>();
    } catch (const std::bad_alloc&) {
        fatal(">>>> Not enough memory for global variables!\n");
    }
}

}  // namespace

Context* fetch_record() {
    ThreadTable& t = table();
    if (!t.threaded.load(std::memory_order_acquire)) return t.single.get();
    Slot* s = own_slot(t);
    return s ? s->record.get() : nullptr;
}

Context& acquire_record(bool& created) {
    ThreadTable& t = table();
    created = false;
    if (!t.threaded.load(std::memory_order_acquire)) {
        if (!t.single) {
            t.single = new_record();
            created = true;
        }
        return *t.single;
    }
    if (Slot* s = own_slot(t)) return *s->record;
    // The record is built before a slot is claimed so that a failure leaves
    // the table unchanged.
    std::unique_ptr<Context> record = new_record();
    std::lock_guard<std::mutex> guard(t.lock);
    for (int i = 0; i < t.max_threads; ++i) {
        Slot& s = t.slots[i];
        if (!s.in_use.load(std::memory_order_relaxed)) {
            s.owner = thread_number();
            s.record = std::move(record);
            s.in_use.store(true, std::memory_order_release);
            created = true;
            return *s.record;
        }
    }
    fatal(">>>> Too many threads!\n");
}

void release_record() {
    ThreadTable& t = table();
    if (!t.threaded.load(std::memory_order_acquire)) {
        t.single.reset();
        return;
    }
    std::lock_guard<std::mutex> guard(t.lock);
    if (Slot* s = own_slot(t)) {
        s->in_use.store(false, std::memory_order_release);
        s->record.reset();
    }
}

void global_lock() {
    ThreadTable& t = table();
    if (t.threaded.load(std::memory_order_acquire)) t.lock.lock();
}

void global_unlock() {
    ThreadTable& t = table();
    if (t.threaded.load(std::memory_order_acquire)) t.lock.unlock();
}

void thrini(int n) {
    ThreadTable& t = table();
    if (t.thrini_called) {
        say(">>>> thrini is already called before!\n");
        return;
    }
    // A count beyond any real number of threads is refused like n < 1
    // instead of reserving gigabytes of slots.
    if (n < 1 || n > MAX_THREADS) {
        say(">>>> Invalid parameter in thrini!\n");
        return;
    }
    std::unique_ptr<Slot[]> slots;
    try {
        slots.reset(new Slot[static_cast<size_t>(n)]);
    } catch (const std::bad_alloc&) {
        fatal(">>>> Not enough memory in thrini!\n");
    }
    t.slots = std::move(slots);
    t.max_threads = n;
    t.threaded.store(true, std::memory_order_release);
    if (t.single) say(">>>> A KALVOR routine is called before thrini!\n");
    t.thrini_count = n;
    t.thrini_called = true;
}

void thrfin() {
    ThreadTable& t = table();
    if (!t.thrini_called) {
        say(">>>> thrini is not called before!\n");
        return;
    }
    t.threaded.store(false, std::memory_order_release);
    // Destroying a record closes whatever it still holds open.
    t.slots.reset();
    t.max_threads = 1;
    t.thrini_called = false;
}

void delglb() {
    Context* ctx = fetch_record();
    if (ctx && ctx->frame.level == 0) release_record();
}

}  // namespace kal
