// Loading and saving config.ini by walking the settings table.
#include "settings/settings_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include <pwd.h>
#include <unistd.h>

#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "settings/preference_file.h"

namespace millconv {

namespace {

constexpr int32_t kMissingPosition = 100;

// Written only once the preview has been opened, so config.ini is otherwise as it was.
constexpr std::string_view kPreviewGroup = "Preview";

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A double beyond the float range would be undefined to convert; it becomes infinity.
float ToFloat(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

void StoreValue(const SettingDef& def, Settings& settings, const std::string& text) {
    const SettingField field = def.field(settings);
    switch (def.type) {
    case SettingType::Int32:
    case SettingType::Int8:
    case SettingType::Date:
        AssignInteger(field, ParseInteger(text));
        break;
    case SettingType::Float:
        *std::get<float*>(field) = ToFloat(ParseFloat(text));
        break;
    case SettingType::String:
        *std::get<std::string*>(field) = std::string(TrimBlanks(text));
        break;
    }
}

void WriteValue(PreferenceWriter& writer, const SettingDef& def, const Settings& settings) {
    // The table hands out mutable field pointers; saving only reads through them.
    const SettingField field = def.field(const_cast<Settings&>(settings));
    if (auto* p = std::get_if<int32_t*>(&field)) {
        writer.WriteInteger(def.key, **p);
    } else if (auto* p8 = std::get_if<int8_t*>(&field)) {
        writer.WriteInteger(def.key, **p8);
    } else if (auto* pf = std::get_if<float*>(&field)) {
        writer.WriteFloat(def.key, **pf);
    } else if (auto* ps = std::get_if<std::string*>(&field)) {
        writer.WriteString(def.key, **ps);
    }
}

// The rows a save writes for one group, in file order.
std::vector<const SettingDef*> RowsToSave(std::string_view group, const Settings& settings) {
    std::vector<const SettingDef*> rows;
    if (group == "Input" || group == "Output") {
        // Format, then only the keys of the formats this product handles.
        const bool input = group == "Input";
        rows.push_back(FindSetting(group, "Format"));
        for (const std::string& format : input ? InputFormatList() : OutputFormatList()) {
            const auto owned =
                FormatSettings(input ? FormatSide::Input : FormatSide::Output, format);
            rows.insert(rows.end(), owned.begin(), owned.end());
        }
        return rows;
    }
    for (const SettingDef& def : SettingsTable()) {
        if (def.group == group) {
            rows.push_back(&def);
        }
    }
    if (group == kPreviewGroup && settings.previewWindow.width == 0) {
        rows.clear();
    }
    if (group == "Window") {
        if (settings.general.saveWindowPosition == 0) {
            rows.clear();
        }
        // The file lists the size before the position.
        // Not the ranges form: clang 14 (the fuzz build) cannot compile it with libstdc++ 12.
        std::stable_partition(rows.begin(), rows.end(), [](const SettingDef* def) {
            return def->key != "X" && def->key != "Y";
        });
    }
    return rows;
}

std::string BaseConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') { // relative values are to be ignored
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config";
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return std::string(entry->pw_dir) + "/.config";
    }
    return {};
}

void EnsureFolder(const std::string& folder) {
    if (FileSize(folder) == -1) {
        CreateFolder(folder);
    }
}

} // namespace

std::string SettingsFolder(std::string_view makerFolder, std::string_view programFolder) {
    std::string folder = BaseConfigFolder();
    if (folder.empty()) {
        return {};
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    EnsureFolder(folder);
    folder += std::string(makerFolder) + "/";
    EnsureFolder(folder);
    folder += std::string(programFolder) + "/";
    EnsureFolder(folder);
    return folder;
}

void LoadSettings(Settings& settings) {
    SetDefaultSettings(false, settings);
    if (auto file = PreferenceFile::Open(settings.settingsFilePath)) {
        // Defaults that differ when a file exists but lacks the key.
        settings.general.cfg = 0;
        settings.window.x = kMissingPosition;
        settings.window.y = kMissingPosition;

        std::string_view group;
        bool groupFound = false;
        for (const SettingDef& def : SettingsTable()) {
            if (def.group != group) {
                group = def.group;
                groupFound = file->SelectGroup(group);
            }
            if (!groupFound) {
                continue;
            }
            if (auto value = file->Find(def.key)) {
                StoreValue(def, settings, *value);
            }
        }
    }

    // Versions before 11 kept the extension out of the mask.
    if (settings.general.cfg < 11 &&
        settings.advanced.filenameMask.find("%ext%") == std::string::npos) {
        settings.advanced.filenameMask += ".%ext%";
    }
    // Versions before 14 had no 8-bit and 16-bit RAW choices.
    if (settings.general.cfg < 14 && settings.input.rawLoadAs != 0) {
        // Saturating, like every number read: the largest value must not wrap around.
        settings.input.rawLoadAs =
            int32_t(std::min<int64_t>(int64_t(settings.input.rawLoadAs) + 2, INT32_MAX));
    }
}

namespace {

PreferenceWriter BuildSettingsFile(const Settings& settings) {
    static const SettingDef* const versionRow = FindSetting("General", "CFG");
    PreferenceWriter writer;
    std::string_view group;
    for (const SettingDef& def : SettingsTable()) {
        if (def.group == group) {
            continue;
        }
        group = def.group;
        const std::vector<const SettingDef*> rows = RowsToSave(group, settings);
        if (rows.empty() && group == kPreviewGroup) {
            continue;
        }
        writer.SetGroup(group);
        for (const SettingDef* row : rows) {
            if (row == versionRow) {
                writer.WriteInteger(row->key, kSettingsVersion); // migrations happened on load
            } else {
                WriteValue(writer, *row, settings);
            }
        }
        writer.WriteComment("");
    }
    return writer;
}

} // namespace

std::string SettingsFileText(const Settings& settings) {
    return BuildSettingsFile(settings).Text();
}

bool SaveSettings(const Settings& settings) {
    if (settings.settingsFilePath.empty()) {
        return false;
    }
    return BuildSettingsFile(settings).SaveTo(settings.settingsFilePath);
}

} // namespace millconv
