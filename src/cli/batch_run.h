// The console's batch run: many inputs, whole folders, several workers.
#pragma once

#include "engine/shard.h"

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

// The rest of a batch console run once the output folder and settings have passed their
// checks and the output parameters are prepared: import, conversion on the workers, one
// stderr line per failed file, the result lines. Exit status 0 only when every file was
// converted.
int RunBatchConversion(bool quiet, const BatchRequest& request);

} // namespace millconv
