// Profiles: the "CLI" group of a preference file applied like command-line options.
#include "cli/command_line_parse.h"


#include "base/text.h"
#include "cli/option_parsing.h"
#include "cli/option_table.h"
#include "settings/preference_file.h"

namespace millconv {

bool LoadProfile(const std::string& path, std::string* error) {
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
        if (const OptionDef* option = FindProfileOption(UpperCase(entry.key))) {
            if (entry.value.size() > kMaxValueLength) {
                if (error != nullptr) {
                    *error = ValueTooLongError(entry.key + " in profile " + path);
                }
                return false;
            }
            ApplyOption(*option, entry.value, ValueSource::Profile);
        }
    }
    return true;
}

} // namespace millconv
