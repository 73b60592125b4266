// How the engine tells its starter what happened: the engine never prints, the console run
// and the window decide where a report goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace millconv {

enum class ReportKind {
    Detail,  // a debug line of a console run ("Processing: ...")
    Problem, // why something failed (a module that does not load, a decoder's complaint)
};

using EngineReporter = void (*)(ReportKind kind, std::string_view line);

// Installs the process-wide reporter; nullptr drops every report. Safe from any thread.
void SetEngineReporter(EngineReporter reporter);
EngineReporter CurrentEngineReporter();

// Hands one line to the installed reporter, if any; on a thread with a ProblemCapture, problem
// lines go to the capture instead.
void Report(ReportKind kind, std::string_view line);

// Holds back the problem lines of the calling thread while it lives, so a run that names each
// failed file in one line of its own can use the engine's reason for it. Nests.
class ProblemCapture {
  public:
    ProblemCapture();
    ~ProblemCapture();
    ProblemCapture(const ProblemCapture&) = delete;
    ProblemCapture& operator=(const ProblemCapture&) = delete;

    // Takes the lines held so far, oldest first, and forgets them.
    std::vector<std::string> Take();

  private:
    friend void Report(ReportKind kind, std::string_view line);
    std::vector<std::string> lines_;
    ProblemCapture* outer_;
};

} // namespace millconv
