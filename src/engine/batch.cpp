// Batch run: the input set, the progress record and the worker thread.
#include "engine/batch.h"

#include "app/job_state.h"
#include "engine/naming.h"
#include "engine/pipeline.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"

#include <FreeImage.h>

#include <algorithm>
#include <condition_variable>
#include <system_error>
#include <thread>

namespace millconv {

ProgressState gProgress;
std::mutex gProgressMutex;

namespace {

InputSetMap gInputSet;

std::thread gWorker;
std::atomic<bool> gWorkerFinished{true};

std::mutex gPauseMutex;
std::condition_variable gPauseChanged;
bool gPaused = false;

void WaitWhilePaused() {
    std::unique_lock lock(gPauseMutex);
    gPauseChanged.wait(lock, [] { return !gPaused; });
}

std::string ExtensionOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

void ApplyFileTimestamp(const std::string& input, const std::string& output) {
    switch (gSettings.advanced.fileTimestamp) {
    case 1:
        if (const auto date = FileDate(input)) {
            SetFileDate(output, *date);
        }
        break;
    case 2:
        SetFileDate(output, gSettings.advanced.customTimestamp);
        break;
    default:
        break;
    }
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

void ResetProgress() {
    std::lock_guard lock(gProgressMutex);
    gProgress.currentIndex = 0;
    gProgress.currentFile.clear();
    gProgress.convertedCount = 0;
    gProgress.running = true;
}

void StopConversion() {
    std::lock_guard lock(gProgressMutex);
    gProgress.running = false;
}

namespace {

// FreeImage says why a file failed (a bad checksum, a truncated stream) only through this
// hook. A debugging console run shows it on stderr, so the status lines on stdout stay as
// they are.
void DLL_CALLCONV PrintFreeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    std::string line = "FreeImage: ";
    if (const char* name = FreeImage_GetFormatFromFIF(format)) {
        line += name;
        line += ": ";
    }
    line += message != nullptr ? message : "";
    PrintErrorLine(line);
}

} // namespace

int ConversionWorker() {
    const bool debug = gJob.inputGiven && gJob.runMode == "DEBUG";
    FreeImage_SetOutputMessage(debug ? PrintFreeImageMessage : nullptr);
    int32_t index = 0;
    int32_t converted = 0;
    for (const auto& [path, entry] : gInputSet) {
        WaitWhilePaused();
        if (!gProgress.running) {
            break;
        }
        ++index;
        gJob.currentInput = path;
        gJob.relativeSubfolder = entry.relativeSubfolder;
        {
            std::lock_guard lock(gProgressMutex);
            gProgress.currentIndex = index;
            gProgress.currentFile = path;
        }
        if (debug) {
            PrintLine("Processing: " + path);
        }
        const bool ok = ConvertFile();
        if (debug) {
            PrintLine("Saving As: " + gJob.outputPath);
            PrintLine(ok ? "OK" : "Not OK");
        }
        if (ok) {
            ++converted;
            gJob.randomNumber = DrawRandomNumber();
            ++gJob.sequenceNumber;
            ApplyFileTimestamp(path, gJob.outputPath);
        }
    }
    std::lock_guard lock(gProgressMutex);
    gProgress.convertedCount = converted;
    return 0;
}

bool StartConversionWorker() {
    if (!gWorkerFinished) {
        return false;
    }
    if (gWorker.joinable()) {
        gWorker.join();
    }
    ResetProgress();
    gWorkerFinished = false;
    try {
        gWorker = std::thread([] {
            ConversionWorker();
            gWorkerFinished = true;
        });
    } catch (const std::system_error&) {
        // No thread could be made (resource limits): the run cannot start.
        gWorkerFinished = true;
        return false;
    }
    return true;
}

void JoinConversionWorker() {
    // A worker held at the pause gate could never end.
    ResumeConversion();
    if (gWorker.joinable()) {
        gWorker.join();
    }
}

bool ConversionWorkerFinished() { return gWorkerFinished; }

void PauseConversion() {
    std::lock_guard lock(gPauseMutex);
    gPaused = true;
}

void ResumeConversion() {
    {
        std::lock_guard lock(gPauseMutex);
        gPaused = false;
    }
    gPauseChanged.notify_all();
}

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
