// Theme archives: theme.cfg parsing, the installed-theme scan and size-capped zip entry reading.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace millconv {

// Entries above this many uncompressed bytes are never read, whatever an archive claims.
inline constexpr int64_t kMaxThemeEntryBytes = 16 * 1024 * 1024;

// What one archive may cost: its file size (which bounds its directory), its entry count and
// the bytes inflated from it over the life of a ThemeArchive. Past these it is not read on.
inline constexpr int64_t kMaxThemeArchiveFileBytes = 64 * 1024 * 1024;
inline constexpr size_t kMaxThemeEntries = 4096;
inline constexpr int64_t kMaxThemeInflatedBytes = 64 * 1024 * 1024;

// The largest side a theme picture may declare; larger ones are not decoded.
inline constexpr int kMaxThemePictureSide = 1024;

// Only this many bytes of theme.cfg are read for the display name, so [Theme] must come first.
inline constexpr size_t kThemeNameBytes = 255;

// The folder holding the theme archives, ending with '/': "gfx/" beside the executable when
// that folder exists, else the installed data folder's "gfx/".
std::string GfxFolder();

// The value of a key in a section of a theme.cfg text (CR LF lines); empty when not found.
// Section and key compare without letter case; the value is cut at a second '=' and trimmed.
std::string ThemeConfigValue(std::string_view text, std::string_view section, std::string_view key);

// True for a name that can only name an archive inside the theme folder: not empty, no '/',
// not "." or "..", no control characters. The UI Theme setting must be one.
bool IsPlainThemeName(std::string_view name);

// Toolbar icon pixels for a UI Size setting: 0..4 give 16, 24, 32, 48, 64; anything else 16.
int IconPixelSize(int32_t uiSize);

// The entry name a theme.cfg picture value stands for at a pixel size: the value itself when it
// names a ".png" (any case), else value + "_" + pixels + ".png".
std::string ThemeEntryName(const std::string& value, int pixels);

// The [Theme] Name of gfxFolder + packageName + ".zip"; the package name when the archive
// cannot be read (an archive without a Name gives an empty text).
std::string ThemeDisplayName(const std::string& gfxFolder, const std::string& packageName);
std::string ThemeDisplayName(const std::string& packageName);

// Package name (file name without ".zip") -> display name for every archive in the folder,
// ordered by package name; empty when the folder cannot be listed.
std::map<std::string, std::string> ScanThemes(const std::string& gfxFolder);

// A zip archive read entry by entry through its central directory: entries are skipped by
// seeking, never by inflating them, and an archive without a directory is not read at all.
// Entries are compared by their exact names; only entries of 1 .. kMaxThemeEntryBytes bytes
// are listed, one whose data does not match its stated size is never returned, and once
// kMaxThemeInflatedBytes have been inflated no more entries are returned.
class ThemeArchive {
  public:
    // Opens the archive and notes its entries; false (and no entries) when it cannot be read,
    // is larger than kMaxThemeArchiveFileBytes or has more than kMaxThemeEntries entries.
    bool Open(const std::string& path);
    bool IsOpen() const { return !path_.empty(); }

    // Entry name -> uncompressed size of every listed entry.
    const std::map<std::string, int64_t>& Entries() const { return entries_; }
    bool Contains(const std::string& name) const { return entries_.count(name) != 0; }

    // The whole data of a listed entry; nothing when it is not listed or reads short or long.
    std::optional<std::string> Extract(const std::string& name) const;

    // The same for several entries in one pass over the archive; missing or bad ones are absent.
    std::map<std::string, std::string> ExtractMany(const std::vector<std::string>& names) const;

    // At most `limit` leading bytes of an entry that exists with a size above 0.
    std::optional<std::string> ExtractPrefix(const std::string& name, size_t limit) const;

  private:
    // The current entry's data up to limit bytes, taken from the inflation allowance;
    // complete when it ended within the limit.
    std::string ReadEntry(archive* reader, size_t limit, bool& complete) const;

    std::string path_;
    std::map<std::string, int64_t> entries_;
    mutable int64_t inflatedRoom_ = kMaxThemeInflatedBytes;
};

} // namespace millconv
