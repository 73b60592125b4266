// The parse loop of the command line and the profile loader.
#pragma once

#include <string>
#include <vector>

namespace millconv {

struct ParseOutcome {
    std::string error; // first parameter error; empty when parsing succeeded
    bool quiet = false;
    bool pause = false;
    std::vector<std::string> unknownOptions; // option words that matched nothing, as given
    bool batch = false;                      // --batch: every -i value and operand is an input
    bool watch = false;                      // --watch: the inputs are watched for new files
    bool shardGiven = false;                 // --shard appeared
    std::string shard;                       // --shard value as given
    std::string jobs;                        // --jobs value as given; empty: not given
    std::vector<std::string> inputs;         // -i values in order (the last is in the job record)
    std::vector<std::string> operands;       // parameters that are no options
};

// Applies every parameter in order to the settings record and the job record. The first
// error ends the loop. Expects the console defaults and a reset job record.
ParseOutcome ParseParameters(const std::vector<std::string>& parameters);

// Applies the "CLI" group of a profile file to the settings record, key by key in file
// order. False when the path is empty or the file cannot be opened; a missing or empty
// group succeeds. A value over the length limit stops the load: false, with error (when
// given) set to the line naming its key.
bool LoadProfile(const std::string& path, std::string* error = nullptr);

// The usage text, one entry per line; programName fills the example lines.
std::vector<std::string> UsageLines(const std::string& programName);

} // namespace millconv
