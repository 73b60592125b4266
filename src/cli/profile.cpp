// Profiles: the "CLI" group of a preference file applied like command-line options.
#include "cli/command_line_parse.h"

#include <cctype>

#include "cli/option_parsing.h"
#include "cli/option_table.h"
#include "settings/preference_file.h"

namespace millconv {

bool LoadProfile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::optional<PreferenceFile> file = PreferenceFile::Open(path);
    if (!file) {
        return false;
    }
    // A missing group leaves the walk empty: an empty profile is not an error.
    file->SelectGroup("CLI");
    for (const PreferenceEntry& entry : file->GroupEntries()) {
        std::string key = entry.key;
        for (char& c : key) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        if (const OptionDef* option = FindProfileOption(key)) {
            ApplyOption(*option, entry.value, ValueSource::Profile);
        }
    }
    return true;
}

} // namespace millconv
