// The per-user private folder: runtime folder, temp folder or cache folder, whichever is ours.
#include "platform/runtime_folder.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {

namespace {

std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : "";
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && !folder.ends_with('/')) {
        folder += '/';
    }
    return folder;
}

// A real folder of ours that no one else may enter; made with mode 0700 first when asked.
bool PrivateFolderUsable(const std::string& folder, bool make) {
    if (folder.empty()) {
        return false;
    }
    if (make && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

} // namespace

std::string PrivateRuntimeFolder() {
    const std::string own = "millconv-" + std::to_string(::getuid());
    if (const std::string runtime = WithSlash(AbsoluteVariable("XDG_RUNTIME_DIR"));
        PrivateFolderUsable(runtime, false)) {
        return runtime;
    }
    std::string temp = WithSlash(AbsoluteVariable("TMPDIR"));
    if (temp.empty()) {
        temp = "/tmp/";
    }
    if (PrivateFolderUsable(temp + own, true)) {
        return temp + own + '/';
    }
    // Someone else holds the shared name: the user's own cache folder cannot be planted.
    std::string cache = WithSlash(AbsoluteVariable("XDG_CACHE_HOME"));
    if (cache.empty()) {
        const std::string home = WithSlash(AbsoluteVariable("HOME"));
        if (home.empty()) {
            return {};
        }
        cache = home + ".cache/";
    }
    ::mkdir(cache.c_str(), 0700); // a fresh account may have none yet
    return PrivateFolderUsable(cache + own, true) ? cache + own + '/' : std::string();
}

} // namespace millconv
