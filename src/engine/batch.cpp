// Batch run: the input set, the conversion run with its progress record, and the worker thread.
#include "engine/batch.h"

#include "base/text.h"
#include "engine/job_record.h"
#include "engine/naming.h"
#include "engine/parallel_run.h"
#include "engine/pipeline.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"

#include <FreeImage.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace millconv {

namespace {

InputSetMap gInputSet;

// The run StartConversionWorker started last; the pointer is guarded by gRunMutex so that a
// poller may read progress while a new run is being set up.
std::mutex gRunMutex;
std::shared_ptr<ConversionRun> gRun;
bool gCopyBackPending = false;
PauseGate gPauseGate;

std::thread gWorker;
std::atomic<bool> gWorkerFinished{true};

// Joins an ended worker and hands its last file back to the job record, once.
void FinishWorker() {
    if (gWorker.joinable()) {
        gWorker.join();
    }
    if (gCopyBackPending) {
        gCopyBackPending = false;
        std::lock_guard lock(gRunMutex);
        StoreFileContext(gRun->LastFile());
    }
}

std::shared_ptr<ConversionRun> CurrentRun() {
    std::lock_guard lock(gRunMutex);
    return gRun;
}

} // namespace

InputSetMap& InputSet() { return gInputSet; }

void ClearInputSet() { gInputSet.clear(); }

bool IsInList(const std::vector<std::string>& list, std::string_view text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

bool AddInputFile(const std::string& path) {
    if (FileSize(path) == 0 || !IsInList(AcceptedExtensions(), ToLowerText(ExtensionOf(path)))) {
        return false;
    }
    gInputSet.clear();
    gInputSet[path] = InputEntry{1, RelativeSubfolder(path, gJob.baseFolder)};
    return true;
}

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

void PauseGate::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
}

void PauseGate::Open() {
    {
        std::lock_guard lock(mutex_);
        closed_ = false;
    }
    changed_.notify_all();
}

void PauseGate::WaitWhileClosed() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !closed_; });
}

ConversionRun::ConversionRun(RunSnapshot snapshot, FileContext start, PauseGate& gate)
    : snapshot_(std::move(snapshot)), file_(std::move(start)), gate_(gate) {
    progress_.running = true;
}

ProgressSnapshot ConversionRun::ReadProgress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

void ConversionRun::Stop() {
    std::lock_guard lock(mutex_);
    progress_.running = false;
}

void ConversionRun::Convert() {
    const EngineReporter reporter = snapshot_.reporter;
    const auto detail = [reporter](const std::string& line) {
        if (reporter != nullptr) {
            reporter(ReportKind::Detail, line);
        }
    };
    int32_t index = 0;
    int32_t converted = 0;
    for (const auto& [path, entry] : snapshot_.inputs) {
        gate_.WaitWhileClosed();
        {
            std::lock_guard lock(mutex_);
            if (!progress_.running) {
                break;
            }
            progress_.currentIndex = ++index;
            progress_.currentFile = path;
        }
        file_.currentInput = path;
        file_.relativeSubfolder = entry.relativeSubfolder;
        detail("Processing: " + QuotedName(path));
        FileFailureReport report;
        const bool ok = ConvertFileReporting(snapshot_, file_, report);
        detail("Saving As: " + QuotedName(file_.outputPath));
        detail(ok ? "OK" : "Not OK");
        if (ok) {
            ++converted;
            file_.randomNumber = DrawRandomNumber();
            ++file_.sequenceNumber;
            ApplyFileTimestamp(snapshot_.advanced, path, file_.outputPath);
        } else {
            std::lock_guard lock(mutex_);
            progress_.failure = FailureLine(report);
        }
    }
    FreeImage_SetOutputMessage(nullptr);
    std::lock_guard lock(mutex_);
    progress_.convertedCount = converted;
}

void StopConversion() {
    if (const auto run = CurrentRun()) {
        run->Stop();
    }
}

ProgressSnapshot ReadProgress() {
    const auto run = CurrentRun();
    return run ? run->ReadProgress() : ProgressSnapshot{};
}

bool StartConversionWorker() {
    if (!gWorkerFinished) {
        return false;
    }
    FinishWorker();
    auto run = std::make_shared<ConversionRun>(TakeRunSnapshot(), FileContextFromJob(), gPauseGate);
    {
        std::lock_guard lock(gRunMutex);
        gRun = run;
    }
    gWorkerFinished = false;
    try {
        gWorker = std::thread([run] {
            run->Convert();
            gWorkerFinished = true;
        });
    } catch (const std::system_error&) {
        // No thread could be made (resource limits): the run cannot start.
        gWorkerFinished = true;
        return false;
    }
    gCopyBackPending = true;
    return true;
}

void JoinConversionWorker() {
    // A worker held at the pause gate could never end.
    ResumeConversion();
    FinishWorker();
}

bool ConversionWorkerFinished() { return gWorkerFinished; }

void PauseConversion() { gPauseGate.Close(); }

void ResumeConversion() { gPauseGate.Open(); }

std::string ShortenMiddle(std::string_view text, int n) {
    // Counted in characters, not bytes, so a cut never splits a UTF-8 sequence.
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    const auto count = static_cast<long>(starts.size());
    if (text.empty() || count <= n) {
        return std::string(text);
    }
    const long keep = std::max(0L, (static_cast<long>(n) - 3) / 2);
    const size_t headEnd = starts[static_cast<size_t>(keep)];
    const size_t tailStart =
        keep == 0 ? text.size() : starts[starts.size() - static_cast<size_t>(keep)];
    return std::string(text.substr(0, headEnd)) + "..." + std::string(text.substr(tailStart));
}

} // namespace millconv
