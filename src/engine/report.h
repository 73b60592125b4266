// How the engine tells its starter what happened: the engine never prints, the console run
// and the window decide where a report goes.
#pragma once

#include <string_view>

namespace millconv {

enum class ReportKind {
    Detail,  // a debug line of a console run ("Processing: ...")
    Problem, // why something failed (a module that does not load, a decoder's complaint)
};

using EngineReporter = void (*)(ReportKind kind, std::string_view line);

// Installs the process-wide reporter; nullptr drops every report. Safe from any thread.
void SetEngineReporter(EngineReporter reporter);
EngineReporter CurrentEngineReporter();

// Hands one line to the installed reporter, if any.
void Report(ReportKind kind, std::string_view line);

} // namespace millconv
