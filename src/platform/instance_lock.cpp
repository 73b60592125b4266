// Single-instance guard on flock: the kernel releases the lock when its holder dies.
#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {

namespace {

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && runtime[0] != '\0' ? runtime : "";
}

std::string FallbackFolder() {
    const char* temp = std::getenv("TMPDIR");
    std::string base = temp != nullptr && temp[0] == '/' ? temp : "/tmp";
    if (base.back() != '/') {
        base += '/';
    }
    return base + "millconv-" + std::to_string(getuid());
}

// The fallback folder lies in a folder everyone writes to: it is made private, and used
// only when it is a real folder of ours that nobody else may enter.
bool PrivateFolderReady(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

} // namespace

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::LockPath(const std::string& title) {
    std::string folder = RuntimeFolder();
    if (folder.empty()) {
        folder = FallbackFolder();
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder + title + ".lock";
}

bool InstanceLock::Acquire(const std::string& title) {
    Release();
    if (RuntimeFolder().empty() && !PrivateFolderReady(FallbackFolder())) {
        return true;
    }
    // Never follow a planted link; a folder or a pipe of that name is no lock either.
    const int fd =
        open(LockPath(title).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        return true;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
        close(fd);
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        close(fd_); // closing the only descriptor drops the lock
        fd_ = -1;
    }
}

} // namespace millconv
