// The inputs of a batch run: files and whole folders, gathered into one input set.
#include "engine/batch_inputs.h"

#include "base/text.h"
#include "engine/naming.h"
#include "platform/files.h"
#include "settings/format_catalogue.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <sys/stat.h>

namespace millconv {

bool IsInputFile(const std::string& path) {
    return FileSize(path) > 0 && IsInList(AcceptedExtensions(), ToLowerText(ExtensionOf(path)));
}

namespace {

namespace fs = std::filesystem;

// What one folder holds: the names of its subfolders and of its other entries.
struct FolderListing {
    std::vector<std::string> folders;
    std::vector<std::string> others;
};

// Reads a whole folder and closes it again before anything below it is opened, so a deep tree
// never holds more than one folder open. 0 or the errno that stopped the reading.
int ReadFolder(const std::string& folder, FolderListing& listing) {
    DIR* stream = ::opendir(folder.c_str());
    if (stream == nullptr) {
        return errno;
    }
    int failure = 0;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            failure = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder =
                ::lstat((folder + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        (isFolder ? listing.folders : listing.others).emplace_back(name);
    }
    ::closedir(stream);
    return failure;
}

class FolderWalk {
  public:
    FolderWalk(InputSetMap& inputs, std::vector<std::string>* problems)
        : inputs_(inputs), problems_(problems) {}

    // Depth first with a stack of the names still to visit at each level: the current path is
    // one string that grows and shrinks, so nothing holds a copy of it per level.
    void Walk(std::string base) {
        if (!base.ends_with('/')) {
            base += '/';
        }
        std::string path = base;
        struct Level {
            std::vector<std::string> pending;
            size_t pathLength = 0;
        };
        std::vector<Level> stack;
        stack.push_back({Visit(path, base), path.size()});
        while (!stack.empty()) {
            Level& level = stack.back();
            if (level.pending.empty()) {
                stack.pop_back();
                continue;
            }
            path.resize(level.pathLength);
            path += level.pending.back();
            path += '/';
            level.pending.pop_back();
            std::vector<std::string> below = Visit(path, base);
            stack.push_back({std::move(below), path.size()});
        }
    }

    void Problem(const std::string& path, int error) {
        if (problems_ != nullptr) {
            problems_->push_back("millconv: " + QuotedName(path) + ": could not be read (" +
                                 std::strerror(error) + ")");
        }
    }

  private:
    // Adds the input files of one folder; the names of its subfolders, to be visited later.
    std::vector<std::string> Visit(const std::string& folder, const std::string& base) {
        FolderListing listing;
        if (const int error = ReadFolder(folder, listing); error != 0) {
            Problem(folder, error);
        }
        for (const std::string& name : listing.others) {
            std::string file = folder + name;
            if (IsInputFile(file)) {
                InputEntry entry{1, RelativeSubfolder(file, base)};
                inputs_[std::move(file)] = std::move(entry);
            }
        }
        return std::move(listing.folders);
    }

    InputSetMap& inputs_;
    std::vector<std::string>* problems_;
};

} // namespace

InputSetMap CollectBatchInputs(const std::vector<std::string>& paths,
                               std::vector<std::string>* problems) {
    InputSetMap inputs;
    FolderWalk walk(inputs, problems);
    for (const std::string& given : paths) {
        if (given.empty()) {
            continue;
        }
        std::error_code error;
        const fs::path path = fs::absolute(given, error).lexically_normal();
        if (error) {
            walk.Problem(given, error.value());
            continue;
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            walk.Problem(path.string(), errno);
        } else if (S_ISDIR(info.st_mode)) {
            walk.Walk(path.string());
        } else if (IsInputFile(path.string())) {
            inputs.try_emplace(path.string(), InputEntry{1, {}});
        }
    }
    return inputs;
}

} // namespace millconv
