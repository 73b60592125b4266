// Theme archives: theme.cfg parsing, the installed-theme scan and size-capped zip entry reading.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

// Entries above this many uncompressed bytes are never read, whatever an archive claims.
inline constexpr int64_t kMaxThemeEntryBytes = 16 * 1024 * 1024;

// Only this many bytes of theme.cfg are read for the display name, so [Theme] must come first.
inline constexpr size_t kThemeNameBytes = 255;

// The folder holding the theme archives, ending with '/': "gfx/" beside the executable when
// that folder exists, else the installed data folder's "gfx/".
std::string GfxFolder();

// The value of a key in a section of a theme.cfg text (CR LF lines); empty when not found.
// Section and key compare without letter case; the value is cut at a second '=' and trimmed.
std::string ThemeConfigValue(std::string_view text, std::string_view section, std::string_view key);

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

// A zip archive read entry by entry. Entries are compared by their exact names; only entries
// of 1 .. kMaxThemeEntryBytes bytes are listed, and one whose data does not match its stated
// size is never returned.
class ThemeArchive {
  public:
    // Opens the archive and notes its entries; false (and no entries) when it cannot be read.
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
    std::string path_;
    std::map<std::string, int64_t> entries_;
};

} // namespace millconv
