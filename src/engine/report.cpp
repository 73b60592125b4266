// The process-wide engine reporter.
#include "engine/report.h"

#include <atomic>
#include <utility>

namespace millconv {

namespace {

std::atomic<EngineReporter> gReporter{nullptr};
thread_local ProblemCapture* tCapture = nullptr;

} // namespace

void SetEngineReporter(EngineReporter reporter) { gReporter.store(reporter); }

EngineReporter CurrentEngineReporter() { return gReporter.load(); }

void Report(ReportKind kind, std::string_view line) {
    if (kind == ReportKind::Problem && tCapture != nullptr) {
        tCapture->lines_.emplace_back(line);
        return;
    }
    if (const EngineReporter reporter = gReporter.load()) {
        reporter(kind, line);
    }
}

ProblemCapture::ProblemCapture() : outer_(tCapture) { tCapture = this; }

ProblemCapture::~ProblemCapture() { tCapture = outer_; }

std::vector<std::string> ProblemCapture::Take() { return std::exchange(lines_, {}); }

} // namespace millconv
