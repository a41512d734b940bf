// Several threads on the one shared record (no thrini); the slot a thread
// leaves behind in threaded mode: test_threads.py.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "api/entries.h"
#include "core/call_lock.h"
#include "core/context.h"
#include "core/threads.h"

namespace {

// One plot cycle on the shared record; returns the vectors it drew.
long long plot_cycle() {
    kal::CallLock call;  // what every public entry point holds
    kal::entry::metafl("VIRT");
    kal::entry::kalini();
    kal::entry::errmod("PROT", "OFF");
    for (int k = 0; k < 25; ++k) {
        kal::CallLock nested;  // a routine calling a public routine
        kal::entry::line(k, 0, k, 100);
    }
    const long long vectors = kal::fetch_record()->out.vectors;
    kal::entry::kalfin();
    return vectors;
}

TEST(CallLock, ThreadsWithoutThriniTakeTurnsOnTheSharedRecord) {
    constexpr int THREADS = 4, CYCLES = 200;
    const long long alone = plot_cycle();
    std::vector<long long> seen(THREADS * CYCLES, -1);
    std::vector<std::thread> workers;
    for (int t = 0; t < THREADS; ++t) {
        workers.emplace_back([t, &seen] {
            for (int i = 0; i < CYCLES; ++i) seen[t * CYCLES + i] = plot_cycle();
        });
    }
    for (std::thread& w : workers) w.join();
    for (long long v : seen) ASSERT_EQ(v, alone);
    EXPECT_EQ(kal::entry::getlev(), 0);
}

}  // namespace
