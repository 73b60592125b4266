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

    // Takes the lock named after title; false when another process of this user holds it, or
    // when no lock can be taken at all (Problem() then says why). The lock never fails open:
    // a run that cannot tell whether another one is running does not start.
    bool Acquire(const std::string& title);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Why the last Acquire could take no lock; empty when it took it or another holder has it.
    const std::string& Problem() const { return problem_; }

    // Path of the lock file for a title in the private runtime folder (see
    // PrivateRuntimeFolder); empty when there is none.
    static std::string LockPath(const std::string& title);

private:
    bool Unavailable(std::string problem);

    int fd_ = -1;
    std::string problem_;
};

} // namespace millconv
