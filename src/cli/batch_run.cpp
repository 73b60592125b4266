// The console's batch run: many inputs, whole folders, several workers.
#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string_view>

#include <unistd.h>

#include "base/text.h"
#include "cli/command_line_parse.h"
#include "cli/option_parsing.h"
#include "engine/batch.h"
#include "engine/batch_inputs.h"
#include "engine/job_record.h"
#include "engine/parallel_run.h"
#include "platform/terminal.h"
#include "settings/message_catalogue.h"

namespace millconv {

namespace {

// Set by Ctrl+C or a termination request: the workers finish the files they are on, and the
// run reports itself stopped instead of leaving half a tree without a word.
std::atomic<bool> gStopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RequestStop(int) { gStopRequested.store(true); }

// Installs the stop handlers for the length of a run and puts the previous ones back.
class StopSignals {
  public:
    StopSignals() {
        gStopRequested = false;
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

std::string FailureText(const FileFailureReport& report) {
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

// The single updating "(i/n) name" line on stderr of a run watched on a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(bool shown) : shown_(shown) {}

    void Show(int32_t index, int32_t total, std::string_view input) {
        if (!shown_) {
            return;
        }
        const size_t slash = input.rfind('/');
        const std::string name(slash == std::string_view::npos ? input : input.substr(slash + 1));
        Write("\r\033[K(" + std::to_string(index) + "/" + std::to_string(total) + ") " +
              ShortenMiddle(QuotedName(name), 60));
        open_ = true;
    }

    // Clears the line so that an error line or the result starts on an empty one.
    void Clear() {
        if (open_) {
            Write("\r\033[K");
            open_ = false;
        }
    }

  private:
    static void Write(const std::string& text) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    }

    bool shown_;
    bool open_ = false;
};

} // namespace

BatchRequest BatchRequestOf(const ParseOutcome& outcome) {
    BatchRequest request{outcome.inputs, outcome.jobs};
    for (const std::string& operand : outcome.operands) {
        request.inputs.push_back(StripQuotes(OptionValue(operand)));
    }
    return request;
}

int RunBatchConversion(bool quiet, const BatchRequest& request) {
    // More workers than processors only add memory and contention: a larger value is capped.
    int32_t workers = OnlineProcessorCount();
    if (!request.jobs.empty()) {
        const std::optional<uint64_t> jobs = ReadCount(request.jobs, INT32_MAX);
        if (!jobs) {
            PrintLine("Error: Invalid jobs value");
            return 1;
        }
        workers = std::min(workers, static_cast<int32_t>(*jobs));
    }
    const auto status = [quiet](std::string_view line) {
        if (!quiet) {
            PrintLine(line);
        }
    };
    status(CatalogueText("General", "Importing"));
    RunSnapshot run = TakeRunSnapshot();
    std::vector<std::string> unreadable;
    run.inputs = CollectBatchInputs(request.inputs, &unreadable);
    for (const std::string& line : unreadable) {
        PrintErrorLine(line);
    }
    const auto added = static_cast<int32_t>(run.inputs.size());
    status(FormatMessage(CatalogueText("Msg", "Import complete"), std::to_string(added)));
    if (added == 0) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
        PrintLine(CatalogueText("Msg", "Empty input files"));
        return 1;
    }

    status(CatalogueText("General", "Converting"));
    ProgressLine progress(!quiet && ::isatty(STDOUT_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0);
    ParallelRunObserver observer;
    // Nobody reads a run whose output cannot be written: it ends after the current files.
    const auto stopWhenUnheard = [] {
        if (ConsoleOutputFailed()) {
            gStopRequested = true;
        }
    };
    observer.started = [&](int32_t index, int32_t total, const std::string& input) {
        progress.Show(index, total, input);
        stopWhenUnheard();
    };
    observer.failed = [&](const FileFailureReport& report) {
        progress.Clear();
        PrintErrorLine(FailureText(report));
        stopWhenUnheard();
    };
    ParallelRunResult result;
    {
        StopSignals signals;
        stopWhenUnheard();
        result = RunInParallel(run, FileContextFromJob(), workers, observer, &gStopRequested);
    }
    progress.Clear();
    if (result.stopped) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
    } else {
        status(CatalogueText("Msg", "Conversion complete"));
    }
    status(FormatMessage(CatalogueText("Msg", "Files converted"), std::to_string(result.converted),
                         std::to_string(result.total)));
    const bool complete = !result.stopped && result.converted == result.total;
    return complete && unreadable.empty() && !ConsoleOutputFailed() ? 0 : 1;
}

} // namespace millconv
