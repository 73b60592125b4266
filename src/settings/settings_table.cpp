// The settings table's look-ups and the defaults it describes.
#include "settings/settings_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "base/text.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"

namespace millconv {

Settings gSettings;

namespace {

DesktopSizeHook gDesktopSizeHook = nullptr;

constexpr int32_t kDefaultWidth = 510;
constexpr int32_t kDefaultHeight = 260;
constexpr int32_t kUncentredPosition = 100;

template <typename Number> Number ParseDefault(std::string_view text) {
    Number value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::span<const SettingDef> SettingsTable() { return kSettingsTable; }

const SettingDef* FindSetting(std::string_view group, std::string_view key) {
    for (const SettingDef& def : kSettingsTable) {
        if (EqualsIgnoringCase(def.group, group) && EqualsIgnoringCase(def.key, key)) {
            return &def;
        }
    }
    return nullptr;
}

void AssignInteger(const SettingField& field, int64_t value) {
    if (auto* p = std::get_if<int32_t*>(&field)) {
        // Out-of-range numbers saturate rather than wrap into an unrelated value.
        **p = static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max()));
    } else if (auto* p8 = std::get_if<int8_t*>(&field)) {
        **p8 = static_cast<int8_t>(static_cast<uint8_t>(value & 0xFF));
    } else if (auto* pf = std::get_if<float*>(&field)) {
        **pf = static_cast<float>(value);
    } else if (auto* ps = std::get_if<std::string*>(&field)) {
        **ps = std::to_string(value);
    }
}

int64_t IntegerValue(const SettingField& field) {
    if (auto* p = std::get_if<int32_t*>(&field)) {
        return **p;
    }
    if (auto* p8 = std::get_if<int8_t*>(&field)) {
        return **p8;
    }
    if (auto* pf = std::get_if<float*>(&field)) {
        return static_cast<int64_t>(**pf);
    }
    return 0;
}

void SetDefaultSettings(bool consoleMode, Settings& settings) {
    const int64_t now = DateValueNow();
    for (const SettingDef& def : kSettingsTable) {
        const SettingField field = def.field(settings);
        switch (def.type) {
        case SettingType::Date:
            AssignInteger(field, now);
            break;
        case SettingType::Int32:
        case SettingType::Int8:
            AssignInteger(field, ParseDefault<int64_t>(def.defaultValue));
            break;
        case SettingType::Float:
            *std::get<float*>(field) = ParseDefault<float>(def.defaultValue);
            break;
        case SettingType::String:
            *std::get<std::string*>(field) = std::string(def.defaultValue);
            break;
        }
    }

    settings.window.width = kDefaultWidth;
    settings.window.height = kDefaultHeight;
    const DesktopSize desktop = gDesktopSizeHook ? gDesktopSizeHook() : DesktopSize{};
    settings.window.x =
        desktop.width > kDefaultWidth ? (desktop.width - kDefaultWidth) / 2 : kUncentredPosition;
    settings.window.y = desktop.height > kDefaultHeight ? (desktop.height - kDefaultHeight) / 2
                                                        : kUncentredPosition;

    const auto& inputs = InputFormatList();
    const auto& outputs = OutputFormatList();
    settings.input.format = inputs.empty() ? std::string() : inputs.front();
    settings.output.format = outputs.empty() ? std::string() : outputs.front();

    settings.transform.keepAspectRatio = consoleMode ? 0 : 1;
    settings.file.recentOutFolders.clear();
    settings.file.recentFiles.clear();
}

void SetDesktopSizeHook(DesktopSizeHook hook) { gDesktopSizeHook = hook; }

} // namespace millconv
