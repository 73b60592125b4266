// The console's watch run: convert what is in the input folders, then whatever arrives.
#include "cli/watch_run.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>

#include "cli/batch_run.h"
#include "cli/stop_signals.h"
#include "engine/batch_inputs.h"
#include "engine/conversion_run.h"
#include "engine/naming.h"
#include "engine/shard.h"
#include "job/job_record.h"
#include "platform/folder_watch.h"
#include "platform/terminal.h"
#include "settings/message_catalogue.h"

namespace millconv {

namespace {

namespace fs = std::filesystem;

// How long, and how often, a file found open for writing is looked at again.
constexpr std::chrono::milliseconds kSettleTime{1000};
constexpr int kSettleStepMs = 50;

// True when a file's output exists and was written after the file last changed (in a later
// clock tick: a rewrite within the tick of the output counts as newer). An output
// name that depends on the image (size, depth, numbers, dates) is not known before the
// conversion; such a file finds no output and is converted again, which loses nothing.
bool OutputIsCurrent(const RunSnapshot& run, const std::string& input, const InputEntry& entry) {
    FileContext file;
    file.currentInput = input;
    file.relativeSubfolder = entry.relativeSubfolder;
    std::error_code error;
    const auto outputTime = fs::last_write_time(BuildOutputPath(run, file), error);
    return !error && outputTime > fs::last_write_time(input, error) && !error;
}

class Watcher {
  public:
    Watcher(bool quiet, const BatchRequest& request, int32_t workers)
        : quiet_(quiet), request_(request), workers_(workers), run_(TakeRunSnapshot()),
          start_(FileContextFromJob()) {
        for (const std::string& given : request.inputs) {
            std::error_code error;
            const fs::path path = fs::absolute(given, error).lexically_normal();
            const bool folder = fs::is_directory(path, error);
            const std::string text = path.string();
            roots_.push_back(folder && !text.ends_with('/') ? text + '/' : text);
        }
    }

    // Watches every root; false after the error line of one that cannot be watched.
    bool Arm() {
        for (const std::string& root : roots_) {
            std::vector<std::string> problems;
            const bool armed = watch_.AddTree(root, problems);
            if (!armed) {
                PrintLine("Error: Cannot watch " + problems.front());
                return false;
            }
            ReportProblems(problems);
        }
        return true;
    }

    void Run(const StopSignals& signals) {
        const BatchTally start = ConvertBatchInputs(quiet_, request_, workers_, signals.Flag());
        attempted_ = start.attempted;
        converted_ = start.converted;
        start_.sequenceNumber += start.converted;
        if (!signals.Requested()) {
            Status("Watching for new files (Ctrl+C to stop)");
        }
        while (!signals.Requested()) {
            const int timeoutMs = settling_.empty() ? -1 : kSettleStepMs;
            InputSetMap arrived;
            for (const FolderEvent& event : watch_.Wait(signals.WakeDescriptor(), timeoutMs)) {
                Take(event, arrived);
            }
            arrived.merge(settling_);
            settling_.clear();
            Convert(arrived, signals.Flag());
        }
        Status(FormatMessage(CatalogueText("Msg", "Files converted"), std::to_string(converted_),
                             std::to_string(attempted_)));
    }

    bool AnyFailed() const { return converted_ != attempted_; }

  private:
    void Status(std::string_view line) const {
        if (!quiet_) {
            PrintLine(line);
        }
    }

    static void ReportProblems(const std::vector<std::string>& problems) {
        for (const std::string& problem : problems) {
            PrintErrorLine("millconv: cannot watch " + problem);
        }
    }

    // The root a path was found below: the longest watched folder it lies in, or itself.
    std::string RootOf(const std::string& path) const {
        std::string best;
        for (const std::string& root : roots_) {
            const bool inside = root.ends_with('/') ? path.starts_with(root) : path == root;
            if (inside && root.size() > best.size()) {
                best = root;
            }
        }
        return best;
    }

