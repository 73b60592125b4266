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

    // Takes the lock named after title; false when another process holds it.
    bool Acquire(const std::string& title);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Path of the lock file for a title ($XDG_RUNTIME_DIR, else /tmp with the user id).
    static std::string LockPath(const std::string& title);

private:
    int fd_ = -1;
};

} // namespace millconv
