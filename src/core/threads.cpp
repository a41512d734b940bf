#include "core/threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>

#include "core/context.h"
#include "core/fatal.h"
#include "core/lifecycle.h"
#include "core/message_out.h"

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
    std::atomic<uint64_t> owner{0};
    std::unique_ptr<Context> record;
};

struct ThreadTable {
    std::atomic<bool> threaded{false};
    std::unique_ptr<Context> single;
    int max_threads = 1;
    std::unique_ptr<Slot[]> slots;
    bool thrini_called = false;
    int thrini_count = 0;
    std::mutex lock;               // the global lock
    std::condition_variable slot_freed;   // with lock: a slot was given back
    // Held for a whole call on the single record (not threaded), and by
    // thrini and thrfin while they change the mode.
    std::recursive_mutex serial;
    // Threaded calls in progress; thrfin closes the gate and waits for them.
    std::mutex gate;
    std::condition_variable gate_changed;
    int active = 0;
    bool closing = false;
};

ThreadTable& table() {
    static ThreadTable t;
    return t;
}

// What the calling thread's outermost call holds.
struct CallHold {
    bool serial = false;
    bool counted = false;
};
thread_local CallHold hold;

// Releases the slot of a thread that ends without delglb; a plot it left
// open is finished as kalfin finishes it, without the end protocol.
struct SlotKeeper {
    bool armed = false;
    ~SlotKeeper();
};
thread_local SlotKeeper keeper;

void say(const char* text) {
    write_out(stdout, text);
}

Slot* own_slot(ThreadTable& t) {
    const uint64_t me = thread_number();
    for (int i = 0; i < t.max_threads; ++i) {
        Slot& s = t.slots[i];
        if (s.in_use.load(std::memory_order_acquire) &&
            s.owner.load(std::memory_order_relaxed) == me)
            return &s;
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

SlotKeeper::~SlotKeeper() {
    if (!armed) return;
    enter_call();
    if (table().threaded.load(std::memory_order_acquire)) {
        if (Context* ctx = fetch_record()) {
            try {
                if (ctx->frame.level > 0) finish_plot(*ctx, false);
            } catch (...) {
                // The thread is gone: nobody is left to report to.
            }
            release_record();
        }
    }
    leave_call();
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
    // A thread that has just ended gives its slot back as it exits, which
    // may be a moment after a join on it returned: a full table is waited
    // on briefly before it counts as too many threads.
    std::unique_lock<std::mutex> guard(t.lock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    do {
        for (int i = 0; i < t.max_threads; ++i) {
            Slot& s = t.slots[i];
            if (!s.in_use.load(std::memory_order_relaxed)) {
                s.owner.store(thread_number(), std::memory_order_relaxed);
                s.record = std::move(record);
                s.in_use.store(true, std::memory_order_release);
                keeper.armed = true;
                created = true;
                return *s.record;
            }
        }
    } while (t.slot_freed.wait_until(guard, deadline) == std::cv_status::no_timeout);
    guard.unlock();
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
        t.slot_freed.notify_all();
    }
}

void enter_call() {
    ThreadTable& t = table();
    for (;;) {
        if (t.threaded.load(std::memory_order_acquire)) {
            std::unique_lock<std::mutex> g(t.gate);
            t.gate_changed.wait(g, [&] { return !t.closing; });
            if (t.threaded.load(std::memory_order_acquire)) {
                ++t.active;
                hold.counted = true;
                return;
            }
            continue;  // thrfin ended threaded mode meanwhile
        }
        t.serial.lock();
        if (!t.threaded.load(std::memory_order_acquire)) {
            hold.serial = true;
            return;
        }
        t.serial.unlock();  // thrini started threaded mode meanwhile
    }
}

bool try_enter_call() {
    ThreadTable& t = table();
    if (t.threaded.load(std::memory_order_acquire)) {
        std::unique_lock<std::mutex> g(t.gate, std::try_to_lock);
        if (!g.owns_lock() || t.closing || !t.threaded.load(std::memory_order_acquire)) return false;
        ++t.active;
        hold.counted = true;
        return true;
    }
    if (!t.serial.try_lock()) return false;
    if (t.threaded.load(std::memory_order_acquire)) {
        t.serial.unlock();
        return false;
    }
    hold.serial = true;
    return true;
}

bool call_serialised() { return hold.serial; }

void leave_call() {
    ThreadTable& t = table();
    if (hold.serial) {
        hold.serial = false;
        t.serial.unlock();
    }
    if (hold.counted) {
        hold.counted = false;
        std::lock_guard<std::mutex> g(t.gate);
        --t.active;
        t.gate_changed.notify_all();
    }
}

GlobalLock::GlobalLock() {
    ThreadTable& t = table();
    if (t.threaded.load(std::memory_order_acquire)) {
        t.lock.lock();
        locked_ = true;
    }
}

GlobalLock::~GlobalLock() {
    if (locked_) table().lock.unlock();
}

void thrini(int n) {
    ThreadTable& t = table();
    // No call on the single record runs meanwhile, and no threaded call
    // exists before the mode changes.
    std::lock_guard<std::recursive_mutex> serial(t.serial);
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
    std::lock_guard<std::recursive_mutex> serial(t.serial);
    if (!t.thrini_called) {
        say(">>>> thrini is not called before!\n");
        return;
    }
    // Wait until every other thread has left the library; new calls wait
    // at the gate and then find the mode ended.
    std::unique_lock<std::mutex> g(t.gate);
    t.closing = true;
    const int mine = hold.counted ? 1 : 0;
    t.gate_changed.wait(g, [&] { return t.active == mine; });
    t.threaded.store(false, std::memory_order_release);
    // Destroying a record closes whatever it still holds open.
    t.slots.reset();
    t.max_threads = 1;
    t.thrini_called = false;
    t.closing = false;
    t.gate_changed.notify_all();
}

void delglb() {
    Context* ctx = fetch_record();
    // A running dialog keeps its record (delglb from one of its callbacks).
    if (ctx && ctx->frame.level == 0 && !ctx->widgets.running) release_record();
}

}  // namespace kal