    // Adds the input files at or below a path, each with its subfolder below its root.
    void Collect(const std::string& path, InputSetMap& arrived, bool onlyOutdated) const {
        for (auto& [input, entry] : CollectBatchInputs({path})) {
            entry.relativeSubfolder = RelativeSubfolder(input, RootOf(input));
            if (!onlyOutdated || !OutputIsCurrent(run_, input, entry)) {
                arrived[input] = entry;
            }
        }
    }

    void Take(const FolderEvent& event, InputSetMap& arrived) {
        using Kind = FolderEvent::Kind;
        std::vector<std::string> problems;
        switch (event.kind) {
        case Kind::FileWritten:
            // Written since its output was: a real change. Not: the close of a file that the
            // scan of its new folder has converted already.
            Collect(event.path, arrived, true);
            break;
        case Kind::FileMovedIn:
            // A moved file keeps its old times, so only its arrival says it is new.
            Collect(event.path, arrived, false);
            break;
        case Kind::FolderAdded:
            // Files may have landed in it before its watch was armed.
            watch_.AddTree(event.path, problems);
            Collect(event.path, arrived, false);
            break;
        case Kind::Overflow:
            // Events were lost: look at everything again, convert what is out of date.
            for (const std::string& root : roots_) {
                watch_.AddTree(root, problems);
                Collect(root, arrived, true);
            }
            break;
        case Kind::FolderGone:
            break;
        }
        ReportProblems(problems);
    }

    // A file found open for writing is looked at again every step for a while. The kernel
    // reports a file's last close before it stops counting that writer, so the look right after
    // the report can see the file still open, and no later report would come. A file that stays
    // open longer is left to the report of its writer's close.
    void Settle(InputSetMap& arrived) {
        const auto now = std::chrono::steady_clock::now();
        for (auto it = arrived.begin(); it != arrived.end();) {
            if (!OpenForWriting(it->first)) {
                settleUntil_.erase(it->first);
                ++it;
                continue;
            }
            const auto until = settleUntil_.try_emplace(it->first, now + kSettleTime).first;
            if (now < until->second) {
                settling_.insert(*it);
            } else {
                settleUntil_.erase(until);
            }
            it = arrived.erase(it);
        }
    }

    void Convert(InputSetMap& arrived, const std::atomic<bool>& stop) {
        std::erase_if(arrived, [this](const InputSetMap::value_type& entry) {
            return request_.shard &&
                   !InShard(*request_.shard, ShardPath(entry.first, entry.second));
        });
        Settle(arrived);
        if (arrived.empty()) {
            return;
        }
        RunRequest request;
        request.snapshot = run_;
        request.snapshot.inputs = std::move(arrived);
        request.start = start_;
        request.jobs = workers_;
        request.stopSignal = &stop;
        RunObserver& observer = request.observer;
        observer.started = [this](int32_t, int32_t, const std::string&) { ++attempted_; };
        observer.failed = [](const FileFailureReport& report) {
            PrintErrorLine(FailureLine(report));
        };
        observer.converted = [this](const std::string& input, const std::string&) {
            Status("Converted: " + input);
        };
        const RunOutcome result = ConversionRun(std::move(request)).Run();
        converted_ += result.converted;
        // The next files go on numbering where these ended (numbered runs keep one worker).
        start_.sequenceNumber += result.converted;
        start_.randomNumber = DrawRandomNumber();
    }

    bool quiet_;
    const BatchRequest& request_;
    int32_t workers_;
    RunSnapshot run_;
    FileContext start_;
    std::vector<std::string> roots_;
    FolderWatch watch_;
    InputSetMap settling_; // files to look at again after a step
    std::map<std::string, std::chrono::steady_clock::time_point> settleUntil_;
    int32_t attempted_ = 0;
    int32_t converted_ = 0;
};

} // namespace

int RunWatchConversion(bool quiet, const BatchRequest& request) {
    const int32_t workers = BatchWorkers(request);
    if (workers == 0) {
        return 1;
    }
    Watcher watcher(quiet, request, workers);
    if (!watcher.Arm()) {
        return 1;
    }
    StopSignals signals;
    watcher.Run(signals);
    return watcher.AnyFailed() ? 1 : 0;
}

} // namespace millconv
