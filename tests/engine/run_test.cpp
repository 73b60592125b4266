// Runs described by values: per-file contexts, the snapshot a run reads, the copy back into
// the job record, and progress polled while a run converts several files.
#include "engine_test_support.h"

#include "engine/conversion_run.h"
#include "engine/pipeline.h"
#include "job/job_record.h"

#include <atomic>
#include <fstream>
#include <set>
#include <thread>
#include <tuple>

namespace millconv::test {
namespace {

class RunTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ClearInputSet();
    }
    void TearDown() override { ClearInputSet(); }
    // A PNG of its own size in the input set (entries are put in directly: a run walks any
    // number of them).
    std::string AddPng(const std::string& name, unsigned width, unsigned height,
                       unsigned bpp = 24) {
        const std::string path = input_ / name;
        // Half-transparent pixels keep a 32-bit picture 32-bit in the file.
        const Bitmap picture = MakeBitmap(width, height, bpp, [](unsigned x, unsigned y) {
            return Rgba(static_cast<BYTE>(x * 9), static_cast<BYTE>(y * 5), 77, 128);
        });
        EXPECT_TRUE(SavePng(picture.get(), path));
        InputSet()[path] = InputEntry{1, ""};
        return path;
    }
    // Runs the input set on a thread of its own, as the window does, and copies the last file
    // back into the job record as the window does.
    int32_t RunAll() {
        ConversionRun run(JobRunRequest());
        EXPECT_TRUE(run.Start());
        const RunOutcome outcome = run.Join();
        StoreFileContext(outcome.lastFile);
        return outcome.converted;
    }
    static std::unique_ptr<ConversionRun> StartPaused(RunRequest request = JobRunRequest()) {
        request.startPaused = true;
        auto run = std::make_unique<ConversionRun>(std::move(request));
        EXPECT_TRUE(run->Start());
        return run;
    }

    TempFolder input_;
};

TEST_F(RunTest, FilesOfOneRunGetConsecutiveNumbersAndTheJobEndsWithTheLastFile) {
    gSettings.advanced.filenameMask = "%n%-%width%x%height%-%bpp%-%filename%.%ext%";
    gJob.sequenceNumber = 7;
    AddPng("a.png", 13, 5);
    const std::string second = AddPng("b.png", 9, 11, 32);
    ASSERT_EQ(RunAll(), 2);
    EXPECT_EQ(FolderEntries(folder_.Path()),
              (std::vector<std::string>{"00007-13x5-24-a.tga", "00008-9x11-32-b.tga"}));
    EXPECT_EQ(gJob.currentInput, second);
    EXPECT_EQ(gJob.outputPath, folder_ / "00008-9x11-32-b.tga");
    EXPECT_EQ(gJob.sequenceNumber, 9);
    EXPECT_EQ(gJob.imageWidth, 9);
    EXPECT_EQ(gJob.imageHeight, 11);
    EXPECT_EQ(gJob.sourceDepth, 32);
    EXPECT_EQ(gJob.requestedDepth, 32); // chosen for the last file
}

TEST_F(RunTest, AFailedFileKeepsTheNumberForTheNext) {
    gSettings.advanced.filenameMask = "%n%-%filename%.%ext%";
    gJob.sequenceNumber = 1;
    AddPng("a.png", 8, 8);
    const std::string broken = input_ / "b.png";
    std::ofstream(broken) << "not a png";
    InputSet()[broken] = InputEntry{1, ""};
    AddPng("c.png", 8, 8);
    ASSERT_EQ(RunAll(), 2);
    EXPECT_EQ(FolderEntries(folder_.Path()),
              (std::vector<std::string>{"00001-a.tga", "00002-c.tga"}));
    EXPECT_EQ(gJob.sequenceNumber, 3);
}

TEST_F(RunTest, ARunReadsTheRecordsAsTheyWereWhenItStarted) {
    gSettings.advanced.filenameMask = "before-%filename%.%ext%";
    AddPng("a.png", 6, 4);
    const auto run = StartPaused();
    // The starter changes its records while the worker waits at the gate.
    TempFolder elsewhere;
    gSettings.advanced.filenameMask = "after-%filename%.%ext%";
    gJob.outputFolder = elsewhere.Path();
    gJob.sequenceNumber = 500;
    ClearInputSet();
    run->Resume();
    const RunOutcome outcome = run->Join();
    StoreFileContext(outcome.lastFile);
    EXPECT_EQ(run->ReadProgress().convertedCount, 1);
    EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"before-a.tga"});
    EXPECT_TRUE(FolderEntries(elsewhere.Path()).empty());
    EXPECT_EQ(gJob.sequenceNumber, 2); // the run's own count, copied back after the join
}

