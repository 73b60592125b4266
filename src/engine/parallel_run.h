// A batch run on several workers: the files of one snapshot, shared out in path order.
#pragma once

#include "engine/run.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace millconv {

// Why a file of a batch run was not written.
enum class FileFailure {
    Unreadable,   // not an image the loader reads
    ReplacesInput, // the output name is the input itself
    NotWritten,   // an image step or the save failed
};

struct FileFailureReport {
    std::string input;
    std::string outputPath; // empty when the file failed before it was named
    FileFailure failure = FileFailure::NotWritten;
    std::string detail; // the image library's last message for the file, if any
    std::string problem; // the engine's own line naming the file and the reason, if it gave one
};

// What a parallel run tells its starter; called one at a time, from any worker.
struct ParallelRunObserver {
    // A file is taken up: its 1-based place in path order, the total, its path.
    std::function<void(int32_t index, int32_t total, const std::string& input)> started;
    std::function<void(const FileFailureReport& report)> failed;
    // A file was written: its input and output paths.
    std::function<void(const std::string& input, const std::string& output)> converted;
};

struct ParallelRunResult {
    int32_t total = 0;     // files in the snapshot
    int32_t converted = 0; // files written
    bool stopped = false;  // the stop request ended the run before every file was taken up
};

// True when the run's file names or watermark text number the files (%n%): such a run keeps
// one worker, so the numbers follow the input order exactly as a one-at-a-time run gives them.
bool NeedsInputOrder(const RunSnapshot& run);

// The number of online processors, at least 1.
int32_t OnlineProcessorCount();

// Converts every entry of run.inputs with up to `workers` workers (the calling thread is one
// of them), taking the files in path order. Each worker starts its per-file context from
// `start` and advances %rnd% and %n% after each file it wrote, as a one-at-a-time run does;
// the subfolder a file needs below the output folder is created first. A set stopRequest ends
// the run after the files being converted.
ParallelRunResult RunInParallel(const RunSnapshot& run, const FileContext& start, int32_t workers,
                                const ParallelRunObserver& observer,
                                const std::atomic<bool>* stopRequest = nullptr);

} // namespace millconv
