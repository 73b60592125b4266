// The settings file config.ini: its folder, loading with defaults and migrations, and saving.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace millconv {

// The settings version a save writes as [General] CFG.
inline constexpr int32_t kSettingsVersion = 18;
inline constexpr std::string_view kSettingsFileName = "config.ini";

// The per-user settings folder: $XDG_CONFIG_HOME (else $HOME/.config), then the maker folder
// and the program folder, ending with '/'. Creates the levels that do not exist; a folder that
// cannot be created is not reported (the later save fails instead). Empty when no base
// folder is known.
std::string SettingsFolder(std::string_view makerFolder, std::string_view programFolder);

// Fills the settings from the file named by settings.settingsFilePath. When the file cannot
// be read, the window-mode defaults are used. Missing keys take their defaults, except that a
// missing CFG reads as 0 and a missing X or Y as 100; files of older settings versions are
// migrated in memory.
void LoadSettings(Settings& settings = gSettings);

// The complete text SaveSettings writes for these settings.
std::string SettingsFileText(const Settings& settings);

// Writes the settings to settings.settingsFilePath through a temporary file and a rename, so
// that a failed save leaves the previous file intact. False when nothing was written.
bool SaveSettings(const Settings& settings = gSettings);

} // namespace millconv
