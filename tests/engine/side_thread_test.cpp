// Side threads: work runs on a thread of its own, and a side thread starts none of its own.
#include "engine/side_thread.h"

#include <gtest/gtest.h>

#include <thread>

namespace millconv::test {
namespace {

TEST(SideThreadTest, RunsWorkElsewhereButNeverFromASideThread) {
    SideThread outer;
    std::thread::id ran;
    bool nestedStarted = true;
    bool nestedRan = false;
    ASSERT_TRUE(outer.Start([&] {
        ran = std::this_thread::get_id();
        SideThread nested;
        nestedStarted = nested.Start([&] { nestedRan = true; });
    })) << "the test machine has a second processor";
    outer.Join();
    EXPECT_NE(ran, std::this_thread::get_id());
    EXPECT_FALSE(nestedStarted);
    EXPECT_FALSE(nestedRan);

    // Pinned to one processor, a caller gets no side thread either.
    bool started = true;
    std::thread([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(sched_getcpu(), &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        SideThread pinned;
        started = pinned.Start([] {});
    }).join();
    EXPECT_FALSE(started);
}

} // namespace
} // namespace millconv::test
