// Batch run: the input set, the progress record and the worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

struct InputEntry {
    int32_t flag = 0;              // 1 once added
    std::string relativeSubfolder; // below gJob.baseFolder, or empty
};

// The files of a run, keyed by full path; it holds at most one file.
using InputSetMap = std::map<std::string, InputEntry>;
InputSetMap& InputSet();
void ClearInputSet();

// Accepts a non-empty file (a missing one passes) whose lower-cased extension is an
// accepted input extension, and makes it the only entry of the input set.
bool AddInputFile(const std::string& path);

// Exact, case-sensitive search.
bool IsInList(const std::vector<std::string>& list, std::string_view text);

// Shared with the worker. currentIndex, currentFile and convertedCount are guarded by
// gProgressMutex; running is atomic so the worker may read it without the lock.
struct ProgressState {
    int32_t currentIndex = 0;
    std::string currentFile;
    int32_t convertedCount = 0;
    std::atomic<bool> running{false};
};
extern ProgressState gProgress;
extern std::mutex gProgressMutex;

// Index 0, no file, nothing converted, running on.
void ResetProgress();

// Clears the running flag under the mutex: the worker ends after the file it is on.
void StopConversion();

// The worker procedure: converts every entry of the input set while running is on,
// advancing %rnd% and %n% and setting file times after each written file. Returns 0.
int ConversionWorker();

// Starts ConversionWorker on its own thread (after ResetProgress); false when a worker is
// still running. JoinConversionWorker waits for it; ConversionWorkerFinished tells a
// polling dialog whether it has ended.
bool StartConversionWorker();
void JoinConversionWorker();
bool ConversionWorkerFinished();

// The pause gate: while closed, the worker waits before its next file. The window closes
// it while it asks whether to stop the run and opens it after the answer.
void PauseConversion();
void ResumeConversion();

// Keeps the first and last (n - 3) / 2 characters of a text longer than n characters,
// joined by "...".
std::string ShortenMiddle(std::string_view text, int n);

} // namespace millconv