TEST_F(RunTest, ConvertingWithAContextLeavesTheJobRecordAlone) {
    const std::string path = AddPng("a.png", 10, 6);
    gJob.sequenceNumber = 41;
    const RunSnapshot run = TakeRunSnapshot();
    FileContext file = FileContextFromJob();
    file.currentInput = path;
    file.sequenceNumber = 3;
    gJob.currentInput = "/nowhere/else.png";
    ASSERT_TRUE(ConvertFile(run, file));
    EXPECT_EQ(file.outputPath, folder_ / "a.tga");
    EXPECT_EQ(file.imageWidth, 10);
    EXPECT_EQ(gJob.currentInput, "/nowhere/else.png");
    EXPECT_TRUE(gJob.outputPath.empty());
    EXPECT_EQ(gJob.sequenceNumber, 41);
}

TEST_F(RunTest, ProgressCanBePolledWhileARunConvertsSeveralFiles) {
    std::set<std::string> inputs;
    for (int i = 0; i < 6; ++i) {
        inputs.insert(AddPng("f" + std::to_string(i) + ".png", 40 + i, 30));
    }
    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    std::atomic<int> reads{0};
    const auto run = StartPaused();
    std::thread poller([&] {
        int32_t lastIndex = 0;
        while (!done) {
            const ProgressSnapshot progress = run->ReadProgress();
            ++reads;
            const bool fileFits = progress.currentIndex == 0
                                      ? progress.currentFile.empty()
                                      : inputs.count(progress.currentFile) == 1;
            if (progress.currentIndex < lastIndex || progress.currentIndex > 6 || !fileFits) {
                ++badReads;
            }
            lastIndex = progress.currentIndex;
        }
    });
    // The poller reads at least once before the run goes on, however the threads are scheduled.
    while (reads.load() == 0) {
        std::this_thread::yield();
    }
    run->Resume();
    while (!run->Finished()) {
        std::this_thread::yield();
    }
    run->Join();
    done = true;
    poller.join();
    const ProgressSnapshot progress = run->ReadProgress();
    EXPECT_EQ(progress.convertedCount, 6);
    EXPECT_EQ(progress.currentIndex, 6);
    EXPECT_TRUE(progress.running);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(badReads.load(), 0);
    EXPECT_EQ(FolderEntries(folder_.Path()).size(), 6u);
}

TEST_F(RunTest, TwoRunsSideBySideKeepTheirOwnCounts) {
    const std::string a = AddPng("a.png", 8, 8);
    const std::string b = AddPng("b.png", 8, 8);
    gSettings.advanced.filenameMask = "%n%-%filename%.%ext%";
    RunSnapshot first = TakeRunSnapshot();
    first.inputs.erase(b);
    RunSnapshot second = TakeRunSnapshot();
    second.inputs.erase(a);
    TempFolder otherOut;
    second.outputFolder = otherOut.Path();
    RunRequest one = JobRunRequest();
    one.snapshot = first;
    one.start.sequenceNumber = 1;
    RunRequest two = JobRunRequest();
    two.snapshot = second;
    two.start.sequenceNumber = 50;
    ConversionRun started(std::move(one));
    ASSERT_TRUE(started.Start());
    const RunOutcome here = ConversionRun(std::move(two)).Run();
    const RunOutcome there = started.Join();
    EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"00001-a.tga"});
    EXPECT_EQ(FolderEntries(otherOut.Path()), std::vector<std::string>{"00050-b.tga"});
    EXPECT_EQ(there.lastFile.sequenceNumber, 2);
    EXPECT_EQ(here.lastFile.sequenceNumber, 51);
    EXPECT_EQ(started.ReadProgress().convertedCount, 1);
}

