// The inputs of a batch run: files and whole folders, gathered into one input set.
#include "engine/batch_inputs.h"

#include "base/text.h"
#include "engine/naming.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"

#include <filesystem>
#include <system_error>

namespace millconv {

bool IsInputFile(const std::string& path) {
    return FileSize(path) > 0 && IsInList(AcceptedExtensions(), ToLowerText(ExtensionOf(path)));
}

namespace {

namespace fs = std::filesystem;

void AddFolder(const fs::path& folder, InputSetMap& inputs) {
    std::string base = folder.string();
    if (!base.ends_with('/')) {
        base += '/';
    }
    std::error_code error;
    // An unreadable subfolder is passed over rather than ending the walk.
    auto walk = fs::recursive_directory_iterator(
        folder, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && walk != end; walk.increment(error)) {
        std::error_code typeError;
        if (!walk->is_regular_file(typeError)) {
            continue;
        }
        const std::string path = walk->path().string();
        if (IsInputFile(path)) {
            inputs[path] = InputEntry{1, RelativeSubfolder(path, base)};
        }
    }
}

} // namespace

InputSetMap CollectBatchInputs(const std::vector<std::string>& paths) {
    InputSetMap inputs;
    for (const std::string& given : paths) {
        if (given.empty()) {
            continue;
        }
        std::error_code error;
        const fs::path path = fs::absolute(given, error).lexically_normal();
        if (error) {
            continue;
        }
        if (fs::is_directory(path, error)) {
            AddFolder(path, inputs);
        } else if (IsInputFile(path.string())) {
            inputs.try_emplace(path.string(), InputEntry{1, {}});
        }
    }
    return inputs;
}

} // namespace millconv
