// A conversion run as an object: built from a request, it owns its inputs, progress, pause gate
// and workers; any number may exist at once.
#include "engine/conversion_run.h"

#include "base/text.h"
#include "engine/naming.h"
#include "engine/output_guard.h"
#include "engine/pipeline.h"
#include "engine/report.h"
#include "platform/files.h"

#include <FreeImage.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace millconv {

namespace {

// The library says why a file failed (a bad checksum, a truncated stream) only through one
// process-wide hook, installed once for every run. Each worker keeps the last message of its
// own file, and a run with a reporter (a debugging console run) also shows it.
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

void InstallMessageHook() {
    static std::once_flag installed;
    std::call_once(installed, [] { FreeImage_SetOutputMessage(KeepFreeImageMessage); });
}

// Sets the written output's file time as File Timestamp asks: the input's date, the custom
// date, or the time it was written (left alone).
void ApplyFileTimestamp(const Settings::Advanced& advanced, const std::string& input,
                        const std::string& output) {
    switch (advanced.fileTimestamp) {
    case 1:
        if (const auto date = FileDate(input)) {
            SetFileDate(output, *date);
        }
        break;
    case 2:
        SetFileDate(output, advanced.customTimestamp);
        break;
    default:
        break;
    }
}

// The output folder itself must exist; the tree below it is made as files need it, never
// through a link.
void MakeSubfolder(const RunSnapshot& run, const std::string& subfolder) {
    if (run.advanced.keepSubfolders == 0 || subfolder.empty()) {
        return;
    }
    OutputFolderProblem(run.outputFolder, run.outputFolder + subfolder, true);
}

void Detail(const RunSnapshot& run, const std::string& line) {
    if (run.reporter != nullptr) {
        run.reporter(ReportKind::Detail, line);
    }
}

} // namespace

bool ConvertFileReporting(const RunSnapshot& run, FileContext& file, FileFailureReport& report) {
    InstallMessageHook();
    tReporter = run.reporter;
    tLastMessage.clear();
    bool ok = false;
    std::vector<std::string> problems;
    {
        ProblemCapture capture;
        ok = ConvertFile(run, file);
        problems = capture.Take();
    }
    // The last problem of a failed file becomes its failure line; any others pass on.
    report = {file.currentInput, file.outputPath, FileFailure::NotWritten, tLastMessage, {}};
    if (!ok && !problems.empty()) {
        report.problem = std::move(problems.back());
        problems.pop_back();
    }
    for (const std::string& line : problems) {
        Report(ReportKind::Problem, line);
    }
    if (file.sourceDepth == 0) {
        report.failure = FileFailure::Unreadable;
        report.outputPath.clear();
    } else if (!file.outputPath.empty() && SameFile(file.outputPath, file.currentInput)) {
        report.failure = FileFailure::ReplacesInput;
    }
    return ok;
}

std::string FailureLine(const FileFailureReport& report) {
    if (!report.problem.empty()) {
        return report.problem;
    }
    std::string line = "millconv: " + QuotedName(report.input) + ": ";
    switch (report.failure) {
    case FileFailure::Unreadable:
        line += "not a readable image";
        break;
    case FileFailure::ReplacesInput:
        line += "the output name is the input file itself";
        break;
    case FileFailure::NotWritten:
        line += "could not be converted and written";
        if (!report.outputPath.empty()) {
            line += " to " + QuotedName(report.outputPath);
        }
        break;
    }
    if (!report.detail.empty()) {
        line += " (" + report.detail + ")";
    }
    return line;
}

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

ConversionRun::ConversionRun(RunRequest request)
    : request_(std::move(request)), paused_(request_.startPaused), lastFile_(request_.start) {
    InstallMessageHook();
    for (const auto& entry : request_.snapshot.inputs) {
        files_.push_back(&entry);
    }
    progress_.running = true;
}

ConversionRun::~ConversionRun() {
    Stop();
    static_cast<void>(Join());
}

int32_t ConversionRun::WorkerCount() const {
    const auto total = static_cast<int32_t>(files_.size());
    const int32_t wanted = NeedsInputOrder(request_.snapshot) ? 1 : request_.jobs;
    return std::clamp(wanted, 1, std::max(total, 1));
}