// A console-style run (on its caller's thread, two workers) and a window-style run (its own
// thread, paused and resumed) at once, each followed by a reader of its own progress.
TEST_F(RunTest, AConsoleRunAndAWindowRunSideBySideEachPolled) {
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(AddPng("s" + std::to_string(i) + ".png", 20 + i, 9));
    }
    TempFolder windowOut;
    RunRequest console = JobRunRequest();
    console.jobs = 2;
    gSettings.advanced.filenameMask = "%n%-%filename%.%ext%";
    gJob.outputFolder = windowOut.Path();
    RunRequest window = JobRunRequest();
    window.start.sequenceNumber = 30;
    window.startPaused = true;

    std::atomic<bool> done{false};
    const auto follow = [&done](const ConversionRun& run, std::atomic<int>& badReads) {
        int32_t last = 0;
        while (!done) {
            const ProgressSnapshot progress = run.ReadProgress();
            if (progress.currentIndex < last || progress.currentIndex > 6) {
                ++badReads;
            }
            last = progress.currentIndex;
        }
    };
    ConversionRun windowRun(std::move(window));
    ConversionRun consoleRun(std::move(console));
    std::atomic<int> windowBad{0};
    std::atomic<int> consoleBad{0};
    std::thread windowReader([&] { follow(windowRun, windowBad); });
    std::thread consoleReader([&] { follow(consoleRun, consoleBad); });
    ASSERT_TRUE(windowRun.Start());
    const RunOutcome consoleOutcome = consoleRun.Run();
    windowRun.Resume();
    const RunOutcome windowOutcome = windowRun.Join();
    done = true;
    windowReader.join();
    consoleReader.join();

    EXPECT_EQ(consoleOutcome.converted, 6);
    EXPECT_EQ(windowOutcome.converted, 6);
    EXPECT_EQ(consoleBad.load(), 0);
    EXPECT_EQ(windowBad.load(), 0);
    std::vector<std::string> plain;
    std::vector<std::string> numbered;
    for (int i = 0; i < 6; ++i) {
        plain.push_back("s" + std::to_string(i) + ".tga");
        numbered.push_back("000" + std::to_string(30 + i) + "-s" + std::to_string(i) + ".tga");
    }
    EXPECT_EQ(FolderEntries(folder_.Path()), plain);
    EXPECT_EQ(FolderEntries(windowOut.Path()), numbered);
    EXPECT_EQ(windowOutcome.lastFile.currentInput, paths.back());
    EXPECT_EQ(windowOutcome.lastFile.sequenceNumber, 36);
}

TEST_F(RunTest, ConvertToBitmapGivesWhatARunWouldSaveAndWritesNothing) {
    const std::string path = AddPng("p.png", 31, 17, 32);
    gSettings.transform.doImageFlipHorizontal = 1;
    gSettings.advanced.filenameMask = "%n%-%filename%.%ext%";
    gJob.sequenceNumber = 4;
    const RunSnapshot run = TakeRunSnapshot();
    const std::optional<ConvertedBitmap> converted =
        ConvertToBitmap(run, path, FileContextFromJob());
    ASSERT_TRUE(converted);
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
    EXPECT_EQ(gJob.sequenceNumber, 4);
    EXPECT_EQ(converted->output.formatId, run.output.formatId);
    EXPECT_EQ(converted->output.requestedDepth, 32); // chosen for this half-transparent file
    EXPECT_EQ(converted->file.imageWidth, 31);
    EXPECT_EQ(converted->file.sourceDepth, 32);

    // The same pixels as the file a run writes from the same settings.
    ASSERT_EQ(RunAll(), 1);
    const Bitmap written = LoadTga(folder_ / "00004-p.tga");
    ASSERT_TRUE(written);
    ASSERT_EQ(FreeImage_GetWidth(written.get()), FreeImage_GetWidth(converted->bitmap.get()));
    for (const auto& [x, y] : {std::pair{0u, 0u}, {30u, 16u}, {7u, 11u}}) {
        const RGBQUAD a = PixelOf(written.get(), x, y);
        const RGBQUAD b = PixelOf(converted->bitmap.get(), x, y);
        EXPECT_EQ(std::tie(a.rgbRed, a.rgbGreen, a.rgbBlue),
                  std::tie(b.rgbRed, b.rgbGreen, b.rgbBlue))
            << x << "," << y;
    }
}

TEST_F(RunTest, ConvertToBitmapStopsAtACancelOrAnUnreadableInput) {
    const std::string path = AddPng("p.png", 12, 12);
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(ConvertToBitmap(TakeRunSnapshot(), path, FileContextFromJob(), &cancel));
    const std::string broken = input_ / "broken.png";
    std::ofstream(broken) << "not a png";
    EXPECT_FALSE(ConvertToBitmap(TakeRunSnapshot(), broken));
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
}

} // namespace
} // namespace millconv::test
