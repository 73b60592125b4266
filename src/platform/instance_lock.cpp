// Single-instance guard on flock: the kernel releases the lock when its holder dies.
#include "platform/instance_lock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace millconv {

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::LockPath(const std::string& title) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        std::string folder = runtime;
        if (folder.back() != '/') {
            folder += '/';
        }
        return folder + title + ".lock";
    }
    return "/tmp/" + title + "-" + std::to_string(getuid()) + ".lock";
}

bool InstanceLock::Acquire(const std::string& title) {
    Release();
    // The fallback folder /tmp is shared: never follow a link someone else planted there.
    int fd = open(LockPath(title).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
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
