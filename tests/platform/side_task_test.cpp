// Work handed to a side task runs once, off the caller's thread, and is finished when Join()
// returns.
#include "platform/side_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace millconv::test {
namespace {

TEST(SideTaskTest, RunsOnceBesideTheCallerAndIsDoneAfterJoin) {
    std::atomic<int> runs{0};
    std::thread::id ranOn;
    {
        SideTask task([&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        });
        task.Join();
        EXPECT_EQ(runs.load(), 1);
        EXPECT_NE(ranOn, std::this_thread::get_id());
        task.Join();
    }
    EXPECT_EQ(runs.load(), 1) << "neither a second Join() nor the destructor runs it again";
}

TEST(SideTaskTest, TheDestructorWaitsForTheWork) {
    std::atomic<bool> finished{false};
    {
        SideTask task([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
        });
    }
    EXPECT_TRUE(finished.load());
}

} // namespace
} // namespace millconv::test
