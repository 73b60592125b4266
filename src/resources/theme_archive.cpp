// Theme archives: theme.cfg parsing, the installed-theme scan and size-capped zip entry reading.
#include "resources/theme_archive.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include <archive.h>
#include <archive_entry.h>

#include "base/text.h"
#include "platform/files.h"
#include "platform/program_folders.h"

namespace millconv {

namespace {

struct ReaderFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};
using Reader = std::unique_ptr<archive, ReaderFree>;

Reader OpenReader(const std::string& path) {
    Reader reader(archive_read_new());
    if (!reader) {
        return nullptr;
    }
    // Only the reader that goes by the central directory: the streaming one must inflate an
    // entry of unknown length to the end just to find the next.
    archive_read_support_format_zip_seekable(reader.get());
    if (archive_read_open_filename(reader.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK) {
        return nullptr;
    }
    return reader;
}

// Next entry header, or nullptr at the end or on a damaged archive.
archive_entry* NextEntry(archive* reader) {
    archive_entry* entry = nullptr;
    int status = archive_read_next_header(reader, &entry);
    return (status == ARCHIVE_OK || status == ARCHIVE_WARN) ? entry : nullptr;
}

std::string EntryName(archive_entry* entry) {
    const char* name = archive_entry_pathname(entry);
    return name != nullptr ? std::string(name) : std::string();
}

// The current entry's data, at most `limit` bytes; `complete` tells whether the data ended
// within the limit (false also on a read error).
std::string ReadData(archive* reader, size_t limit, bool& complete) {
    std::string data;
    complete = false;
    char chunk[16 * 1024];
    while (true) {
        la_ssize_t count = archive_read_data(reader, chunk, sizeof(chunk));
        if (count < 0) {
            return data;
        }
        if (count == 0) {
            complete = true;
            return data;
        }
        size_t room = limit - data.size();
        if (static_cast<size_t>(count) > room) {
            data.append(chunk, room);
            return data;
        }
        data.append(chunk, static_cast<size_t>(count));
    }
}

std::string_view TrimBoth(std::string_view text, char c) {
    while (!text.empty() && text.front() == c) {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == c) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string GfxFolder() {
    const std::string found = FindProgramData(ProgramData::Themes, "", ProgramFolder());
    return found.empty() ? InstalledDataFolder(ProgramData::Themes, ProgramFolder()) : found;
}

std::string ThemeConfigValue(std::string_view text, std::string_view section,
                             std::string_view key) {
    // Appended piece by piece: GCC 12 at -O3 takes "[" + string for an overlapping copy.
    std::string header(1, '[');
    header.append(section).push_back(']');
    size_t g = FindIgnoringCase(text, header, 0);
    if (g == std::string_view::npos) {
        return {};
    }
    size_t e = text.find('[', g + 1);
    if (e == std::string_view::npos) {
        e = text.size();
    }
    size_t k = FindIgnoringCase(text, "\r\n" + std::string(key), g);
    if (k == std::string_view::npos || k <= g || k >= e) {
        return {};
    }
    size_t lineEnd = text.find("\r\n", k + 2);
    if (lineEnd == std::string_view::npos) {
        return {};
    }
    std::string_view line = text.substr(k, lineEnd - k);
    size_t firstEquals = line.find('=');
    if (firstEquals == std::string_view::npos) {
        return {};
    }
    std::string_view value = line.substr(firstEquals + 1);
    value = value.substr(0, value.find('='));
    for (char c : {' ', '\t', '\r', '\n'}) {
        value = TrimBoth(value, c);
    }
    return std::string(value);
}

bool IsPlainThemeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
           });
}

int IconPixelSize(int32_t uiSize) {
    static constexpr int kPixels[] = {16, 24, 32, 48, 64};
    return (uiSize >= 0 && uiSize < 5) ? kPixels[uiSize] : 16;
}

std::string ThemeEntryName(const std::string& value, int pixels) {
    if (FindIgnoringCase(value, ".png") != std::string::npos) {
        return value;
    }
    return value + "_" + std::to_string(pixels) + ".png";
}

