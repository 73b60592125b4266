// The message catalogue: sorted sections with a first-letter index, and message formatting.
#include "settings/message_catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "settings/message_table.h"

namespace millconv {

namespace {

constexpr std::string_view kNoString = "%NO_STRING_ERROR%";
constexpr char kKeyTextSeparator = '\x01';

struct Section {
    std::string name; // upper-cased
    int32_t first = 0;
    int32_t last = -1; // last < first for an empty section
    // Per first byte of a key: index of the section's first entry starting with it, 0 for none.
    std::array<int32_t, 256> letterIndex{};
};

// Element 0 of every array holds nothing, so index 0 can mean "none".
struct Catalogue {
    std::vector<Section> sections;
    std::vector<std::string> keys;
    std::vector<std::string> texts;
};

Catalogue gCatalogue;
std::once_flag gBuilt;
// Look-ups are meant for one thread, but an atomic keeps a stray second caller from racing.
std::atomic<int32_t> gCurrentSection{0};

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::ranges::transform(upper, upper.begin(), UpperAscii);
    return upper;
}

void Build() {
    const std::span<const MessagePair> table = BuiltInMessageTable();

    size_t sectionCount = 0;
    size_t entryCount = 0;
    for (const MessagePair& pair : table) {
        const std::string first = Upper(pair.first);
        if (first == "_END_") {
            break;
        }
        ++(first == "_GROUP_" ? sectionCount : entryCount);
    }

    Catalogue& cat = gCatalogue;
    cat.sections.assign(sectionCount + 1, Section{});
    cat.keys.assign(entryCount + 1, std::string());
    cat.texts.assign(entryCount + 1, std::string());

    int32_t e = 0;
    size_t s = 0;
    for (const MessagePair& pair : table) {
        const std::string first = Upper(pair.first);
        if (first == "_END_") {
            break;
        }
        if (first == "_GROUP_") {
            cat.sections[s].last = e;
            ++s;
            cat.sections[s].name = Upper(pair.second);
            cat.sections[s].first = e + 1;
            continue;
        }
        ++e;
        cat.keys[e] = first + kKeyTextSeparator + std::string(pair.second);
    }
    cat.sections[s].last = e;
    // Element 0 is no section: keep it from matching anything.
    cat.sections[0].first = 1;
    cat.sections[0].last = 0;

    for (size_t i = 1; i < cat.sections.size(); ++i) {
        Section& section = cat.sections[i];
        if (section.first > section.last) {
            continue;
        }
        // Sorting key and text together puts a key that is a prefix of another first.
        std::sort(cat.keys.begin() + section.first, cat.keys.begin() + section.last + 1);
        int previous = 0;
        for (int32_t j = section.first; j <= section.last; ++j) {
            const size_t split = cat.keys[j].find(kKeyTextSeparator);
            cat.texts[j] = cat.keys[j].substr(split + 1);
            cat.keys[j].resize(split);
            const int c = cat.keys[j].empty() ? 0 : static_cast<unsigned char>(cat.keys[j][0]);
            if (c != previous) {
                section.letterIndex[c] = j;
            }
            previous = c;
        }
    }
}

// Case-insensitive search for "%sN%" from a position; npos when there is none.
size_t FindPlaceholder(const std::string& text, std::string_view placeholder, size_t from) {
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                          placeholder.begin(), placeholder.end(),
                          [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
}

} // namespace

void BuildMessageCatalogue() { std::call_once(gBuilt, Build); }

std::string CatalogueText(std::string_view section, std::string_view key) {
    BuildMessageCatalogue();
    const Catalogue& cat = gCatalogue;
    const std::string sectionName = Upper(section);
    const std::string upperKey = Upper(key);

    int32_t current = gCurrentSection.load(std::memory_order_relaxed);
    if (cat.sections[static_cast<size_t>(current)].name != sectionName || current == 0) {
        current = 0;
        for (size_t i = 1; i < cat.sections.size(); ++i) {
            if (cat.sections[i].name == sectionName) {
                current = static_cast<int32_t>(i);
                break;
            }
        }
        gCurrentSection.store(current, std::memory_order_relaxed);
    }
    if (current == 0) {
        return std::string(kNoString);
    }

    const Section& found = cat.sections[static_cast<size_t>(current)];
    const int c = upperKey.empty() ? 0 : static_cast<unsigned char>(upperKey[0]);
    int32_t j = found.letterIndex[static_cast<size_t>(c)];
    if (j == 0) {
        return std::string(kNoString);
    }
    for (; j <= found.last; ++j) {
        const std::string& candidate = cat.keys[static_cast<size_t>(j)];
        if (upperKey == candidate) {
            return cat.texts[static_cast<size_t>(j)];
        }
        if (upperKey < candidate) {
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
