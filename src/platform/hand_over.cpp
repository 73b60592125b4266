// The sending side of the hand-over: a plain local stream socket with one deadline.
#include "platform/hand_over.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace millconv {

namespace {

using Clock = std::chrono::steady_clock;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

// Waits for events on fd until the deadline; false when the time ran out or the wait failed.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return (entry.revents & events) != 0 || (entry.revents & POLLHUP) != 0;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

bool Connect(int fd, const std::string& socketPath, Clock::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    // A full listen queue makes a non-blocking local connect fail with EAGAIN at once: try
    // again now and then until the deadline, rather than block without one.
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if ((errno != EAGAIN && errno != EINTR) || Clock::now() >= deadline) {
            return false;
        }
        ::poll(nullptr, 0, 20);
    }
    return true;
}

} // namespace

std::string HandOverSocketPath(const std::string& title) {
    const std::string folder = PrivateRuntimeFolder();
    return folder.empty() ? std::string() : folder + title + ".socket";
}

bool HandOverFile(const std::string& socketPath, const std::string& path,
                  std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.Get() < 0 || socketPath.empty() || !Connect(socket.Get(), socketPath, deadline)) {
        return false;
    }
    const std::string message = path + '\0';
    size_t sent = 0;
    while (sent < message.size()) {
        if (!WaitFor(socket.Get(), POLLOUT, deadline)) {
            return false;
        }
        const ssize_t count =
            ::send(socket.Get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        sent += count > 0 ? static_cast<size_t>(count) : 0;
    }
    char answer = 0;
    while (WaitFor(socket.Get(), POLLIN, deadline)) {
        const ssize_t count = ::recv(socket.Get(), &answer, 1, 0);
        if (count == 1) {
            return answer == kHandOverTaken;
        }
        if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            return false;
        }
    }
    return false;
}

} // namespace millconv
