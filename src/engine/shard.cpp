// Shards: one run split across machines by a hash of each file's relative path.
#include "engine/shard.h"

#include <charconv>

namespace millconv {

namespace {

// A decimal of digits only: no sign, no blanks, no leading '+'.
std::optional<uint64_t> ReadCount(std::string_view text) {
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<Shard> ParseShard(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<uint64_t> index = ReadCount(text.substr(0, slash));
    const std::optional<uint64_t> count = ReadCount(text.substr(slash + 1));
    if (!index || !count || *index < 1 || *index > *count) {
        return std::nullopt;
    }
    return Shard{*index, *count};
}

uint64_t Fnv1a64(std::string_view bytes) {
    constexpr uint64_t kOffsetBasis = 14695981039346656037ull;
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t hash = kOffsetBasis;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kPrime;
    }
    return hash;
}

bool InShard(const Shard& shard, std::string_view relativePath) {
    return Fnv1a64(relativePath) % shard.count == shard.index - 1;
}

std::string ShardPath(const std::string& fullPath, const InputEntry& entry) {
    const size_t slash = fullPath.rfind('/');
    return entry.relativeSubfolder +
           (slash == std::string::npos ? fullPath : fullPath.substr(slash + 1));
}

void KeepShard(InputSetMap& inputs, const Shard& shard) {
    std::erase_if(inputs, [&shard](const InputSetMap::value_type& entry) {
        return !InShard(shard, ShardPath(entry.first, entry.second));
    });
}

} // namespace millconv
