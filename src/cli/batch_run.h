// The console's batch run: many inputs, whole folders, several workers.
#pragma once

#include "engine/shard.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace millconv {

struct ParseOutcome;

struct BatchRequest {
    std::vector<std::string> inputs; // -i values, then the parameters that are no options
    std::string jobs;                // --jobs value as given; empty: one worker per processor
    bool watch = false;              // --watch: convert what arrives until stopped
    std::optional<Shard> shard;      // --shard: only this shard's files
};

BatchRequest BatchRequestOf(const ParseOutcome& outcome);

// Why the --shard of a parsed command line cannot be used, empty when it can or is absent: a
// malformed value, a run that is neither --batch nor --watch, or numbered names (%n% in the
// naming template or watermark text), which would repeat across shards.
std::string ShardError(const ParseOutcome& outcome);

// Worker count of a request: its --jobs value, else one per online processor; 0 after printing
// the error line of an invalid value.
int32_t BatchWorkers(const BatchRequest& request);

struct BatchTally {
    int32_t found = 0;     // inputs imported
    int32_t attempted = 0; // conversions taken up
    int32_t converted = 0; // files written
    int32_t unreadable = 0; // given paths and folders that could not be read, each named
    bool stopped = false;  // a stop request ended the run early
};

// Imports the request's inputs (of its shard only) and converts them on `workers` workers with
// the batch run's lines: the import count, then, when anything was found, the progress line on
// a terminal, one stderr line per failed file and the result lines. A set stop flag ends the
// conversion after the files being converted.
BatchTally ConvertBatchInputs(bool quiet, const BatchRequest& request, int32_t workers,
                              const std::atomic<bool>& stop);

// The rest of a batch console run once the output folder and settings have passed their
// checks and the output parameters are prepared: import, conversion on the workers, one
// stderr line per failed file, the result lines. Exit status 0 only when every file was
// converted.
int RunBatchConversion(bool quiet, const BatchRequest& request);

} // namespace millconv
