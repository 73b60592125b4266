// Single-instance guard on flock: the kernel releases the lock when its holder dies.
#include "platform/instance_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace millconv {

namespace {

// How many names the lock may take when something else stands at the first ones.
constexpr int kLockNames = 4;

} // namespace

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::LockPath(const std::string& title) {
    const std::string folder = PrivateRuntimeFolder();
    return folder.empty() ? std::string() : folder + title + ".lock";
}

bool InstanceLock::Unavailable(std::string problem) {
    problem_ = std::move(problem);
    return false;
}

bool InstanceLock::Acquire(const std::string& title) {
    Release();
    problem_.clear();
    const std::string first = LockPath(title);
    if (first.empty()) {
        return Unavailable("no private folder of this user for the lock");
    }
    // Something that is no lock of ours may stand at the name (a folder, another user's file);
    // every start meets the same obstacles, so all of them settle on the same next name.
    std::string problem;
    for (int candidate = 0; candidate < kLockNames; ++candidate) {
        const std::string path =
            candidate == 0 ? first
                           : first.substr(0, first.size() - 5) + "." + std::to_string(candidate) +
                                 ".lock";
        // Never follow a link; a folder or a pipe of that name is no lock either.
        const int fd =
            open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd < 0) {
            problem = path + ": " + std::strerror(errno);
            continue;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
            close(fd);
            problem = path + ": not a lock file of this user";
            continue;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            return error == EWOULDBLOCK ? false : Unavailable(path + ": " + std::strerror(error));
        }
        fd_ = fd;
        return true;
    }
    return Unavailable(problem);
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        close(fd_); // closing the only descriptor drops the lock
        fd_ = -1;
    }
}

} // namespace millconv
