// Command-line front end: first-parameter commands, option parsing and the console run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/report.h"

namespace millconv {

// Takes the single-instance lock: nothing when taken, else the exit status of a refused start.
using InstanceGuard = std::function<std::optional<int>()>;

// Handles the program parameters. Returns the process exit status when the parameters
// were a console action (version, help, error, conversion), or nothing when the window
// mode should follow (no parameters, or no -i among them). invocation is what the program was
// started as (argv[0]); the usage text names the program after it. Installs the console as
// the engine's reporter. Every start except a --batch or --watch run passes the guard
// before it acts (those never touch config.ini, so the one-instance rule protects nothing
// there); without a guard nothing is locked.
std::optional<int> RunCommandLine(const std::vector<std::string>& parameters,
                                  std::string_view invocation = {},
                                  const InstanceGuard& guard = {});

// Prints an engine report: debug lines on stdout, problems on stderr.
void PrintReport(ReportKind kind, std::string_view line);

} // namespace millconv
