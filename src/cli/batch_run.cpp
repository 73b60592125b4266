// The console's batch run: many inputs, whole folders, several workers.
#include "cli/batch_run.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include <unistd.h>

#include "base/text.h"
#include "cli/command_line_parse.h"
#include "cli/option_parsing.h"
#include "cli/stop_signals.h"
#include "engine/batch_inputs.h"
#include "engine/conversion_run.h"
#include "job/job_record.h"
#include "platform/terminal.h"
#include "settings/message_catalogue.h"

namespace millconv {

namespace {

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
    BatchRequest request{outcome.inputs, outcome.jobs, outcome.watch, std::nullopt};
    for (const std::string& operand : outcome.operands) {
        request.inputs.push_back(StripQuotes(OptionValue(operand)));
    }
    if (outcome.shardGiven) {
        request.shard = ParseShard(outcome.shard);
    }
    return request;
}

std::string ShardError(const ParseOutcome& outcome) {
    if (!outcome.shardGiven) {
        return {};
    }
    if (!(outcome.batch || outcome.watch) || !ParseShard(outcome.shard)) {
        return "Invalid shard";
    }
    if (NeedsInputOrder(TakeRunSnapshot())) {
        return "Invalid shard: %n% numbers would repeat across shards";
    }
    return {};
}

int32_t BatchWorkers(const BatchRequest& request) {
    if (request.jobs.empty()) {
        return OnlineProcessorCount();
    }
    const std::optional<uint64_t> jobs = ReadCount(request.jobs, INT32_MAX);
    if (!jobs) {
        PrintLine("Error: Invalid jobs value");
        return 0;
    }
    // More workers than processors only add memory and contention: a larger value is capped.
    return std::min(OnlineProcessorCount(), static_cast<int32_t>(*jobs));
}

BatchTally ConvertBatchInputs(bool quiet, const BatchRequest& request, int32_t workers,
                              const std::atomic<bool>& stop) {
    const auto status = [quiet](std::string_view line) {
        if (!quiet) {
            PrintLine(line);
        }
    };
    status(CatalogueText("General", "Importing"));
    RunRequest run = JobRunRequest();
    std::vector<std::string> unreadable;
    run.snapshot.inputs = CollectBatchInputs(request.inputs, &unreadable);
    for (const std::string& line : unreadable) {
        PrintErrorLine(line);
    }
    if (request.shard) {
        KeepShard(run.snapshot.inputs, *request.shard);
    }
    run.jobs = workers;
    run.stopSignal = &stop;
    BatchTally tally;
    tally.unreadable = static_cast<int32_t>(unreadable.size());
    tally.found = static_cast<int32_t>(run.snapshot.inputs.size());
    status(FormatMessage(CatalogueText("Msg", "Import complete"), std::to_string(tally.found)));
    if (tally.found == 0) {
        return tally;
    }

    status(CatalogueText("General", "Converting"));
    ProgressLine progress(!quiet && ::isatty(STDOUT_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0);
    // Nobody reads a run whose output cannot be written: it ends after the current files.
    const auto stopWhenUnheard = [] {
        if (ConsoleOutputFailed()) {
            RequestRunStop();
        }
    };
    run.observer.started = [&](int32_t index, int32_t total, const std::string& input) {
        ++tally.attempted;
        progress.Show(index, total, input);
        stopWhenUnheard();
    };
    run.observer.failed = [&](const FileFailureReport& report) {
        progress.Clear();
        PrintErrorLine(FailureLine(report));
        stopWhenUnheard();
    };
    stopWhenUnheard();
    const RunOutcome result = ConversionRun(std::move(run)).Run();
    progress.Clear();
    tally.converted = result.converted;
    tally.stopped = result.stopped;
    if (result.stopped) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
    } else {
        status(CatalogueText("Msg", "Conversion complete"));
    }
    status(FormatMessage(CatalogueText("Msg", "Files converted"), std::to_string(result.converted),
                         std::to_string(result.total)));
    return tally;
}

int RunBatchConversion(bool quiet, const BatchRequest& request) {
    const int32_t workers = BatchWorkers(request);
    if (workers == 0) {
        return 1;
    }
    StopSignals signals;
    const BatchTally tally = ConvertBatchInputs(quiet, request, workers, signals.Flag());
    if (tally.found == 0) {
        PrintLine(CatalogueText("Msg", "Conversion is not complete"));
        PrintLine(CatalogueText("Msg", "Empty input files"));
        return 1;
    }
    const bool complete = !tally.stopped && tally.converted == tally.found;
    return complete && tally.unreadable == 0 && !ConsoleOutputFailed() ? 0 : 1;
}

} // namespace millconv
