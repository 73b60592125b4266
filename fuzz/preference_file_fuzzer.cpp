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

    // Whatever a config.ini holds, saving what was loaded and loading that again must give the
    // same settings: a value that changes on the way is lost at the next start.
    Settings settings;
    settings.settingsFilePath = fuzz::ScratchFolder() + "config.ini";
    fuzz::WriteBytes(settings.settingsFilePath, bytes);
    LoadSettings(settings);
    const std::string saved = SettingsFileText(settings);
    fuzz::WriteBytes(settings.settingsFilePath, saved);
    LoadSettings(settings);
    MILLCONV_FUZZ_CHECK(SettingsFileText(settings) == saved);
    return 0;
}
