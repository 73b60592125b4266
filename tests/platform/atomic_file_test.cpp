// The all-or-nothing file writer: failures keep the old file, permissions and links.
#include "platform/atomic_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace millconv {
namespace {

size_t EntryCount(const std::string& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(AtomicFileTest, CommitReplacesAndKeepsThePermissionsOfTheOldFile) {
    test::TempFolder folder;
    const std::string path = folder / "out.tga";
    std::ofstream(path) << "old contents";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Write("new"));
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_EQ(test::ReadAll(path), "new");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(AtomicFileTest, NewFilesTakeTheRequestedModeUnderTheUmask) {
    test::TempFolder folder;
    const mode_t old = ::umask(022);
    AtomicFileWriter open(folder / "open.bin");
    AtomicFileWriter secret(folder / "secret.ini", {.newFileMode = 0600});
    ::umask(old);
    ASSERT_TRUE(open.Write("a") && open.Commit());
    ASSERT_TRUE(secret.Write("b") && secret.Commit());
    EXPECT_EQ(ModeOf(folder / "open.bin"), 0644u);
    EXPECT_EQ(ModeOf(folder / "secret.ini"), 0600u);
}

TEST(AtomicFileTest, AFailedOrAbandonedWriteLeavesTheOldFileAndNoTemporary) {
    test::TempFolder folder;
    const std::string path = folder / "config.ini";
    std::ofstream(path) << "kept";
    {
        AtomicFileWriter file(path);
        file.Write("half");
        file.MarkFailed();
        EXPECT_FALSE(file.Commit());
    }
    {
        AtomicFileWriter file(path);
        file.Write("never committed");
    }
    EXPECT_EQ(test::ReadAll(path), "kept");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);

    AtomicFileWriter nowhere(folder / "missing/x.ini");
    EXPECT_FALSE(nowhere.IsOpen());
    EXPECT_FALSE(nowhere.Write("x"));
    EXPECT_FALSE(nowhere.Commit());
    AtomicFileWriter folderPath(folder.Path());
    EXPECT_FALSE(folderPath.Commit());
}

TEST(AtomicFileTest, AWriteBeyondTheFileSizeLimitFailsWithoutHarm) {
    test::TempFolder folder;
    const std::string path = folder / "big.bin";
    std::ofstream(path) << "small old file";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AtomicFileWriter file(path);
        file.Write(std::string(100000, 'x'));
        ::_exit(file.Commit() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(test::ReadAll(path), "small old file");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(AtomicFileTest, LinksAreReplacedOrFollowedAsAsked) {
    test::TempFolder folder;
    std::ofstream(folder / "real.ini") << "real";
    std::filesystem::create_symlink(folder / "real.ini", folder / "link.ini");
    std::filesystem::create_symlink(folder / "real.ini", folder / "plain.ini");

    AtomicFileWriter followed(folder / "link.ini", {.replaceLinkTarget = true});
    ASSERT_TRUE(followed.Write("through") && followed.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
    EXPECT_EQ(test::ReadAll(folder / "real.ini"), "through");

    AtomicFileWriter replaced(folder / "plain.ini");
    ASSERT_TRUE(replaced.Write("own") && replaced.Commit());
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "plain.ini"));
    EXPECT_EQ(test::ReadAll(folder / "real.ini"), "through");
}

} // namespace
} // namespace millconv

namespace millconv {
namespace {

TEST(AtomicFileTest, TemporaryNamesCarryTheWriterSoDeadOnesCanBeRemoved) {
    test::TempFolder folder;
    {
        AtomicFileWriter file(folder / "out.tga");
        ASSERT_TRUE(file.IsOpen());
        const auto entry = *std::filesystem::directory_iterator(folder.Path());
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.starts_with(".millconv-" + std::to_string(::getpid()) + "-")) << name;
        // The writer's own file is never taken for a leftover.
        EXPECT_EQ(RemoveStaleTemporaries(folder.Path()), 0);
        EXPECT_TRUE(file.Commit());
    }
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ::waitpid(dead, nullptr, 0);
    const std::string stale = ".millconv-" + std::to_string(dead) + "-0123456789ab.tmp";
    for (const std::string& name : std::vector<std::string>{
             stale, ".millconv-1-0123456789ab.tmp", ".millconv-x1-0123456789ab.tmp",
             ".millconv-" + std::to_string(dead) + "-0123456789ab.tmp.keep"}) {
        std::ofstream(folder / name) << "partial";
    }
    std::filesystem::create_directory(folder / (".millconv-" + std::to_string(dead) + "-1.tmp"));
    EXPECT_EQ(RemoveStaleTemporaries(folder.Path()), 1); // pid 1 lives; the rest are no leftovers
    EXPECT_FALSE(std::filesystem::exists(folder / stale));
    EXPECT_EQ(EntryCount(folder.Path()), 5u);

    // The listing is read a page at a time: leftovers past the first page go too.
    constexpr int kMany = 300;
    for (int i = 0; i < kMany; ++i) {
        char hex[13];
        std::snprintf(hex, sizeof hex, "%012x", i);
        std::ofstream(folder / (".millconv-" + std::to_string(dead) + "-" + hex + ".tmp")) << "x";
        std::ofstream(folder / ("picture-" + std::to_string(i) + ".tga")) << "x";
    }
    size_t listed = 0;
    EXPECT_EQ(RemoveStaleTemporaries(folder.Path(), &listed), kMany);
    EXPECT_EQ(listed, 2u + 5u + 2 * kMany); // with "." and ".."
    EXPECT_EQ(EntryCount(folder.Path()), 5u + kMany);
    EXPECT_EQ(RemoveStaleTemporaries(folder / "missing"), 0);
}

// A small folder is read by every run; a large one by one run in every listing / 16 KiB, taking
// turns by process id, so a script's consecutive runs share the reading.
TEST(AtomicFileTest, LargeFoldersAreSweptByTurns) {
    const struct {
        uint64_t listing;
        int dueOfTwenty; // among twenty consecutive process ids
    } cases[] = {
        {0, 20},
        {kAlwaysSweptListing, 20},
        {2 * kAlwaysSweptListing - 1, 20},
        {2 * kAlwaysSweptListing, 10},
        {10 * kAlwaysSweptListing + 7, 2},
        {400 * 1024, 0}, // one in 25: none of these twenty
    };
    for (const auto& test : cases) {
        int due = 0;
        for (pid_t pid = 1001; pid <= 1020; ++pid) {
            due += StaleSweepDue(test.listing, pid) ? 1 : 0;
        }
        EXPECT_EQ(due, test.dueOfTwenty) << test.listing;
    }
    EXPECT_TRUE(StaleSweepDue(400 * 1024, 1025));
}

} // namespace
} // namespace millconv
