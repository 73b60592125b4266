// Platform services: file sizes, date values, the instance lock, terminal and modules.
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/module_loader.h"
#include "platform/shell.h"
#include "platform/terminal.h"
#include "support/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <thread>
#include <ctime>
#include <fstream>

namespace millconv {
namespace {

TEST(FilesTest, SizesTellMissingFilesAndFolders) {
    test::TempFolder folder;
    EXPECT_EQ(FileSize(folder / "missing.png"), -1);
    EXPECT_EQ(FileSize(""), -1);
    EXPECT_EQ(FileSize(folder.Path()), -2);
    std::ofstream(folder / "five.bin") << "12345";
    EXPECT_EQ(FileSize(folder / "five.bin"), 5);
    std::ofstream(folder / "empty.bin");
    EXPECT_EQ(FileSize(folder / "empty.bin"), 0);
    EXPECT_TRUE(FolderExists(folder.Path()));
    EXPECT_FALSE(FolderExists(folder / "five.bin"));
}

TEST(FilesTest, CreateFolderMakesOneLevel) {
    test::TempFolder folder;
    EXPECT_TRUE(CreateFolder(folder / "a"));
    EXPECT_TRUE(CreateFolder(folder / "a")); // already there is fine
    EXPECT_FALSE(CreateFolder(folder / "b/c"));
    std::ofstream(folder / "file");
    EXPECT_FALSE(CreateFolder(folder / "file"));
}

TEST(FilesTest, FolderOfKeepsTheSlash) {
    EXPECT_EQ(FolderOf("/home/user/a.png"), "/home/user/");
    EXPECT_EQ(FolderOf("a.png"), "");
    EXPECT_EQ(ProgramFolder().back(), '/');
}

// Runs the body with a time zone that has daylight saving time.
class DateValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        saved_ = old ? old : "";
        hadTz_ = old != nullptr;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::string saved_;
    bool hadTz_ = false;
};

TEST_F(DateValueTest, OffsetFollowsTheSeason) {
    // 2026-01-15 12:00 UTC is 13:00 in Berlin; 2026-07-15 12:00 UTC is 14:00.
    EXPECT_EQ(DateValueFromEpoch(1768478400), 1768478400 + 3600);
    EXPECT_EQ(DateValueFromEpoch(1784116800), 1784116800 + 7200);
}

TEST_F(DateValueTest, RoundTripsAcrossTheSpringChange) {
    // Hours around 2026-03-29 01:00 UTC, when Berlin moves from +1 to +2.
    for (int64_t epoch = 1774742400 - 6 * 3600; epoch <= 1774742400 + 6 * 3600; epoch += 1800) {
        EXPECT_EQ(EpochFromDateValue(DateValueFromEpoch(epoch)), epoch) << epoch;
    }
}

TEST_F(DateValueTest, FileDateRoundTrip) {
    test::TempFolder folder;
    std::string path = folder / "dated.txt";
    std::ofstream(path) << "x";
    // 2026-07-01 10:30:00 as a local wall-clock date value.
    const int64_t summer = 1782901800;
    ASSERT_TRUE(SetFileDate(path, summer));
    EXPECT_EQ(FileDate(path).value(), summer);
    const int64_t winter = 1767263400; // 2026-01-01 10:30:00 local
    ASSERT_TRUE(SetFileDate(path, winter));
    EXPECT_EQ(FileDate(path).value(), winter);
    EXPECT_FALSE(FileDate(folder / "missing").has_value());
}

TEST(InstanceLockTest, SecondHolderIsRefused) {
    test::TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    InstanceLock first;
    InstanceLock second;
    ASSERT_TRUE(first.Acquire("millconv lock test"));
    EXPECT_FALSE(second.Acquire("millconv lock test"));
    EXPECT_TRUE(second.Acquire("another title"));
    first.Release();
    EXPECT_TRUE(InstanceLock().Acquire("millconv lock test"));
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(InstanceLockTest, ReleasedWhenTheHolderDies) {
    test::TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        InstanceLock lock;
        char ok = lock.Acquire("millconv lock test") ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    InstanceLock mine;
    EXPECT_FALSE(mine.Acquire("millconv lock test"));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_TRUE(mine.Acquire("millconv lock test"));
    close(ready[0]);
    close(ready[1]);
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(InstanceLockTest, FallsBackToAPrivateFolderOfTheUser) {
    test::TempFolder temp;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = old ? old : "";
    const char* oldTemp = std::getenv("TMPDIR");
    std::string savedTemp = oldTemp ? oldTemp : "";
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("TMPDIR");
    const std::string user = std::to_string(getuid());
    EXPECT_EQ(InstanceLock::LockPath("T 1"), "/tmp/millconv-" + user + "/T 1.lock");
    setenv("TMPDIR", "relative", 1); // only an absolute folder is taken
    EXPECT_EQ(InstanceLock::LockPath("T 1"), "/tmp/millconv-" + user + "/T 1.lock");

    // Two holders in the private folder still exclude each other.
    setenv("TMPDIR", temp.Path().c_str(), 1);
    EXPECT_EQ(InstanceLock::LockPath("T 1"), temp.Path() + "millconv-" + user + "/T 1.lock");
    InstanceLock first;
    ASSERT_TRUE(first.Acquire("T 1"));
    EXPECT_TRUE(first.Held());
    EXPECT_FALSE(InstanceLock().Acquire("T 1"));

    if (old) {
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    }
    oldTemp ? setenv("TMPDIR", savedTemp.c_str(), 1) : unsetenv("TMPDIR");
}

TEST(TerminalTest, WaitForKeyReturnsWithoutATerminal) {
    // stdin of a test under ctest is not a terminal; force it to be sure.
    int saved = dup(STDIN_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    WaitForKey();
    dup2(saved, STDIN_FILENO);
    close(saved);
    close(devNull);
    SUCCEED();
}

TEST(ModuleLoaderTest, MissingModuleIsOneClearLine) {
    std::string error;
    EXPECT_EQ(LoadModule("millconv-nothing.so", error), nullptr);
    EXPECT_NE(error.find("millconv-nothing.so"), std::string::npos);
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(ShellTest, OpenDocumentHandsTheTargetToXdgOpenWithoutWaiting) {
    test::TempFolder folder;
    const std::string record = folder / "opened.txt";
    {
        std::ofstream script(folder / "xdg-open");
        script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << ".part'\nmv '" << record
               << ".part' '" << record << "'\n";
    }
    chmod((folder / "xdg-open").c_str(), 0755);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", (folder.Path() + ":" + savedPath).c_str(), 1);

    OpenDocument("mailto:support@example.com?subject=A b");
    setenv("PATH", savedPath.c_str(), 1);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (FileSize(record) < 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(test::ReadWholeFile(record), "mailto:support@example.com?subject=A b");
}

} // namespace
} // namespace millconv
