// Preference files: the "[Group]" / "key = value" text format of config.ini and of profiles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace millconv {

// One key line of a group: the key and its value text, both trimmed of blanks and tabs.
struct PreferenceEntry {
    std::string key;
    std::string value;
};

// A preference file read into memory. Groups and keys match in any ASCII letter case; the
// first matching group line and the first matching key line in it win.
class PreferenceFile {
  public:
    // Reads the whole file. Text after a UTF-8 byte-order mark is kept; text without one is
    // taken as ISO-8859-1 and converted to UTF-8. Nothing when the file cannot be read
    // (missing, a folder, unreadable, or larger than kMaxBytes).
    static std::optional<PreferenceFile> Open(const std::string& path);

    // Parses file bytes already in memory, as Open does.
    static PreferenceFile Parse(std::string_view bytes);

    static constexpr size_t kMaxBytes = 16u << 20;

    // Selects the first group whose name matches. Returns false when there is none; reads
    // then find no keys (every read yields the caller's default) and the walk is empty.
    bool SelectGroup(std::string_view name);

    // The value text of the first line of the selected group with this key; nothing when
    // the group or the key is missing.
    std::optional<std::string> Find(std::string_view key) const;

    // Typed reads of the selected group with the caller's default for a missing key; the
    // number rules are those of ParseInteger and ParseFloat.
    std::string ReadString(std::string_view key, std::string_view fallback) const;
    int64_t ReadInteger(std::string_view key, int64_t fallback) const;
    double ReadFloat(std::string_view key, double fallback) const;

    // The key lines of the selected group in file order (duplicates included).
    std::vector<PreferenceEntry> GroupEntries() const;

  private:
    struct Line {
        bool isGroup = false;
        std::string name; // group name or key
        std::string value;
    };
    std::vector<Line> lines;             // group and key lines; comments are dropped
    std::optional<size_t> selectedGroup; // index into lines of the selected group line
};

// Optional leading blanks, an optional sign and the decimal digits up to the first other
// character; no digits give 0. Values beyond the 64-bit range saturate.
int64_t ParseInteger(std::string_view text);

// "+Infinity", "-Infinity", "NaN" (any letter case) or a decimal number (sign, digits,
// fraction, exponent) converted up to the first character that does not fit; otherwise 0.
double ParseFloat(std::string_view text);

// Six decimals ("1.500000"); "+Infinity", "-Infinity", "NaN" for the special values.
std::string FormatFloat(double value);

// Builds preference-file text: byte-order mark and CR LF first, then group, key and comment
// lines, each ending in CR LF. A group line is written with the first key or comment that
// follows SetGroup. CR and LF inside keys and values are dropped: they would split the line
// and let a value forge further keys.
class PreferenceWriter {
  public:
    PreferenceWriter();

    void SetGroup(std::string_view name);
    void WriteString(std::string_view key, std::string_view value);
    void WriteInteger(std::string_view key, int64_t value);
    void WriteFloat(std::string_view key, double value);
    void WriteComment(std::string_view text);

    const std::string& Text() const { return text; }

    // Writes the text to a temporary file in the target's folder and renames it over the
    // target. False when any step fails; the target is then left as it was and the
    // temporary file is removed.
    bool SaveTo(const std::string& path) const;

  private:
    void FlushGroup();

    std::string text;
    std::string pendingGroup;
    bool groupPending = false;
};

} // namespace millconv
