// Command-line front end: first-parameter commands, option parsing and the console run.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace millconv {

// Handles the program parameters. Returns the process exit status when the parameters
// were a console action (version, help, error, conversion), or nothing when the window
// mode should follow (no parameters, or no -i among them).
std::optional<int> RunCommandLine(const std::vector<std::string>& parameters);

} // namespace millconv
