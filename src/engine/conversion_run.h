// A conversion run as an object: built from a request, it owns its inputs, progress, pause gate
// and workers; any number may exist at once.
#pragma once

#include "engine/run.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace millconv {

// Why a file of a run was not written.
enum class FileFailure {
    Unreadable,    // not an image the loader reads
    ReplacesInput, // the output name is the input itself
    NotWritten,    // an image step or the save failed
};

struct FileFailureReport {
    std::string input;
    std::string outputPath; // empty when the file failed before it was named
    FileFailure failure = FileFailure::NotWritten;
    std::string detail;  // the image library's last message for the file, if any
    std::string problem; // the engine's own line naming the file and the reason, if it gave one
};

// Converts file.currentInput (its subfolder set) with the run, keeping the image library's
// messages for the file. True when it was written; otherwise report says why. Problems other
// than the reason pass on to the engine reporter. Safe on any thread.
bool ConvertFileReporting(const RunSnapshot& run, FileContext& file, FileFailureReport& report);

// One line naming the failed file and the reason: the engine's own line when it gave one,
// else one made from what is known ("millconv: <input>: not a readable image (<detail>)").
std::string FailureLine(const FileFailureReport& report);

// What a run tells its owner; called one at a time, from any worker. The last problem line of
// a failed file goes into its report (and the progress record's failure) instead of to the
// reporter.
struct RunObserver {
    // A file is taken up: its 1-based place in path order, the total, its path.
    std::function<void(int32_t index, int32_t total, const std::string& input)> started;
    std::function<void(const FileFailureReport& report)> failed;
    // A file was written: its input and output paths.
    std::function<void(const std::string& input, const std::string& output)> converted;
};

// Everything a run is made from. The run keeps its own copy: the owner's records may change
// while it converts.
struct RunRequest {
    RunSnapshot snapshot; // settings sections, output parameters and folder, inputs, reporter
    FileContext start;    // the per-file fields and counters the first file starts from
    int32_t jobs = 1;     // workers wanted; a run that numbers its files (%n%) keeps one
    RunObserver observer;
    // Read before each file like Stop(); for a flag a signal handler sets.
    const std::atomic<bool>* stopSignal = nullptr;
    bool startPaused = false; // the gate starts closed: no file is taken up before Resume()
};

// A copy of a run's progress record.
struct ProgressSnapshot {
    int32_t currentIndex = 0; // 1-based index of the file taken up last; 0 before the first
    std::string currentFile;
    int32_t convertedCount = 0; // set when the run ends
    bool running = false;       // cleared by a stop request
    std::string failure;        // why the last file that failed was not written (one line)
};

struct RunOutcome {
    int32_t total = 0;     // files in the request
    int32_t converted = 0; // files written
    bool stopped = false;  // a stop ended the run before every file was taken up
    // The per-file context after the file taken up last (the start when none was), for an
    // owner that keeps the last file's fields.
    FileContext lastFile;
};

// True when the run's file names or watermark text number the files (%n%): such a run keeps
// one worker, so the numbers follow the input order exactly as a one-at-a-time run gives them.
bool NeedsInputOrder(const RunSnapshot& run);

// The number of online processors, at least 1.
int32_t OnlineProcessorCount();

// Converts every input of its request in path order with up to `jobs` workers. Each worker
// starts its per-file context from the request's start and advances %rnd% and %n% after each
// file it wrote; the subfolder a file needs below the output folder is made first, and the
// written file's time is set as File Timestamp asks. Readers take copies of the progress from
// any thread. Not copyable; destroying a run stops it after the files being converted and
// waits for its workers.
class ConversionRun {
  public:
    explicit ConversionRun(RunRequest request);
    ~ConversionRun();
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // Converts on the calling thread, which is one of the workers (a one-worker run makes no
    // thread), and returns once the run has ended. Call once, instead of Start.
    RunOutcome Run();

    // Starts the workers on threads of their own and returns at once; false when not even one
    // thread could be made (the run has then ended, as a stopped one). Call once.
    bool Start();
    // True once every worker has ended; a started run can then be joined without waiting.
    bool Finished() const;
    // Opens the gate, waits for the workers of Start and gives the outcome.
    RunOutcome Join();

    // The run ends after the files being converted.
    void Stop();
    // While paused, each worker holds before its next file.
    void Pause();
    void Resume();

    ProgressSnapshot ReadProgress() const;

  private:
    int32_t WorkerCount() const;
    void StartThreads(int32_t count);
    // Takes the next file under the lock; false when none is left or a stop was asked for.
    bool TakeNext(size_t& index);
    void Work();
    void WaitWhilePaused();
    RunOutcome Outcome() const;

    const RunRequest request_;
    std::vector<const InputSetMap::value_type*> files_;

    mutable std::mutex mutex_;
    std::condition_variable gateChanged_;
    bool paused_ = false;
    bool stopRequested_ = false;
    size_t next_ = 0;
    ProgressSnapshot progress_;
    int32_t converted_ = 0;
    bool stopped_ = false;
    int32_t activeWorkers_ = 0;
    bool finished_ = false;
    size_t lastTaken_ = 0; // 1-based place of the file whose context lastFile_ holds
    FileContext lastFile_;

    std::vector<std::thread> threads_;
};

} // namespace millconv
