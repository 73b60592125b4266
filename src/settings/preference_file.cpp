// Preference-file reader and writer shared by config.ini and console profiles.
#include "settings/preference_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/atomic_file.h"

namespace millconv {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            clean += c;
        }
    }
    return clean;
}

} // namespace

std::optional<PreferenceFile> PreferenceFile::Open(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (bytes.size() > kMaxBytes) {
            return std::nullopt; // not a preference file; do not let it eat memory
        }
        if (got < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        return std::nullopt; // a folder opens but cannot be read
    }
    return Parse(bytes);
}

PreferenceFile PreferenceFile::Parse(std::string_view bytes) {
    std::string text;
    if (bytes.starts_with(kByteOrderMark)) {
        text.assign(bytes.substr(kByteOrderMark.size()));
    } else {
        text = Latin1ToUtf8(bytes);
    }

    PreferenceFile file;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos) {
            rest = {};
        } else {
            const size_t breakLength = rest.substr(end).starts_with(kLineEnd) ? 2 : 1;
            rest.remove_prefix(end + breakLength);
        }

        line = TrimLeft(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        Line parsed;
        if (line.front() == '[') {
            parsed.isGroup = true;
            line.remove_prefix(1);
            parsed.name = std::string(line.substr(0, line.find(']')));
        } else {
            const size_t equals = line.find('=');
            parsed.name = std::string(TrimRight(line.substr(0, equals)));
            if (equals != std::string_view::npos) {
                parsed.value = std::string(TrimRight(TrimLeft(line.substr(equals + 1))));
            }
        }
        file.lines.push_back(std::move(parsed));
    }
    return file;
}

bool PreferenceFile::SelectGroup(std::string_view name) {
    selectedGroup.reset();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].isGroup && EqualsIgnoringCase(lines[i].name, name)) {
            selectedGroup = i;
            return true;
        }
    }
    return false;
}

std::optional<std::string> PreferenceFile::Find(std::string_view key) const {
    if (!selectedGroup) {
        return std::nullopt;
    }
    for (size_t i = *selectedGroup + 1; i < lines.size() && !lines[i].isGroup; ++i) {
        if (EqualsIgnoringCase(lines[i].name, key)) {
            return lines[i].value;
        }
    }
    return std::nullopt;
}

std::string PreferenceFile::ReadString(std::string_view key, std::string_view fallback) const {
    auto value = Find(key);
    return value ? *value : std::string(fallback);
}

int64_t PreferenceFile::ReadInteger(std::string_view key, int64_t fallback) const {
    auto value = Find(key);
    return value ? ParseInteger(*value) : fallback;
}

double PreferenceFile::ReadFloat(std::string_view key, double fallback) const {
    auto value = Find(key);
    return value ? ParseFloat(*value) : fallback;
}

std::vector<PreferenceEntry> PreferenceFile::GroupEntries() const {
    std::vector<PreferenceEntry> entries;
    if (!selectedGroup) {
        return entries;
    }
    for (size_t i = *selectedGroup + 1; i < lines.size() && !lines[i].isGroup; ++i) {
        entries.push_back({lines[i].name, lines[i].value});
    }
    return entries;
}

int64_t ParseInteger(std::string_view text) {
    text = TrimLeft(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Accumulate towards the sign so that the most negative value is reachable.
    int64_t value = 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        if (negative) {
            value = value < (kMin + digit) / 10 ? kMin : value * 10 - digit;
        } else {
            value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
        }
    }
    return value;
}

double ParseFloat(std::string_view text) {
    text = TrimLeft(text);
    if (EqualsIgnoringCase(text, "+Infinity")) {
        return std::numeric_limits<double>::infinity();
    }
    if (EqualsIgnoringCase(text, "-Infinity")) {
        return -std::numeric_limits<double>::infinity();
    }
    if (EqualsIgnoringCase(text, "NaN")) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars alone would also take "inf", "nan" and hexadecimal forms.
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone then: decide between overflow and underflow by
        // the decimal order of the leading digit plus the exponent.
        const std::string_view matched(text.data(), static_cast<size_t>(end - text.data()));
        const size_t exponentAt = matched.find_first_of("eE");
        const std::string_view mantissa = matched.substr(0, exponentAt);
        const int64_t exponent =
            exponentAt == std::string_view::npos
                ? 0
                : std::clamp<int64_t>(ParseInteger(matched.substr(exponentAt + 1)), -100000,
                                      100000);
        const size_t point = std::min(mantissa.find('.'), mantissa.size());
        const size_t leading = std::min(mantissa.find_first_of("123456789"), mantissa.size());
        const int64_t order = leading < point ? static_cast<int64_t>(point - leading)
                                              : -static_cast<int64_t>(leading - point);
        value = order + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string FormatFloat(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "+Infinity" : "-Infinity";
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

PreferenceWriter::PreferenceWriter() {
    text += kByteOrderMark;
    text += kLineEnd;
}

void PreferenceWriter::SetGroup(std::string_view name) {
    pendingGroup = WithoutLineBreaks(name);
    groupPending = true;
}

void PreferenceWriter::FlushGroup() {
    if (groupPending) {
        text += "[" + pendingGroup + "]";
        text += kLineEnd;
        groupPending = false;
    }
}

void PreferenceWriter::WriteString(std::string_view key, std::string_view value) {
    FlushGroup();
    text += WithoutLineBreaks(key) + " = " + WithoutLineBreaks(value);
    text += kLineEnd;
}

void PreferenceWriter::WriteInteger(std::string_view key, int64_t value) {
    WriteString(key, std::to_string(value));
}

void PreferenceWriter::WriteFloat(std::string_view key, double value) {
    WriteString(key, FormatFloat(value));
}

void PreferenceWriter::WriteComment(std::string_view comment) {
    FlushGroup();
    text += "; " + WithoutLineBreaks(comment);
    text += kLineEnd;
}

bool PreferenceWriter::SaveTo(const std::string& path) const {
    // Replace what a symbolic link points to, not the link itself; a new file is private.
    AtomicFileWriter file(path, {.newFileMode = 0600, .replaceLinkTarget = true});
    return file.Write(text) && file.Commit();
}

} // namespace millconv
