// The process-wide engine reporter.
#include "engine/report.h"

#include <atomic>

namespace millconv {

namespace {

std::atomic<EngineReporter> gReporter{nullptr};

} // namespace

void SetEngineReporter(EngineReporter reporter) { gReporter.store(reporter); }

EngineReporter CurrentEngineReporter() { return gReporter.load(); }

void Report(ReportKind kind, std::string_view line) {
    if (const EngineReporter reporter = gReporter.load()) {
        reporter(kind, line);
    }
}

} // namespace millconv
