// Joining constant tables that are written in parts into one array at compile time.
#pragma once

#include <array>
#include <cstddef>

namespace millconv {

template <typename T, size_t... N>
constexpr std::array<T, (N + ...)> JoinTables(const std::array<T, N>&... parts) {
    std::array<T, (N + ...)> joined{};
    size_t next = 0;
    auto append = [&](const auto& part) {
        for (const T& row : part) {
            joined[next++] = row;
        }
    };
    (append(parts), ...);
    return joined;
}

} // namespace millconv
