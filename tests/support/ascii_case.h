// Test support: ASCII upper and lower case, for building option words and keys from extensions.
#pragma once

#include <string>
#include <string_view>

namespace millconv::test {

inline std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return upper;
}

inline std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower;
}

} // namespace millconv::test
