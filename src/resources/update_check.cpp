// Fetches the update information file over a plain HTTP/1.0 connection (POSIX sockets).
#include "resources/update_check.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace millconv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kBlankLine = "\r\n\r\n";
constexpr std::string_view kBlanks = " \t\r\n\v\f";

// Closes the socket on every way out.
class SocketHolder {
  public:
    explicit SocketHolder(int fd) : fd_(fd) {}
    SocketHolder(const SocketHolder&) = delete;
    SocketHolder& operator=(const SocketHolder&) = delete;
    ~SocketHolder() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    // Gives the socket to the caller, who closes it from now on.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

// Milliseconds left until deadline, at most one poll delay, never negative.
int PollSlice(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
        return 0;
    }
    return static_cast<int>(std::min(left, kUpdatePollDelay).count());
}

// The one deadline of a check and the caller's cancel request, looked at between polls.
struct CheckLimits {
    Clock::time_point deadline;
    const std::atomic<bool>* cancel = nullptr;

    bool Over() const { return Clock::now() >= deadline || (cancel != nullptr && cancel->load()); }
};

// Waits for events on fd until the limits end, polling every kUpdatePollDelay; false on
// timeout, a cancel or a poll failure.
bool WaitFor(int fd, short events, const CheckLimits& limits, short& revents) {
    while (!limits.Over()) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, PollSlice(limits.deadline));
        if (ready > 0) {
            revents = entry.revents;
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

// A non-blocking connection to one address, finished within the limits; -1 on failure.
int ConnectOne(const addrinfo& address, const CheckLimits& limits) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
    if (fd < 0) {
        return -1;
    }
    SocketHolder holder(fd);
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            return -1;
        }
        short revents = 0;
        if (!WaitFor(fd, POLLOUT, limits, revents)) {
            return -1;
        }
        int error = 0;
        socklen_t length = sizeof(error);
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return -1;
        }
    }
    return holder.Release();
}

// A name lookup on a thread of its own, so that the check can stop waiting for it: the
// system's resolver has its own time-outs and cannot be interrupted. An abandoned lookup
// finishes in the background and frees what it found.
class Lookup {
  public:
    ~Lookup() {
        if (found_ != nullptr) {
            freeaddrinfo(found_);
        }
    }

    // Starts looking up host and port; nothing when no thread can be made.
    static std::shared_ptr<Lookup> Start(const std::string& host, const std::string& port) {
        auto lookup = std::make_shared<Lookup>();
        try {
            std::thread([lookup, host, port] { lookup->Resolve(host, port); }).detach();
        } catch (const std::system_error&) {
            return nullptr;
        }
        return lookup;
    }

    // The addresses found, or nullptr when the lookup failed or the limits ended first.
    const addrinfo* Wait(const CheckLimits& limits) {
        std::unique_lock lock(mutex_);
        while (!finished_ && !limits.Over()) {
            done_.wait_until(lock, std::min(limits.deadline, Clock::now() + kUpdatePollDelay));
        }
        return finished_ ? found_ : nullptr;
    }

  private:
    void Resolve(const std::string& host, const std::string& port) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
            found = nullptr;
        }
        std::lock_guard lock(mutex_);
        found_ = found;
        finished_ = true;
        done_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    addrinfo* found_ = nullptr;
};

// Tries every address of host:port in turn, lookup included, within the limits; -1 when none
// connects.
int OpenConnection(const UpdateUrl& url, const CheckLimits& limits) {
    std::string host = url.host;
    // A bracketed IPv6 literal is written with brackets in the URL and the Host line only.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::shared_ptr<Lookup> lookup = Lookup::Start(host, std::to_string(url.port));
    const addrinfo* list = lookup != nullptr ? lookup->Wait(limits) : nullptr;
    for (const addrinfo* address = list; address != nullptr; address = address->ai_next) {
        const int fd = ConnectOne(*address, limits);
        if (fd >= 0) {
            return fd;
        }
    }
    return -1;
}

// Sends the whole request; false when the peer goes away or the limits end first.
bool SendAll(int fd, std::string_view request, const CheckLimits& limits) {
    while (!request.empty()) {
        const ssize_t sent = send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            request.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        short revents = 0;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitFor(fd, POLLOUT, limits, revents)) {
            continue;
        }
        return false;
    }
    return true;
}

