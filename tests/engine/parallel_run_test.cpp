// Batch inputs and the parallel run: path order, subfolders, failures and numbering.
#include "engine_test_support.h"

#include "engine/batch_inputs.h"
#include "engine/conversion_run.h"

#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace millconv::test {
namespace {

namespace fs = std::filesystem;

class ParallelRunTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        gJob.outputFolder = out_.Path();
    }

    void WritePng(const std::string& name, unsigned seed) {
        fs::create_directories(fs::path(in_ / name).parent_path());
        Bitmap image = MakeBitmap(5 + seed % 4, 3 + seed % 2, 24, [seed](unsigned x, unsigned y) {
            return Rgba(BYTE(seed * 40 + x), BYTE(y * 30), BYTE(seed + x * y));
        });
        ASSERT_TRUE(SavePng(image.get(), in_ / name));
    }

    // Runs the collected inputs on `workers` workers and records what the observer heard.
    RunOutcome RunOn(int32_t workers, const std::atomic<bool>* stop = nullptr) {
        RunRequest run = JobRunRequest();
        run.snapshot.inputs = CollectBatchInputs({in_.Path()});
        run.jobs = workers;
        run.stopSignal = stop;
        RunObserver& observer = run.observer;
        observer.started = [this](int32_t index, int32_t total, const std::string& input) {
            started_.push_back(std::to_string(index) + "/" + std::to_string(total) + " " + input);
        };
        observer.failed = [this](const FileFailureReport& report) { failed_.push_back(report); };
        return ConversionRun(std::move(run)).Run();
    }

    TempFolder in_;
    TempFolder out_;
    std::vector<std::string> started_;
    std::vector<FileFailureReport> failed_;
};

TEST_F(ParallelRunTest, CollectsAcceptedFilesBelowAFolderWithTheirSubfolders) {
    WritePng("a.png", 1);
    WritePng("deep/er/b.PNG", 2);
    std::ofstream(in_ / "deep/notes.txt") << "text";
    std::ofstream(in_ / "deep/empty.png");
    const InputSetMap inputs = CollectBatchInputs({in_.Path(), in_ / "a.png", in_ / "missing.png"});
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs.at(in_ / "a.png").relativeSubfolder, "");
    EXPECT_EQ(inputs.at(in_ / "deep/er/b.PNG").relativeSubfolder, "deep/er/");
}

TEST_F(ParallelRunTest, TwoWorkersWriteWhatOneWrites) {
    for (unsigned i = 0; i < 12; ++i) {
        WritePng("s" + std::to_string(i % 3) + "/p" + std::to_string(i) + ".png", i);
    }
    std::ofstream(in_ / "s1/broken.png") << "\x89PNG\r\n\x1a\n broken";
    const RunOutcome two = RunOn(2);
    EXPECT_EQ(two.total, 13);
    EXPECT_EQ(two.converted, 12);
    EXPECT_FALSE(two.stopped);
    ASSERT_EQ(failed_.size(), 1u);
    EXPECT_EQ(failed_[0].input, in_ / "s1/broken.png");
    EXPECT_EQ(failed_[0].failure, FileFailure::Unreadable);
    EXPECT_EQ(started_.size(), 13u);

    std::map<std::string, std::string> parallel;
    for (const auto& entry : fs::recursive_directory_iterator(out_.Path())) {
        if (entry.is_regular_file()) {
            parallel[entry.path().string()] = ReadAll(entry.path().string());
        }
    }
    ASSERT_EQ(parallel.size(), 12u);
    fs::remove_all(out_.Path());
    fs::create_directory(out_.Path());
    EXPECT_EQ(RunOn(1).converted, 12);
    for (const auto& [path, bytes] : parallel) {
        EXPECT_EQ(ReadAll(path), bytes) << path;
    }
}

TEST_F(ParallelRunTest, SequenceNumbersKeepOneWorkerInPathOrder) {
    for (const char* name : {"m.png", "b/z.png", "a.png", "b/a.png"}) {
        WritePng(name, unsigned(std::string(name).size()));
    }
    gSettings.advanced.filenameMask = "%N%.%ext%";
    gSettings.advanced.keepSubfolders = 0;
    EXPECT_TRUE(NeedsInputOrder(TakeRunSnapshot()));
    EXPECT_EQ(RunOn(4).converted, 4);
    // Path order: a.png, b/a.png, b/z.png, m.png.
    const std::vector<std::string> expected = {"1/4 " + in_ / "a.png", "2/4 " + in_ / "b/a.png",
                                               "3/4 " + in_ / "b/z.png", "4/4 " + in_ / "m.png"};
    EXPECT_EQ(started_, expected);
    Bitmap third(FreeImage_Load(FIF_TARGA, (out_ / "00003.tga").c_str(), 0));
    ASSERT_TRUE(third);
    EXPECT_EQ(FreeImage_GetWidth(third.get()), 5u + 7 % 4); // "b/z.png" has seed 7

    gSettings.advanced.filenameMask = "%filename%.%ext%";
    gSettings.watermark.doWatermark = 1;
    gSettings.watermark.text = "no %n% here";
    EXPECT_TRUE(NeedsInputOrder(TakeRunSnapshot()));
    gSettings.watermark.doWatermark = 0;
    EXPECT_FALSE(NeedsInputOrder(TakeRunSnapshot()));
}

TEST_F(ParallelRunTest, AStopRequestTakesUpNoFurtherFile) {
    WritePng("a.png", 1);
    WritePng("b.png", 2);
    const std::atomic<bool> stop{true};
    const RunOutcome result = RunOn(2, &stop);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.converted, 0);
    EXPECT_TRUE(started_.empty());
}

TEST_F(ParallelRunTest, NumberedNamesOrTextKeepTheRunOnTheCallingThread) {
    for (unsigned i = 0; i < 6; ++i) {
        WritePng("n" + std::to_string(i) + ".png", i);
    }
    struct Case {
        const char* mask;
        const char* text;
    };
    for (const Case& c :
         {Case{"%n%-%filename%.%ext%", ""}, Case{"%filename%.%ext%", "no %N% here"}}) {
        gSettings.advanced.filenameMask = c.mask;
        gSettings.watermark.doWatermark = c.text[0] != '\0' ? 1 : 0;
        gSettings.watermark.text = c.text;
        std::set<std::thread::id> threads;
        RunRequest run = JobRunRequest();
        run.snapshot.inputs = CollectBatchInputs({in_.Path()});
        run.jobs = 4;
        run.observer.started = [&threads](int32_t, int32_t, const std::string&) {
            threads.insert(std::this_thread::get_id());
        };
        ConversionRun(std::move(run)).Run();
        EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()}) << c.mask;
    }
}

} // namespace
} // namespace millconv::test
