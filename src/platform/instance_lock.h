// Single-instance guard: an advisory lock on a file named after the application title.
#pragma once

#include <string>

namespace millconv {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock named after title; false only when another process of this user holds
    // it. A lock file that is not ours or not a regular file, or a lock folder that is not
    // private to us, proves no running instance: the call then succeeds without holding
    // anything.
    bool Acquire(const std::string& title);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Path of the lock file for a title: in $XDG_RUNTIME_DIR, else in the private folder
    // millconv-<user id> below $TMPDIR (an absolute one) or /tmp.
    static std::string LockPath(const std::string& title);

private:
    int fd_ = -1;
};

} // namespace millconv