// Starts up to count worker threads; fewer when no more threads can be made.
void ConversionRun::StartThreads(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        try {
            {
                std::lock_guard lock(mutex_);
                ++activeWorkers_;
            }
            threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            std::lock_guard lock(mutex_);
            --activeWorkers_;
            break;
        }
    }
}

RunOutcome ConversionRun::Run() {
    {
        std::lock_guard lock(mutex_);
        activeWorkers_ = 1; // the caller's own thread
    }
    StartThreads(WorkerCount() - 1);
    Work();
    return Join();
}

bool ConversionRun::Start() {
    StartThreads(WorkerCount());
    if (!threads_.empty()) {
        return true;
    }
    // No thread could be made (resource limits): the run ends as a stopped one.
    std::lock_guard lock(mutex_);
    progress_.running = false;
    stopped_ = !files_.empty();
    finished_ = true;
    return false;
}

bool ConversionRun::Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

RunOutcome ConversionRun::Join() {
    // A worker held at the gate could never end.
    Resume();
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    return Outcome();
}

void ConversionRun::Stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    progress_.running = false;
}

void ConversionRun::Pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void ConversionRun::Resume() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    gateChanged_.notify_all();
}

ProgressSnapshot ConversionRun::ReadProgress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

RunOutcome ConversionRun::Outcome() const {
    std::lock_guard lock(mutex_);
    return {static_cast<int32_t>(files_.size()), converted_, stopped_, lastFile_};
}

void ConversionRun::WaitWhilePaused() {
    std::unique_lock lock(mutex_);
    gateChanged_.wait(lock, [this] { return !paused_; });
}

bool ConversionRun::TakeNext(size_t& index) {
    std::lock_guard lock(mutex_);
    if (next_ == files_.size()) {
        return false;
    }
    const std::atomic<bool>* signal = request_.stopSignal;
    if (stopRequested_ || (signal != nullptr && signal->load())) {
        stopped_ = true;
        progress_.running = false;
        return false;
    }
    index = next_++;
    progress_.currentIndex = static_cast<int32_t>(next_);
    progress_.currentFile = files_[index]->first;
    if (request_.observer.started) {
        request_.observer.started(progress_.currentIndex, static_cast<int32_t>(files_.size()),
                                  progress_.currentFile);
    }
    return true;
}

// The loop of one worker: the next file in path order until none is left or a stop is asked.
void ConversionRun::Work() {
    const RunSnapshot& run = request_.snapshot;
    const RunObserver& observer = request_.observer;
    tReporter = run.reporter;
    FileContext file = request_.start;
    size_t taken = 0; // 1-based place of this worker's last file
    size_t index = 0;
    while (true) {
        WaitWhilePaused();
        if (!TakeNext(index)) {
            break;
        }
        taken = index + 1;
        const std::string& path = files_[index]->first;
        file.currentInput = path;
        file.relativeSubfolder = files_[index]->second.relativeSubfolder;
        file.outputPath.clear();
        file.sourceDepth = 0;
        MakeSubfolder(run, file.relativeSubfolder);
        Detail(run, "Processing: " + QuotedName(path));
        FileFailureReport report;
        const bool ok = ConvertFileReporting(run, file, report);
        Detail(run, "Saving As: " + QuotedName(file.outputPath));
        Detail(run, ok ? "OK" : "Not OK");
        if (ok) {
            file.randomNumber = DrawRandomNumber();
            ++file.sequenceNumber;
            ApplyFileTimestamp(run.advanced, path, file.outputPath);
        }
        std::lock_guard lock(mutex_);
        if (ok) {
            ++converted_;
            if (observer.converted) {
                observer.converted(path, file.outputPath);
            }
            continue;
        }
        progress_.failure = FailureLine(report);
        if (observer.failed) {
            observer.failed(report);
        }
    }
    tReporter = nullptr;
    std::lock_guard lock(mutex_);
    if (taken > lastTaken_) {
        lastTaken_ = taken;
        lastFile_ = file;
    }
    if (--activeWorkers_ == 0) {
        progress_.convertedCount = converted_;
        finished_ = true;
    }
}

} // namespace millconv
