// Sweep marks: one empty file per output folder of many names in the private runtime folder,
// its modification time the moment of the last look through the folder.
#include "platform/sweep_marks.h"

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace millconv {

std::string SweepMarkPath(const std::string& folder) {
    const std::string own = PrivateRuntimeFolder();
    if (own.empty()) {
        return {};
    }
    // The name only has to tell folders apart; two that share one merely take turns.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : folder) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "millconv-swept-%016llx",
                  static_cast<unsigned long long>(hash));
    return own + name;
}

bool SweptRecently(const std::string& mark, time_t now) {
    struct stat info {};
    if (mark.empty() || ::stat(mark.c_str(), &info) != 0) {
        return false;
    }
    return info.st_mtime <= now && now - info.st_mtime < kSweepRestSeconds;
}

void MarkSwept(const std::string& mark) {
    if (mark.empty()) {
        return;
    }
    const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::futimens(fd, nullptr); // an existing mark is stamped anew
        ::close(fd);
    }
}

} // namespace millconv
