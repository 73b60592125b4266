// Small text helpers shared by every layer: ASCII case, case-blind comparison, extensions,
// hexadecimal digits and the locale-aware case mapping of UTF-8 names.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with its ASCII letters in upper (lower) case; other bytes are kept.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Three-way comparison ignoring ASCII letter case (letters compare as upper case).
constexpr int CompareIgnoringCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto y = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return CompareIgnoringCase(a, b) == 0;
}

// Position of needle in text at or after from, ASCII letters matched in any case; npos when
// it does not occur.
size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from = 0);

// Extension of the last path component: the text after its last '.', empty without one.
std::string ExtensionOf(std::string_view path);

// A file name as console lines print it: unchanged unless it holds a control character; then
// quoted as $'...' with C escapes (\n, \t, \r, \xHH, \\, \'), so a line break in a name can
// never start a line of its own.
std::string QuotedName(std::string_view name);

// Value of one hexadecimal digit in either letter case; -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Case mapping of UTF-8 text with the case tables of the user's locale (C.UTF-8 when that
// locale has no UTF-8); bytes that are not valid UTF-8 are kept.
std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);
// First character upper case, the rest lower case.
std::string ToTitleText(std::string_view text);

// Removes leading and trailing blanks (spaces only).
std::string TrimSpaces(std::string_view text);

// Exact, case-sensitive search.
bool IsInList(const std::vector<std::string>& list, std::string_view text);

// Keeps the first and last (n - 3) / 2 characters of a text longer than n characters,
// joined by "...".
std::string ShortenMiddle(std::string_view text, int n);

} // namespace millconv
