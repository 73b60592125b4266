// Batch run: the input set, the conversion run with its progress record, and the worker thread.
#pragma once

#include "engine/run.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

// The input set of the job, keyed by full path. The console adds one file; a run walks any
// number of entries.
InputSetMap& InputSet();
void ClearInputSet();

// Accepts a non-empty file (a missing one passes) whose lower-cased extension is an
// accepted input extension, and makes it the only entry of the input set.
bool AddInputFile(const std::string& path);

// Sets the written output's file time as File Timestamp asks: the input's date, the custom
// date, or the time it was written (left alone).
void ApplyFileTimestamp(const Settings::Advanced& advanced, const std::string& input,
                        const std::string& output);

// Exact, case-sensitive search.
bool IsInList(const std::vector<std::string>& list, std::string_view text);

// A copy of a run's progress record.
struct ProgressSnapshot {
    int32_t currentIndex = 0;  // 1-based index of the file being converted; 0 before the first
    std::string currentFile;
    int32_t convertedCount = 0; // set when the run ends
    bool running = false;       // cleared by a stop request
    std::string failure;        // why the last file that failed was not written (one line)
};

// The gate a run waits at before each file while it is closed.
class PauseGate {
  public:
    void Close();
    void Open();
    void WaitWhileClosed();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

// One conversion run: it converts every entry of its snapshot's input set with a per-file
// context that starts from the given one, advancing %rnd% and %n% and setting file times
// after each written file. The worker writes only into the run; readers take copies.
class ConversionRun {
  public:
    ConversionRun(RunSnapshot snapshot, FileContext start, PauseGate& gate);

    // The worker procedure; call once, on the worker's thread.
    void Convert();

    ProgressSnapshot ReadProgress() const;
    // The run ends after the file it is on.
    void Stop();
    // The per-file context of the last file the run took up (the starting one when it took
    // none). Read it after Convert has returned.
    const FileContext& LastFile() const { return file_; }

  private:
    const RunSnapshot snapshot_;
    FileContext file_;
    PauseGate& gate_;
    mutable std::mutex mutex_;
    ProgressSnapshot progress_;
};

// Clears the running flag of the current run: the worker ends after the file it is on.
void StopConversion();

// A copy of the current (or last) run's progress record, taken under its lock; all zero
// before the first run.
ProgressSnapshot ReadProgress();

// Snapshots the job record, the settings and the input set and starts a run on its own
// thread; false when a worker is still running or no thread can be made.
// JoinConversionWorker waits for it and then copies the last file's per-file fields back into
// the job record; ConversionWorkerFinished tells a polling dialog whether it has ended.
bool StartConversionWorker();
void JoinConversionWorker();
bool ConversionWorkerFinished();

// The pause gate of the runs StartConversionWorker starts: while closed, the worker waits
// before its next file. The window closes it while it asks whether to stop the run and opens
// it after the answer.
void PauseConversion();
void ResumeConversion();

// Keeps the first and last (n - 3) / 2 characters of a text longer than n characters,
// joined by "...".
std::string ShortenMiddle(std::string_view text, int n);

} // namespace millconv
