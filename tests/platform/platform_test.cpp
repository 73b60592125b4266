// Platform services: file sizes, date values, the instance lock, terminal and modules.
#include "platform/files.h"
#include "platform/hand_over.h"
#include "platform/instance_lock.h"
#include "platform/module_loader.h"
#include "platform/random_seed.h"
#include "platform/runtime_folder.h"
#include "platform/shell.h"
#include "platform/terminal.h"
#include "support/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>

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
    // The program folder is the running file's, whichever way it is found.
    char running[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", running, sizeof running - 1);
    ASSERT_GT(length, 0);
    EXPECT_EQ(ProgramFolder(), FolderOf(std::string_view(running, size_t(length))));
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

TEST(RandomSeedTest, SeedsDifferFromCallToCallAndThreadToThread) {
    std::set<uint32_t> seeds;
    for (int i = 0; i < 8; ++i) {
        seeds.insert(RandomSeed());
        std::thread([&seeds] { seeds.insert(RandomSeed()); }).join();
    }
    EXPECT_EQ(seeds.size(), 16u); // equal 32-bit draws would be a one in ten million event
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

constexpr uid_t kOtherUser = 65534;

// Makes path a folder as another user might have left it: owned by someone else when the
// test may hand it over (as root), else with a mode that lets others in.
void PlantForeignFolder(const std::string& path) {
    mkdir(path.c_str(), 0700);
    if (getuid() != 0 || chown(path.c_str(), kOtherUser, kOtherUser) != 0) {
        chmod(path.c_str(), 0777);
    }
}

TEST(InstanceLockTest, LivesOnlyInAPrivateFolderOfTheUser) {
    const std::string user = std::to_string(getuid());
    const std::string own = "millconv-" + user;
    enum class Planted { Nothing, ForeignTemp, OpenTemp, LinkedTemp, ForeignTempAndCache };
    struct Row {
        const char* name;
        bool privateRuntime; // XDG_RUNTIME_DIR set to a folder of ours with mode 0700
        bool openRuntime;    // XDG_RUNTIME_DIR set to a folder others may write to
        Planted planted;
        const char* expected; // "runtime/", "temp/", "cache/" or "" for none
    };
    const Row rows[] = {
        {"runtime folder", true, false, Planted::ForeignTemp, "runtime/"},
        {"open runtime folder", false, true, Planted::Nothing, "temp/"},
        {"fresh temp folder", false, false, Planted::Nothing, "temp/"},
        {"temp folder of another user", false, false, Planted::ForeignTemp, "cache/"},
        {"temp folder others may enter", false, false, Planted::OpenTemp, "cache/"},
        {"temp folder is a link", false, false, Planted::LinkedTemp, "cache/"},
        {"nothing private", false, false, Planted::ForeignTempAndCache, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempFolder root;
        mkdir((root / "runtime").c_str(), row.openRuntime ? 0777 : 0700);
        chmod((root / "runtime").c_str(), row.openRuntime ? 0777 : 0700);
        mkdir((root / "temp").c_str(), 01777);
        mkdir((root / "cache").c_str(), 0700);
        const std::string planted = root / ("temp/" + own);
        switch (row.planted) {
        case Planted::Nothing:
            break;
        case Planted::ForeignTemp:
            PlantForeignFolder(planted);
            break;
        case Planted::OpenTemp:
            mkdir(planted.c_str(), 0700);
            chmod(planted.c_str(), 0755);
            break;
        case Planted::LinkedTemp:
            mkdir((root / "mine").c_str(), 0700);
            ASSERT_EQ(symlink((root / "mine").c_str(), planted.c_str()), 0);
            break;
        case Planted::ForeignTempAndCache:
            PlantForeignFolder(planted);
            PlantForeignFolder(root / ("cache/" + own));
            break;
        }
        const test::ScopedEnvironment environment(
            {{"XDG_RUNTIME_DIR",
              row.privateRuntime || row.openRuntime ? root / "runtime" : std::string()},
             {"TMPDIR", root / "temp"},
             {"XDG_CACHE_HOME", root / "cache"}});
        const std::string folder = std::string(row.expected) == "runtime/"
                                       ? root / "runtime/"
                                       : root / (std::string(row.expected) + own + "/");
        const std::string expected = *row.expected == '\0' ? std::string() : folder;
        EXPECT_EQ(PrivateRuntimeFolder(), expected);
        EXPECT_EQ(InstanceLock::LockPath("T 1"), expected.empty() ? "" : expected + "T 1.lock");

        // Two holders exclude each other wherever the lock lives; without a place for it no
        // run may start.
        InstanceLock first;
        EXPECT_EQ(first.Acquire("T 1"), !expected.empty());
        EXPECT_FALSE(InstanceLock().Acquire("T 1"));
        EXPECT_EQ(first.Problem().empty(), !expected.empty());
    }
}

TEST(InstanceLockTest, SomethingElseAtTheLockNameMovesEveryStartToTheNextName) {
    test::TempFolder root;
    const test::ScopedEnvironment environment({{"XDG_RUNTIME_DIR", root.Path()}});
    mkdir((root / "T 2.lock").c_str(), 0700);
    InstanceLock first;
    ASSERT_TRUE(first.Acquire("T 2"));
    EXPECT_FALSE(InstanceLock().Acquire("T 2"));
    first.Release();

    // With no name left the start is refused and says why: never run unguarded.
    for (const char* name : {"T 2.1.lock", "T 2.2.lock", "T 2.3.lock"}) {
        unlink((root / name).c_str());
        mkdir((root / name).c_str(), 0700);
    }
    InstanceLock none;
    EXPECT_FALSE(none.Acquire("T 2"));
    EXPECT_NE(none.Problem().find("T 2.3.lock"), std::string::npos) << none.Problem();
}

TEST(HandOverTest, SendsThePathAndWaitsForTheAnswer) {
    test::TempFolder root;
    const std::string socketPath = root / "window.socket";
    const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(server, 4), 0);
    const std::string path = "/home/user/images/two\nlines \xc3\xa9.png";
    struct Row {
        const char* name;
        std::string answer; // what the window sends back; empty: it says nothing
        bool taken;
    };
    const Row rows[] = {{"taken", "1", true}, {"refused", "0", false}, {"silent", "", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string received;
        std::thread window([&] {
            const int client = accept(server, nullptr, nullptr);
            char byte = 1;
            while (byte != '\0' && read(client, &byte, 1) == 1) {
                received += byte;
            }
            if (!row.answer.empty()) {
                (void)!write(client, row.answer.data(), row.answer.size());
            }
            // A silent window keeps the connection open past the sender's limit.
            std::this_thread::sleep_for(std::chrono::milliseconds(row.answer.empty() ? 400 : 0));
            close(client);
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(HandOverFile(socketPath, path, std::chrono::milliseconds(200)), row.taken);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        window.join();
        EXPECT_EQ(received, path + '\0');
    }
    close(server);
    EXPECT_FALSE(HandOverFile(root / "nobody.socket", path, std::chrono::milliseconds(200)));
    EXPECT_FALSE(HandOverFile(root / std::string(200, 'x'), path, std::chrono::milliseconds(200)));
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
