// Fuzzes the preference-file reader: parsing and walking any bytes, and config.ini loading.
#include "fuzz_support.h"

#include "settings/preference_file.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

using namespace millconv;

void WalkGroup(PreferenceFile& file, std::string_view group) {
    if (!file.SelectGroup(group)) {
        return;
    }
    for (const PreferenceEntry& entry : file.GroupEntries()) {
        MILLCONV_FUZZ_CHECK(file.Find(entry.key).has_value());
        (void)file.ReadInteger(entry.key, 7);
        (void)file.ReadFloat(entry.key, 0.5);
        (void)FormatFloat(ParseFloat(entry.value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    PreferenceFile file = PreferenceFile::Parse(bytes);
    for (std::string_view group : {"CLI", "General", "Output", "Watermark", ""}) {
        WalkGroup(file, group);
    }

    // config.ini loading with its migrations, and saving what was loaded.
    Settings settings;
    settings.settingsFilePath = fuzz::ScratchFolder() + "config.ini";
    fuzz::WriteBytes(settings.settingsFilePath, bytes);
    LoadSettings(settings);
    MILLCONV_FUZZ_CHECK(SettingsFileText(settings).starts_with("\xEF\xBB\xBF"));
    return 0;
}
