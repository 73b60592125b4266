// Command-line front end (placeholder until the option parser lands).
#include "cli/command_line.h"

namespace millconv {

std::optional<int> RunCommandLine(const std::vector<std::string>& parameters) {
    if (parameters.empty()) {
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace millconv
