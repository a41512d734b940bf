// Several threads on the one shared record (no thrini), and the slot a
// thread leaves behind in threaded mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "api/entries.h"
#include "core/call_lock.h"
#include "core/context.h"
#include "core/fatal.h"
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

TEST(CallLock, EndingThreadReleasesItsSlotAndFinishesItsPlot) {
    const std::string name = ::testing::TempDir() + "left_open.ps";
    std::remove(name.c_str());
    kal::entry::thrini(1);
    std::thread([&] {
        kal::CallLock call;
        kal::entry::metafl("PS");
        kal::entry::filmod("DELE");
        kal::entry::setfil(name.c_str());
        kal::entry::kalini();
        kal::entry::line(0, 0, 100, 100);
    }).join();  // ends without kalfin and delglb
    int level = -1;
    std::thread([&] {
        kal::CallLock call;
        level = kal::entry::getlev();  // "Too many threads" if the slot were kept
    }).join();
    kal::entry::thrfin();
    EXPECT_EQ(level, 0);
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("showpage"), std::string::npos);
    std::remove(name.c_str());
}

}  // namespace