std::string ThemeDisplayName(const std::string& gfxFolder, const std::string& packageName) {
    std::string path = gfxFolder + packageName + ".zip";
    if (FileSize(path) <= 0) {
        return packageName;
    }
    ThemeArchive archive;
    if (!archive.Open(path)) {
        return packageName;
    }
    std::string head = archive.ExtractPrefix("theme.cfg", kThemeNameBytes).value_or(std::string());
    head = head.substr(0, head.find('\0'));
    return ThemeConfigValue(head, "Theme", "Name");
}

std::string ThemeDisplayName(const std::string& packageName) {
    return ThemeDisplayName(GfxFolder(), packageName);
}

std::map<std::string, std::string> ScanThemes(const std::string& gfxFolder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> themes;
    std::error_code error;
    fs::directory_iterator listing(gfxFolder, error);
    if (error) {
        return themes;
    }
    for (const fs::directory_entry& item : listing) {
        std::error_code typeError;
        const fs::path& path = item.path();
        if (path.extension() != ".zip" || !item.is_regular_file(typeError)) {
            continue;
        }
        std::string name = path.stem().string();
        if (!name.empty()) {
            themes[name] = ThemeDisplayName(gfxFolder, name);
        }
    }
    return themes;
}

bool ThemeArchive::Open(const std::string& path) {
    path_.clear();
    entries_.clear();
    inflatedRoom_ = kMaxThemeInflatedBytes;
    if (FileSize(path) > kMaxThemeArchiveFileBytes) {
        return false;
    }
    Reader reader = OpenReader(path);
    if (!reader) {
        return false;
    }
    size_t count = 0;
    while (archive_entry* entry = NextEntry(reader.get())) {
        if (++count > kMaxThemeEntries) {
            entries_.clear();
            return false;
        }
        int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (size > 0 && size <= kMaxThemeEntryBytes && archive_entry_filetype(entry) == AE_IFREG) {
            entries_[EntryName(entry)] = size;
        }
    }
    path_ = path;
    return true;
}

std::optional<std::string> ThemeArchive::Extract(const std::string& name) const {
    std::map<std::string, std::string> found = ExtractMany({name});
    auto it = found.find(name);
    if (it == found.end()) {
        return std::nullopt;
    }
    return std::move(it->second);
}

std::map<std::string, std::string>
ThemeArchive::ExtractMany(const std::vector<std::string>& names) const {
    std::map<std::string, std::string> found;
    std::set<std::string> wanted;
    for (const std::string& name : names) {
        if (Contains(name)) {
            wanted.insert(name);
        }
    }
    if (wanted.empty()) {
        return found;
    }
    Reader reader = OpenReader(path_);
    if (!reader) {
        return found;
    }
    while (!wanted.empty()) {
        archive_entry* entry = NextEntry(reader.get());
        if (entry == nullptr) {
            break;
        }
        std::string name = EntryName(entry);
        auto want = wanted.find(name);
        if (want == wanted.end()) {
            continue;
        }
        wanted.erase(want);
        // Read one byte past the noted size: an entry that delivers more, or less, is lying.
        size_t stated = static_cast<size_t>(entries_.at(name));
        bool complete = false;
        std::string data = ReadEntry(reader.get(), stated + 1, complete);
        if (complete && data.size() == stated) {
            found.emplace(std::move(name), std::move(data));
        }
    }
    return found;
}

std::string ThemeArchive::ReadEntry(archive* reader, size_t limit, bool& complete) const {
    const auto room = static_cast<size_t>(std::max<int64_t>(inflatedRoom_, 0));
    std::string data = ReadData(reader, std::min(limit, room), complete);
    inflatedRoom_ -= static_cast<int64_t>(data.size());
    return data;
}

std::optional<std::string> ThemeArchive::ExtractPrefix(const std::string& name,
                                                       size_t limit) const {
    if (path_.empty()) {
        return std::nullopt;
    }
    Reader reader = OpenReader(path_);
    if (!reader) {
        return std::nullopt;
    }
    while (archive_entry* entry = NextEntry(reader.get())) {
        if (EntryName(entry) != name) {
            continue;
        }
        bool complete = false;
        return ReadEntry(reader.get(), limit, complete);
    }
    return std::nullopt;
}

} // namespace millconv
