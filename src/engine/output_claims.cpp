// The output names a run has taken.
#include "engine/output_claims.h"

namespace millconv {

std::string OutputClaims::Claim(const std::string& outputPath, const std::string& input) {
    std::lock_guard lock(mutex_);
    const auto [owner, taken] = owners_.try_emplace(outputPath, input);
    return taken || owner->second == input ? std::string() : owner->second;
}

} // namespace millconv
