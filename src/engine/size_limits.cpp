// Image size limits: the side limit and the process's pixel budget.
#include "engine/size_limits.h"

#include <atomic>

#include "engine/report.h"

namespace millconv {

namespace {

std::atomic<uint64_t> gPixelBudget{kDefaultPixelBudget};

} // namespace

void SetPixelBudget(uint64_t pixels) { gPixelBudget.store(pixels); }

uint64_t PixelBudget() { return gPixelBudget.load(); }

std::string SizeLimitProblem(uint64_t width, uint64_t height) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width > kMaxImageSide || height > kMaxImageSide) {
        return "image of " + size + " pixels has a side over the limit of " +
               std::to_string(kMaxImageSide);
    }
    // Both sides are at most 16 bits here, so the product cannot overflow.
    const uint64_t budget = PixelBudget();
    if (width * height > budget) {
        return "image of " + size + " pixels is over the budget of " + std::to_string(budget) +
               " pixels (--max-pixels)";
    }
    return {};
}

bool WithinSizeLimits(uint64_t width, uint64_t height, const std::string& what) {
    const std::string problem = SizeLimitProblem(width, height);
    if (problem.empty()) {
        return true;
    }
    Report(ReportKind::Problem, "millconv: " + what + ": " + problem);
    return false;
}

} // namespace millconv
