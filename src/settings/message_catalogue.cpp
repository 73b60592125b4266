// The message catalogue: sorted sections with a first-letter index, and message formatting.
#include "settings/message_catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>

#include "base/text.h"
#include "settings/message_table.h"

namespace millconv {

namespace {

constexpr std::string_view kNoString = "%NO_STRING_ERROR%";

constexpr bool IsMarker(std::string_view first, std::string_view marker) {
    return CompareIgnoringCase(first, marker) == 0;
}

struct TableCounts {
    size_t sections = 0;
    size_t entries = 0;
};

constexpr TableCounts CountTable() {
    TableCounts counts;
    for (const MessagePair& pair : kMessageTable) {
        if (IsMarker(pair.first, "_END_")) {
            break;
        }
        ++(IsMarker(pair.first, "_GROUP_") ? counts.sections : counts.entries);
    }
    return counts;
}

constexpr TableCounts kCounts = CountTable();

// Texts are kept as places in one character pool, not as pointers: a table of pointers has to
// be relocated, and so copied page by page, at every start of the program, while a table of
// numbers stays where the executable file has it until a look-up reads it.
struct PooledText {
    uint32_t offset = 0;
    uint32_t size = 0;
};

constexpr size_t CountPoolBytes() {
    size_t bytes = 0;
    for (const MessagePair& pair : kMessageTable) {
        if (IsMarker(pair.first, "_END_")) {
            break;
        }
        bytes += pair.second.size() + (IsMarker(pair.first, "_GROUP_") ? 0 : pair.first.size());
    }
    return bytes;
}

struct Section {
    PooledText name;
    int32_t first = 1;
    int32_t last = 0; // last < first for an empty section
    // Per upper-cased first byte of a key: the section's first entry starting with it, 0 for none.
    std::array<int16_t, 256> letterIndex{};
};

struct Entry {
    PooledText key;
    PooledText text;
};

// Element 0 of the section and entry arrays holds nothing, so index 0 can mean "none".
struct Catalogue {
    std::array<Section, kCounts.sections + 1> sections{};
    std::array<Entry, kCounts.entries + 1> entries{}; // sorted per section
    std::array<char, CountPoolBytes()> pool{};

    constexpr std::string_view Text(PooledText text) const {
        return {pool.data() + text.offset, text.size};
    }
};

// Sorting by upper-cased key, then text, puts a key that is a prefix of another first.
constexpr bool EntryBefore(const MessagePair& a, const MessagePair& b) {
    const int byKey = CompareIgnoringCase(a.first, b.first);
    return byKey != 0 ? byKey < 0 : a.second < b.second;
}

// The catalogue is laid out while compiling, so a console run pays nothing to build it.
consteval Catalogue LayOutCatalogue() {
    Catalogue cat;
    std::array<MessagePair, kCounts.entries + 1> pairs{};
    std::array<std::string_view, kCounts.sections + 1> names{};
    size_t s = 0;
    int32_t e = 0;
    for (const MessagePair& pair : kMessageTable) {
        if (IsMarker(pair.first, "_END_")) {
            break;
        }
        if (IsMarker(pair.first, "_GROUP_")) {
            ++s;
            names[s] = pair.second;
            cat.sections[s].first = e + 1;
            cat.sections[s].last = e;
            continue;
        }
        pairs[static_cast<size_t>(++e)] = pair;
        cat.sections[s].last = e;
    }
    size_t used = 0;
    const auto pool = [&cat, &used](std::string_view text) {
        const PooledText pooled{static_cast<uint32_t>(used), static_cast<uint32_t>(text.size())};
        for (const char c : text) {
            cat.pool[used++] = c;
        }
        return pooled;
    };
    for (size_t i = 1; i < cat.sections.size(); ++i) {
        Section& section = cat.sections[i];
        section.name = pool(names[i]);
        if (section.first > section.last) {
            continue;
        }
        std::sort(pairs.begin() + section.first, pairs.begin() + section.last + 1, EntryBefore);
        int previous = -1;
        for (int32_t j = section.first; j <= section.last; ++j) {
            const MessagePair& pair = pairs[static_cast<size_t>(j)];
            cat.entries[static_cast<size_t>(j)] = {pool(pair.first), pool(pair.second)};
            const int c =
                pair.first.empty() ? 0 : static_cast<unsigned char>(AsciiUpper(pair.first[0]));
            if (c != previous) {
                section.letterIndex[static_cast<size_t>(c)] = static_cast<int16_t>(j);
            }
            previous = c;
        }
    }
    return cat;
}

constexpr Catalogue kCatalogue = LayOutCatalogue();

// Look-ups are meant for one thread, but an atomic keeps a stray second caller from racing.
std::atomic<int32_t> gCurrentSection{0};

// Case-insensitive search for "%sN%" from a position; npos when there is none.
size_t FindPlaceholder(const std::string& text, std::string_view placeholder, size_t from) {
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                          placeholder.begin(), placeholder.end(),
                          [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
    return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

} // namespace

void BuildMessageCatalogue() {
    // Nothing to do at run time: the catalogue is laid out while compiling.
}

std::string CatalogueText(std::string_view section, std::string_view key) {
    const Catalogue& cat = kCatalogue;
    const auto named = [section](size_t i) {
        return CompareIgnoringCase(kCatalogue.Text(kCatalogue.sections[i].name), section) == 0;
    };
    int32_t current = gCurrentSection.load(std::memory_order_relaxed);
    if (current == 0 || !named(static_cast<size_t>(current))) {
        current = 0;
        for (size_t i = 1; i < cat.sections.size(); ++i) {
            if (named(i)) {
                current = static_cast<int32_t>(i);
                break;
            }
        }
        gCurrentSection.store(current, std::memory_order_relaxed);
    }
    if (current == 0 || key.empty()) {
        return std::string(kNoString);
    }

    const Section& found = cat.sections[static_cast<size_t>(current)];
    const auto c = static_cast<unsigned char>(AsciiUpper(key[0]));
    for (int32_t j = found.letterIndex[c]; j != 0 && j <= found.last; ++j) {
        const Entry& candidate = cat.entries[static_cast<size_t>(j)];
        const int order = CompareIgnoringCase(key, cat.Text(candidate.key));
        if (order == 0) {
            return std::string(cat.Text(candidate.text));
        }
        if (order < 0) {
            break;
        }
    }
    return std::string(kNoString);
}

std::string FormatMessage(std::string_view text, std::string_view s1, std::string_view s2,
                          std::string_view s3, std::string_view s4) {
    std::string result(text);
    const std::string_view placeholders[] = {"%s1%", "%s2%", "%s3%", "%s4%"};
    const std::string_view values[] = {s1, s2, s3, s4};
    for (size_t i = 0; i < 4; ++i) {
        if (values[i].empty()) {
            continue; // an empty value leaves its placeholder visible
        }
        // Continue after each inserted value: a value holding its own placeholder must not loop.
        size_t at = FindPlaceholder(result, placeholders[i], 0);
        while (at != std::string::npos) {
            result.replace(at, placeholders[i].size(), values[i]);
            at = FindPlaceholder(result, placeholders[i], at + values[i].size());
        }
    }
    return result;
}

} // namespace millconv
