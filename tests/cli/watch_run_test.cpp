// Watch runs: a watcher converts what is there, then what arrives, until it is stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "support/process.h"
#include "support/test_png.h"

namespace millconv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

#ifdef __SANITIZE_ADDRESS__
constexpr bool kPeakMemoryMeaningful = false; // the sanitizer's quarantine holds freed blocks
#else
constexpr bool kPeakMemoryMeaningful = true;
#endif

constexpr const char* kWatching = "Watching for new files (Ctrl+C to stop)\n";

// The last line of a text, without its line end.
std::string LastLine(const std::string& text) {
    const size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) {
        return {};
    }
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

// Kilobytes of a /proc/PID/status field (VmRSS, VmHWM).
long StatusKilobytes(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

class WatchRunTest : public ::testing::Test {
  protected:
    std::unique_ptr<BackgroundProgram> StartWatcher(const std::string& mask = "%filename%.%ext%") {
        const std::vector<std::string> arguments = {
            "--watch", "--jobs=2", "-i", in_.Path(), "-o", out_.Path(), "--filename-mask=" + mask};
        auto watcher = std::make_unique<BackgroundProgram>(MillconvPath(), arguments,
                                                           IsolatedEnvironment(home_), logs_);
        EXPECT_TRUE(WaitUntil([&] { return watcher->Out().find(kWatching) != std::string::npos; }))
            << watcher->Out();
        return watcher;
    }

    // What a plain run makes of the picture, run with the watcher's runtime folder.
    std::string PlainConversion(const std::string& png) {
        TempFolder single;
        const RunResult run = RunProgram(MillconvPath(), {"-q", "-i", png, "-o", single.Path()},
                                         IsolatedEnvironment(home_));
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return ReadAll(single / (fs::path(png).stem().string() + ".tga"));
    }

    bool WaitForOutput(const std::string& name, const std::string& content) {
        return WaitUntil([&] { return ReadAll(out_ / name) == content; });
    }

    TempFolder home_;
    TempFolder logs_;
    TempFolder in_;
    TempFolder out_;
    TempFolder stage_;
};

TEST_F(WatchRunTest, ConvertsWhatIsThereThenEachFileOnceItIsClosed) {
    ASSERT_TRUE(WriteTestPng(in_ / "start.png", 1));
    std::ofstream(in_ / "broken.png") << "\x89PNG\r\n\x1a\n truncated";
    auto watcher = StartWatcher();
    EXPECT_EQ(ReadAll(out_ / "start.tga"), PlainConversion(in_ / "start.png"));

    // Moved in from elsewhere on the same file system.
    ASSERT_TRUE(WriteTestPng(stage_ / "moved.png", 2));
    const std::string moved = PlainConversion(stage_ / "moved.png");
    fs::rename(stage_ / "moved.png", in_ / "moved.png");
    EXPECT_TRUE(WaitForOutput("moved.tga", moved));

    // Written in two halves with a pause: nothing is made from the half file.
    ASSERT_TRUE(WriteTestPng(stage_ / "halves.png", 3));
    const std::string bytes = ReadAll(stage_ / "halves.png");
    {
        std::ofstream halves(in_ / "halves.png", std::ios::binary);
        halves.write(bytes.data(), std::streamsize(bytes.size() / 2)).flush();
        std::this_thread::sleep_for(400ms);
        EXPECT_FALSE(fs::exists(out_ / "halves.tga"));
        halves.write(bytes.data() + bytes.size() / 2,
                     std::streamsize(bytes.size() - bytes.size() / 2));
    }
    EXPECT_TRUE(WaitForOutput("halves.tga", PlainConversion(stage_ / "halves.png")));

    // A subfolder made after the start is watched; its file lands in the same subfolder.
    ASSERT_TRUE(WriteTestPng(in_ / "new/deeper/sub.png", 4));
    EXPECT_TRUE(WaitForOutput("new/deeper/sub.tga", PlainConversion(in_ / "new/deeper/sub.png")));
    ASSERT_TRUE(WriteTestPng(in_ / "new/deeper/later.png", 6));
    EXPECT_TRUE(
        WaitForOutput("new/deeper/later.tga", PlainConversion(in_ / "new/deeper/later.png")));

    // Rewritten: converted again.
    ASSERT_TRUE(WriteTestPng(in_ / "start.png", 5));
    EXPECT_TRUE(WaitForOutput("start.tga", PlainConversion(in_ / "start.png")));
    EXPECT_FALSE(fs::exists(out_ / "broken.tga"));

    const RunResult run = watcher->Stop(SIGINT);
    EXPECT_EQ(run.status, 1); // the broken file failed
    EXPECT_NE(run.out.find("Converted: " + in_ / "moved.png" + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(in_ / "broken.png"), std::string::npos) << run.err;
    // Every file of the watch is attempted; the broken one is the only failure.
    const std::string last = LastLine(run.out);
    ASSERT_TRUE(last.starts_with("Files converted: ")) << run.out;
    const int converted = std::stoi(last.substr(17));
    EXPECT_GE(converted, 6) << run.out << run.err;
    EXPECT_EQ(last, "Files converted: " + std::to_string(converted) + " of " +
                        std::to_string(converted + 1));
}

TEST_F(WatchRunTest, AFileStillOpenWhenItsCloseIsReportedIsConvertedOnceTheWriterIsGone) {
    // The kernel reports a last close before it stops counting the writer. Here a second
    // writer holds the file open under another name, outside the watched folder, while the file
    // is written and closed in it: the only report comes while the file is still open, and the
    // second close brings none.
    auto watcher = StartWatcher();
    ASSERT_TRUE(WriteTestPng(stage_ / "source.png", 7));
    const std::string bytes = ReadAll(stage_ / "source.png");
    const std::string expected = PlainConversion(stage_ / "source.png");
    std::ofstream(stage_ / "alias.png").close();
    const int holder = ::open((stage_ / "alias.png").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    fs::create_hard_link(stage_ / "alias.png", in_ / "late.png");
    std::ofstream(in_ / "late.png", std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
    std::this_thread::sleep_for(150ms);
    EXPECT_FALSE(fs::exists(out_ / "late.tga"));
    ::close(holder);
    EXPECT_TRUE(WaitForOutput("late.tga", expected));
    const RunResult run = watcher->Stop(SIGINT);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

TEST_F(WatchRunTest, TwoHundredFilesMovedInAtOnceAreEachConvertedOnce) {
    for (unsigned i = 0; i < 200; ++i) {
        ASSERT_TRUE(WriteTestPng(stage_ / ("f" + std::to_string(i) + ".png"), i));
    }
    auto watcher = StartWatcher();
    for (unsigned i = 0; i < 200; ++i) {
        const std::string name = "f" + std::to_string(i) + ".png";
        fs::rename(stage_ / name, in_ / name);
    }
    const auto outputs = [&] {
        return std::distance(fs::directory_iterator(out_.Path()), fs::directory_iterator());
    };
    EXPECT_TRUE(WaitUntil([&] { return outputs() == 200; })) << outputs();
    std::this_thread::sleep_for(200ms); // time for a second conversion to show, were there one
    const RunResult run = watcher->Stop(SIGTERM);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "Files converted: 200 of 200");
    std::set<std::string> converted;
    size_t lines = 0;
    for (size_t at = run.out.find("Converted: "); at != std::string::npos;
         at = run.out.find("Converted: ", at + 1)) {
        converted.insert(run.out.substr(at, run.out.find('\n', at) - at));
        ++lines;
    }
    EXPECT_EQ(lines, 200u);
    EXPECT_EQ(converted.size(), 200u);
}

// A smaller soak than bench/watch: a thousand arrivals may not grow the peak memory.
TEST_F(WatchRunTest, PeakMemoryStaysFlatWhileFilesArrive) {
    auto watcher = StartWatcher();
    long warmPeak = 0;
    for (unsigned round = 0; round < 10; ++round) {
        for (unsigned i = 0; i < 100; ++i) {
            const std::string name = "r" + std::to_string(round) + "-" + std::to_string(i) + ".png";
            ASSERT_TRUE(WriteTestPng(stage_ / name, i));
            fs::rename(stage_ / name, in_ / name);
        }
        const auto done = [&] {
            return std::distance(fs::directory_iterator(out_.Path()), fs::directory_iterator()) ==
                   100 * (round + 1);
        };
        ASSERT_TRUE(WaitUntil(done));
        if (round == 1) {
            warmPeak = StatusKilobytes(watcher->Pid(), "VmHWM");
        }
    }
    const long peak = StatusKilobytes(watcher->Pid(), "VmHWM");
    if (kPeakMemoryMeaningful) {
        EXPECT_LT(peak, warmPeak * 11 / 10) << warmPeak << " kB, then " << peak << " kB";
    }
    EXPECT_EQ(watcher->Stop(SIGTERM).status, 0);
}

TEST_F(WatchRunTest, NumberedNamesGoOnFromArrivalToArrival) {
    ASSERT_TRUE(WriteTestPng(in_ / "a.png", 1));
    ASSERT_TRUE(WriteTestPng(in_ / "b.png", 2));
    auto watcher = StartWatcher("%n%-%filename%.%ext%");
    for (const std::string name : {"c", "d"}) {
        ASSERT_TRUE(WriteTestPng(stage_ / (name + ".png"), 3));
        fs::rename(stage_ / (name + ".png"), in_ / (name + ".png"));
        const std::string expected = name == "c" ? "00003-c.tga" : "00004-d.tga";
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(out_ / expected); })) << expected;
    }
    EXPECT_TRUE(fs::exists(out_ / "00001-a.tga"));
    EXPECT_TRUE(fs::exists(out_ / "00002-b.tga"));
    EXPECT_EQ(watcher->Stop(SIGTERM).status, 0);
}

TEST_F(WatchRunTest, AFolderThatCannotBeWatchedIsAnErrorBeforeAnything) {
    ASSERT_TRUE(WriteTestPng(in_ / "there.png", 1));
    const RunResult run = RunProgram(
        MillconvPath(), {"--watch", "-q", in_.Path(), in_ / "missing", "-o", out_.Path()},
        IsolatedEnvironment(home_));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.starts_with("Error: Cannot watch " + in_ / "missing")) << run.out;
    EXPECT_TRUE(fs::is_empty(out_.Path()));
}

} // namespace
} // namespace millconv::test
