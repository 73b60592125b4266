// Sweep marks: a folder some run looked through is left alone for a while, then looked at again.
#include "platform/sweep_marks.h"
#include "support/process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace millconv {
namespace {

TEST(SweepMarksTest, AMarkHoldsOffTheNextLookUntilItsRestIsOver) {
    test::TempFolder runtime;
    test::ScopedEnvironment environment({{"XDG_RUNTIME_DIR", runtime.Path()}});
    const std::string mark = SweepMarkPath("/srv/textures/");
    EXPECT_EQ(mark.rfind(runtime / "millconv-swept-", 0), 0u) << mark;
    EXPECT_EQ(SweepMarkPath("/srv/textures/"), mark);
    EXPECT_NE(SweepMarkPath("/srv/textures2/"), mark);
    EXPECT_FALSE(SweptRecently(mark, time(nullptr))); // no look yet

    MarkSwept(mark);
    struct stat info {};
    ASSERT_EQ(stat(mark.c_str(), &info), 0);
    const time_t looked = info.st_mtime;
    const struct {
        time_t now;
        bool resting;
    } cases[] = {
        {looked, true},
        {looked + kSweepRestSeconds - 1, true},
        {looked + kSweepRestSeconds, false},
        {looked - 1, false}, // the clock was set back: the mark cannot be trusted
    };
    for (const auto& test : cases) {
        EXPECT_EQ(SweptRecently(mark, test.now), test.resting) << test.now - looked;
    }
    // A later look stamps the mark anew.
    const timespec old[2] = {{0, UTIME_OMIT}, {looked - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, mark.c_str(), old, 0), 0);
    MarkSwept(mark);
    EXPECT_TRUE(SweptRecently(mark, time(nullptr)));
}

TEST(SweepMarksTest, WithoutAPrivateFolderEveryRunLooks) {
    test::ScopedEnvironment environment(
        {{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", "/proc"}, {"XDG_CACHE_HOME", "/proc"}});
    const std::string mark = SweepMarkPath("/srv/textures/");
    EXPECT_EQ(mark, "");
    MarkSwept(mark);
    EXPECT_FALSE(SweptRecently(mark, time(nullptr)));
}

} // namespace
} // namespace millconv
