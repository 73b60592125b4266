// A batch run on several workers: the files of one snapshot, shared out in path order.
#include "engine/parallel_run.h"

#include "base/text.h"
#include "engine/batch.h"
#include "engine/job_record.h"
#include "engine/pipeline.h"
#include "engine/report.h"
#include "platform/files.h"

#include <FreeImage.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

namespace millconv {

namespace {

// The library reports why a file failed only through one process-wide hook; each worker
// keeps the last message of its own file, and a debugging run also shows it.
thread_local std::string tLastMessage;
thread_local EngineReporter tReporter = nullptr;

void DLL_CALLCONV KeepFreeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    std::string line;
    if (const char* name = FreeImage_GetFormatFromFIF(format)) {
        line = std::string(name) + ": ";
    }
    line += message != nullptr ? message : "";
    tLastMessage = line;
    if (tReporter != nullptr) {
        tReporter(ReportKind::Problem, "FreeImage: " + line);
    }
}

class Workers {
  public:
    Workers(const RunSnapshot& run, const FileContext& start, const ParallelRunObserver& observer,
            const std::atomic<bool>* stopRequest)
        : run_(run), start_(start), observer_(observer), stopRequest_(stopRequest) {
        for (const auto& entry : run.inputs) {
            files_.push_back(&entry);
        }
    }

    // The loop of one worker: the next file in path order until none is left.
    void Work() {
        tReporter = run_.reporter;
        FileContext file = start_;
        while (true) {
            size_t index = 0;
            {
                std::lock_guard lock(mutex_);
                if (next_ == files_.size()) {
                    break;
                }
                if (stopRequest_ != nullptr && stopRequest_->load()) {
                    stopped_ = true;
                    break;
                }
                index = next_++;
                if (observer_.started) {
                    observer_.started(static_cast<int32_t>(index + 1),
                                      static_cast<int32_t>(files_.size()), files_[index]->first);
                }
            }
            ConvertOne(*files_[index], file);
        }
        tReporter = nullptr;
    }

    ParallelRunResult Result() const {
        return {static_cast<int32_t>(files_.size()), converted_.load(), stopped_};
    }

  private:
    using Entry = InputSetMap::value_type;

    void Detail(const std::string& line) const {
        if (run_.reporter != nullptr) {
            run_.reporter(ReportKind::Detail, line);
        }
    }

    void ConvertOne(const Entry& entry, FileContext& file) {
        const std::string& path = entry.first;
        file.currentInput = path;
        file.relativeSubfolder = entry.second.relativeSubfolder;
        file.outputPath.clear();
        file.sourceDepth = 0;
        tLastMessage.clear();
        MakeSubfolder(file.relativeSubfolder);
        Detail("Processing: " + path);
        bool ok = false;
        std::vector<std::string> problems;
        {
            ProblemCapture capture;
            ok = ConvertFile(run_, file);
            problems = capture.Take();
        }
        Detail("Saving As: " + file.outputPath);
        Detail(ok ? "OK" : "Not OK");
        // The last problem of a failed file becomes its failure line; any others pass on.
        std::string problem;
        if (!ok && !problems.empty()) {
            problem = std::move(problems.back());
            problems.pop_back();
        }
        for (const std::string& line : problems) {
            Report(ReportKind::Problem, line);
        }
        if (ok) {
            ++converted_;
            file.randomNumber = DrawRandomNumber();
            ++file.sequenceNumber;
            ApplyFileTimestamp(run_.advanced, path, file.outputPath);
            if (observer_.converted) {
                std::lock_guard lock(mutex_);
                observer_.converted(path, file.outputPath);
            }
            return;
        }
        FileFailureReport report{path, file.outputPath, FileFailure::NotWritten, tLastMessage,
                                 std::move(problem)};
        if (file.sourceDepth == 0) {
            report.failure = FileFailure::Unreadable;
            report.outputPath.clear();
        } else if (!file.outputPath.empty() && SameFile(file.outputPath, path)) {
            report.failure = FileFailure::ReplacesInput;
        }
        std::lock_guard lock(mutex_);
        if (observer_.failed) {
            observer_.failed(report);
        }
    }

    // The output folder itself must exist; the tree below it is made as files need it.
    void MakeSubfolder(const std::string& subfolder) const {
        if (run_.advanced.keepSubfolders == 0 || subfolder.empty()) {
            return;
        }
        std::error_code error;
        std::filesystem::create_directories(run_.outputFolder + subfolder, error);
    }

    const RunSnapshot& run_;
    const FileContext& start_;
    const ParallelRunObserver& observer_;
    const std::atomic<bool>* stopRequest_;
    std::vector<const Entry*> files_;
    std::mutex mutex_;
    size_t next_ = 0;
    bool stopped_ = false;
    std::atomic<int32_t> converted_{0};
};

} // namespace

bool NeedsInputOrder(const RunSnapshot& run) {
    const auto numbers = [](const std::string& text) {
        return FindIgnoringCase(text, "%n%", 0) != std::string::npos;
    };
    return numbers(run.advanced.filenameMask) ||
           (run.watermark.doWatermark == 1 && numbers(run.watermark.text));
}

int32_t OnlineProcessorCount() {
    const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int32_t>(count) : 1;
}

ParallelRunResult RunInParallel(const RunSnapshot& run, const FileContext& start, int32_t workers,
                                const ParallelRunObserver& observer,
                                const std::atomic<bool>* stopRequest) {
    Workers shared(run, start, observer, stopRequest);
    const auto total = static_cast<int32_t>(run.inputs.size());
    const int32_t count = std::clamp(NeedsInputOrder(run) ? 1 : workers, 1, std::max(total, 1));
    FreeImage_SetOutputMessage(KeepFreeImageMessage);
    std::vector<std::thread> threads;
    for (int32_t i = 1; i < count; ++i) {
        try {
            threads.emplace_back([&shared] { shared.Work(); });
        } catch (const std::system_error&) {
            break; // fewer workers when no more threads can be made
        }
    }
    shared.Work();
    for (std::thread& thread : threads) {
        thread.join();
    }
    FreeImage_SetOutputMessage(nullptr);
    return shared.Result();
}

} // namespace millconv