// Reads until the server closes the connection. Nothing is returned from a cut-off read: a
// deadline, a receive error or a response over kUpdateResponseLimit give nothing.
std::optional<std::string> ReceiveAll(int fd, const CheckLimits& limits) {
    std::string response;
    char piece[2048];
    while (true) {
        short revents = 0;
        if (!WaitFor(fd, POLLIN, limits, revents)) {
            return std::nullopt;
        }
        const ssize_t received = recv(fd, piece, sizeof(piece), 0);
        if (received == 0) {
            return response;
        }
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            return std::nullopt;
        }
        if (response.size() + static_cast<size_t>(received) > kUpdateResponseLimit) {
            return std::nullopt;
        }
        response.append(piece, static_cast<size_t>(received));
    }
}

} // namespace

std::optional<UpdateUrl> SplitUpdateUrl(std::string_view url) {
    if (const size_t scheme = url.find("://"); scheme != std::string_view::npos) {
        url.remove_prefix(scheme + 3);
    }
    const size_t slash = url.find('/');
    std::string_view site = url.substr(0, slash);
    UpdateUrl result;
    result.path = "/";
    if (slash != std::string_view::npos) {
        result.path += url.substr(slash + 1);
    }
    // The port follows the last colon, unless that colon is inside an IPv6 literal.
    const size_t colon = site.rfind(':');
    const size_t bracket = site.rfind(']');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        const std::string_view digits = site.substr(colon + 1);
        site = site.substr(0, colon);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        const int port = std::atoi(std::string(digits).c_str());
        if (port < 1 || port > 65535) {
            return std::nullopt;
        }
        result.port = static_cast<uint16_t>(port);
    }
    if (site.empty()) {
        return std::nullopt;
    }
    result.host = site;
    return result;
}

std::string BuildUpdateRequest(const UpdateUrl& url, std::string_view userAgent) {
    std::string request = "GET " + url.path + " HTTP/1.0\r\n";
    request += "Host: " + url.host + "\r\n";
    request += "Accept: */*\r\n";
    request += "User-Agent: ";
    request += userAgent.empty() ? kFallbackUserAgent : userAgent;
    request += "\r\n";
    request += "Connection: close\r\n\r\n";
    return request;
}

std::string UpdateInfoFromResponse(std::string_view response) {
    response = response.substr(0, response.find('\0'));
    const size_t first = response.find(kBlankLine);
    if (first == std::string_view::npos) {
        return {};
    }
    std::string_view body = response.substr(first + kBlankLine.size());
    body = body.substr(0, body.find(kBlankLine));
    const size_t start = body.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        return {};
    }
    body = body.substr(start, body.find_last_not_of(kBlanks) - start + 1);
    return std::string(body.substr(0, 3));
}

std::string FetchUpdateInfo(const std::string& url, const std::string& userAgent,
                            std::chrono::milliseconds waitLimit, const std::atomic<bool>* cancel) {
    const std::optional<UpdateUrl> parts = SplitUpdateUrl(url);
    if (!parts) {
        return {};
    }
    // One deadline for the lookup, the connection, the request and the response.
    const CheckLimits limits{Clock::now() + waitLimit, cancel};
    const int fd = OpenConnection(*parts, limits);
    if (fd < 0) {
        return {};
    }
    SocketHolder connection(fd);
    if (!SendAll(fd, BuildUpdateRequest(*parts, userAgent), limits)) {
        return {};
    }
    const std::optional<std::string> response = ReceiveAll(fd, limits);
    return response ? UpdateInfoFromResponse(*response) : std::string();
}

std::string UpdateInfoUrl() {
    const char* variable = std::getenv(kUpdateUrlVariable);
    if (variable != nullptr && *variable != '\0') {
        return variable;
    }
    return std::string(kDefaultUpdateInfoUrl);
}

int32_t VersionFromUpdateInfo(std::string_view text) {
    int32_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        // The text is at most three characters in practice; stop before any overflow anyway.
        if (number > 100000000) {
            break;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

std::optional<int32_t> UpdateIntervalDays(int32_t updateRange) {
    switch (updateRange) {
    case 0:
        return 1;
    case 1:
        return 7;
    case 2:
        return 30;
    case 3:
        return 90;
    case 4:
        return 180;
    case kUpdateRangeNever:
        return std::nullopt;
    default:
        return 30;
    }
}

bool UpdateCheckDue(int32_t updateRange, int64_t updateDate, int64_t now) {
    const std::optional<int32_t> days = UpdateIntervalDays(updateRange);
    if (!days) {
        return false;
    }
    constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
    return now > updateDate + *days * kSecondsPerDay;
}

} // namespace millconv
