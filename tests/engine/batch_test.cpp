// The input set, the worker thread, counters, file times and the pause gate.
#include "engine_test_support.h"

#include "base/text.h"
#include "engine/conversion_run.h"
#include "job/job_record.h"
#include "platform/files.h"
#include "platform/terminal.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace millconv::test {
namespace {

class BatchTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ClearInputSet();
    }
    void TearDown() override { ClearInputSet(); }
    std::string WritePng(const std::string& name) {
        const std::string path = input_ / name;
        EXPECT_TRUE(SavePng(Gradient(16, 8).get(), path));
        return path;
    }
    // Runs the job's one file, as the console does, and copies the last file back.
    int32_t Run() {
        ConversionRun run(JobRunRequest());
        const RunOutcome outcome = run.Run();
        StoreFileContext(outcome.lastFile);
        progress_ = run.ReadProgress();
        return outcome.converted;
    }
    // A run started on its own thread, held before its first file.
    static std::unique_ptr<ConversionRun> StartPaused() {
        RunRequest request = JobRunRequest();
        request.startPaused = true;
        auto run = std::make_unique<ConversionRun>(std::move(request));
        EXPECT_TRUE(run->Start());
        return run;
    }

    TempFolder input_;
    ProgressSnapshot progress_;
};

TEST_F(BatchTest, AddInputFileAcceptsOnlyNonEmptyPngFiles) {
    const std::string png = WritePng("a.png");
    EXPECT_TRUE(AddInputFile(png));
    EXPECT_EQ(InputSet().size(), 1u);
    EXPECT_EQ(InputSet().begin()->second.flag, 1);

    const std::string upper = WritePng("B.PNG");
    EXPECT_TRUE(AddInputFile(upper));
    ASSERT_EQ(InputSet().size(), 1u); // adding replaces
    EXPECT_EQ(InputSet().begin()->first, upper);

    std::ofstream(input_ / "empty.png").close();
    EXPECT_FALSE(AddInputFile(input_ / "empty.png"));
    std::ofstream(input_ / "photo.jpg") << "data";
    EXPECT_FALSE(AddInputFile(input_ / "photo.jpg"));
    EXPECT_FALSE(AddInputFile(input_ / "noextension"));
    EXPECT_EQ(InputSet().begin()->first, upper);
    // A missing file passes the size test; it fails later at loading.
    EXPECT_TRUE(AddInputFile(input_ / "missing.png"));
}

TEST_F(BatchTest, AddInputFileRecordsTheSubfolderBelowTheBase) {
    std::filesystem::create_directory(input_ / "sub");
    const std::string png = WritePng("sub/a.png");
    gJob.baseFolder = input_.Path();
    ASSERT_TRUE(AddInputFile(png));
    EXPECT_EQ(InputSet().begin()->second.relativeSubfolder, "sub/");
}

TEST_F(BatchTest, SequenceNumbersSkipFailedFiles) {
    gSettings.advanced.filenameMask = "%n%-%filename%.%ext%";
    ASSERT_TRUE(AddInputFile(WritePng("first.png")));
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(gJob.sequenceNumber, 2);

    std::ofstream(input_ / "broken.png") << "not a png";
    ASSERT_TRUE(AddInputFile(input_ / "broken.png"));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(gJob.sequenceNumber, 2);

    ASSERT_TRUE(AddInputFile(WritePng("second.png")));
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(FolderEntries(folder_.Path()),
              (std::vector<std::string>{"00001-first.tga", "00002-second.tga"}));
    EXPECT_EQ(progress_.currentIndex, 1);
    EXPECT_EQ(progress_.currentFile, input_ / "second.png");
}

TEST_F(BatchTest, FileTimesFollowTheTimestampSetting) {
    const std::string png = WritePng("a.png");
    const int64_t inputDate = DateValueFromEpoch(1'500'000'000);
    ASSERT_TRUE(SetFileDate(png, inputDate));
    ASSERT_TRUE(AddInputFile(png));

    gSettings.advanced.fileTimestamp = 1;
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(FileDate(folder_ / "a.tga"), inputDate);

    gSettings.advanced.fileTimestamp = 2;
    gSettings.advanced.customTimestamp = static_cast<int32_t>(DateValueFromEpoch(1'300'000'000));
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(FileDate(folder_ / "a.tga"), gSettings.advanced.customTimestamp);

    gSettings.advanced.fileTimestamp = 0;
    ASSERT_EQ(Run(), 1);
    const int64_t now = DateValueNow();
    EXPECT_LE(std::abs(*FileDate(folder_ / "a.tga") - now), 60);
}

TEST_F(BatchTest, StoppedRunConvertsNothing) {
    ASSERT_TRUE(AddInputFile(WritePng("a.png")));
    const auto run = StartPaused();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(run->Finished()); // held at the gate before its file
    run->Stop();
    run->Resume();
    EXPECT_TRUE(run->Join().stopped);
    const ProgressSnapshot progress = run->ReadProgress();
    EXPECT_EQ(progress.currentIndex, 0);
    EXPECT_EQ(progress.convertedCount, 0);
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
}

TEST_F(BatchTest, PausedRunGoesOnAfterResume) {
    ASSERT_TRUE(AddInputFile(WritePng("a.png")));
    const auto run = StartPaused();
    run->Resume();
    EXPECT_EQ(run->Join().converted, 1);
    EXPECT_EQ(run->ReadProgress().convertedCount, 1);
}

// The console's reporter: debug lines on stdout.
void PrintDetails(ReportKind kind, std::string_view line) {
    if (kind == ReportKind::Detail) {
        PrintLine(line);
    }
}

TEST_F(BatchTest, DebugLinesOnlyForConsoleJobs) {
    ASSERT_TRUE(AddInputFile(WritePng("a.png")));
    SetEngineReporter(PrintDetails);
    gJob.runMode = "DEBUG";
    testing::internal::CaptureStdout();
    Run();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    gJob.inputGiven = true;
    testing::internal::CaptureStdout();
    Run();
    const std::string input = InputSet().begin()->first;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Processing: " + input + "\nSaving As: " + (folder_ / "a.tga") + "\nOK\n");
    gJob.runMode.clear();
    SetEngineReporter(nullptr);
}

TEST(ShortenMiddleTest, KeepsEqualEndsAroundDots) {
    EXPECT_EQ(ShortenMiddle("/home/user/images/photo.png", 13), "/home...o.png");
    EXPECT_EQ(ShortenMiddle("short", 13), "short");
    EXPECT_EQ(ShortenMiddle("", 3), "");
    EXPECT_EQ(ShortenMiddle("abcdef", 3), "...");
    EXPECT_EQ(ShortenMiddle("ääääääää", 7), "ää...ää"); // characters, not bytes
}

TEST(QuotedNameTest, ControlCharactersAreEscapedInsideQuotes) {
    const std::pair<const char*, const char*> names[] = {
        {"/tmp/plain name's\\.png", "/tmp/plain name's\\.png"},
        {"a\nb.png", "$'a\\nb.png'"},
        {"tab\there\r", "$'tab\\there\\r'"},
        {"bell\a'q'\\", "$'bell\\x07\\'q\\'\\\\'"},
        {"del\x7f\x1b[2J", "$'del\\x7f\\x1b[2J'"},
        {"\xc3\xa4\n", "$'\xc3\xa4\\n'"},
    };
    for (const auto& [name, printed] : names) {
        EXPECT_EQ(QuotedName(name), printed) << printed;
    }
}

} // namespace
} // namespace millconv::test
