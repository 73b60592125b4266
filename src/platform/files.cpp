// File-system services on POSIX: sizes, folders, modification times and date values.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace millconv {

std::string ProgramFolder() {
    char buffer[PATH_MAX];
    // The absolute path the program was started by, its links resolved, names the same file as
    // /proc/self/exe for a few path look-ups; the first read of /proc/self/exe costs tens of
    // microseconds more, as the kernel makes the process's /proc entries for it.
    const auto* started = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
    if (started != nullptr && started[0] == '/' && realpath(started, buffer) != nullptr) {
        return FolderOf(std::string_view(buffer));
    }
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return "./";
    }
    return FolderOf(std::string_view(buffer, static_cast<size_t>(length)));
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof(buffer)) == nullptr) {
        return {};
    }
    std::string folder = buffer;
    if (!folder.ends_with('/')) {
        folder += '/';
    }
    return folder;
}

std::string AbsoluteFolder(std::string_view folder) {
    std::string result;
    if (!folder.starts_with('/')) {
        while (folder.starts_with("./")) {
            folder.remove_prefix(2);
        }
        if (folder == ".") {
            folder = {};
        }
        // Without a nameable current folder the path stays relative, and the system resolves
        // it (or refuses it) the same way.
        result = CurrentFolder();
    }
    result += folder;
    if (!result.empty() && !result.ends_with('/')) {
        result += '/';
    }
    return result;
}

int64_t FileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        return -1;
    }
    if (S_ISDIR(info.st_mode)) {
        return -2;
    }
    return static_cast<int64_t>(info.st_size);
}

bool FolderExists(const std::string& path) { return FileSize(path) == -2; }

std::string FileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return {};
    }
    return std::strerror(errno);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (mkdir(path.c_str(), 0777) == 0) {
        return true;
    }
    return errno == EEXIST && FolderExists(path);
}

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::optional<int64_t> FileDate(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return DateValueFromEpoch(static_cast<int64_t>(info.st_mtim.tv_sec));
}

bool SetFileDate(const std::string& path, int64_t dateValue) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // leave the access time alone
    times[1].tv_sec = static_cast<time_t>(EpochFromDateValue(dateValue));
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

int64_t DateValueNow() { return DateValueFromEpoch(static_cast<int64_t>(time(nullptr))); }

int64_t DateValueFromEpoch(int64_t epochSeconds) {
    // The local wall-clock fields of that instant, counted as if they were UTC.
    time_t instant = static_cast<time_t>(epochSeconds);
    struct tm local {};
    if (localtime_r(&instant, &local) == nullptr) {
        return epochSeconds;
    }
    return static_cast<int64_t>(timegm(&local));
}

int64_t EpochFromDateValue(int64_t dateValue) {
    // Read the wall-clock fields back as local time; the C library settles the DST offset.
    time_t wall = static_cast<time_t>(dateValue);
    struct tm fields {};
    if (gmtime_r(&wall, &fields) == nullptr) {
        return dateValue;
    }
    fields.tm_isdst = -1;
    time_t epoch = mktime(&fields);
    return epoch == static_cast<time_t>(-1) ? dateValue : static_cast<int64_t>(epoch);
}

std::string FolderOf(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, slash + 1));
}

} // namespace millconv
