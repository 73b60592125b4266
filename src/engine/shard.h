// Shards: one run split across machines by a hash of each file's relative path.
#pragma once

#include "engine/run.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace millconv {

// Shard `index` (1-based) of `count`.
struct Shard {
    uint64_t index = 1;
    uint64_t count = 1;
};

// "K/N" with 1 <= K <= N, both plain decimals; nothing for any other text.
std::optional<Shard> ParseShard(std::string_view text);

// 64-bit FNV-1a of the bytes.
uint64_t Fnv1a64(std::string_view bytes);

// True when the file whose path relative to its input folder (a directly given file: its
// name) is `relativePath`, '/'-separated, belongs to the shard. Every path belongs to
// exactly one shard of a count, whatever machine or order asks.
bool InShard(const Shard& shard, std::string_view relativePath);

// The relative path the shard rule hashes for an input-set entry.
std::string ShardPath(const std::string& fullPath, const InputEntry& entry);

// Removes the entries of other shards.
void KeepShard(InputSetMap& inputs, const Shard& shard);

} // namespace millconv
