// Folder watching over inotify: whole trees, new subfolders included.
#include "platform/folder_watch.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace millconv {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kFolderMask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                                 IN_DONT_FOLLOW | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr uint32_t kFileMask = IN_CLOSE_WRITE | IN_DONT_FOLLOW;

std::string WithSlash(std::string folder) {
    if (!folder.ends_with('/')) {
        folder += '/';
    }
    return folder;
}

} // namespace

FolderWatch::FolderWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool FolderWatch::AddOne(const std::string& path, bool folder, std::string& problem) {
    const int watch = ::inotify_add_watch(fd_, path.c_str(), folder ? kFolderMask : kFileMask);
    if (watch < 0) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    // Adding a folder again (moved within the tree) gives its old descriptor: the new name wins.
    folders_[watch] = folder ? WithSlash(path) : path;
    return true;
}

bool FolderWatch::AddTree(const std::string& path, std::vector<std::string>& problems) {
    std::string problem;
    std::error_code error;
    const bool folder = fs::is_directory(fs::symlink_status(path, error));
    if (!Valid() || !AddOne(path, folder, problem)) {
        problems.push_back(Valid() ? problem : path + ": " + std::strerror(EMFILE));
        return false;
    }
    if (!folder) {
        return true;
    }
    auto walk = fs::recursive_directory_iterator(
        path, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && walk != end; walk.increment(error)) {
        std::error_code typeError;
        if (walk->is_directory(typeError) && !walk->is_symlink(typeError) &&
            !AddOne(walk->path().string(), true, problem)) {
            problems.push_back(problem);
        }
    }
    return true;
}

void FolderWatch::ForgetBelow(const std::string& folder) {
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (it->second.starts_with(folder)) {
            ::inotify_rm_watch(fd_, it->first);
            it = folders_.erase(it);
        } else {
            ++it;
        }
    }
}

void FolderWatch::Translate(const inotify_event& event, std::vector<FolderEvent>& events) {
    using Kind = FolderEvent::Kind;
    if ((event.mask & IN_Q_OVERFLOW) != 0) {
        events.push_back({Kind::Overflow, {}});
        return;
    }
    const auto found = folders_.find(event.wd);
    if (found == folders_.end()) {
        return;
    }
    if ((event.mask & IN_IGNORED) != 0) {
        folders_.erase(found); // the folder was deleted or unmounted
        return;
    }
    const bool namesChild = event.len > 0 && event.name[0] != '\0';
    const std::string path = namesChild ? found->second + event.name : found->second;
    if ((event.mask & IN_ISDIR) == 0) {
        if ((event.mask & IN_CLOSE_WRITE) != 0) {
            events.push_back({Kind::FileWritten, path});
        } else if ((event.mask & IN_MOVED_TO) != 0) {
            events.push_back({Kind::FileMovedIn, path});
        }
    } else if ((event.mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
        events.push_back({Kind::FolderAdded, path});
    } else if ((event.mask & IN_MOVED_FROM) != 0) {
        // Moved out of the tree, or to a new name that arrives as its own event.
        ForgetBelow(WithSlash(path));
        events.push_back({Kind::FolderGone, path});
    }
}

std::vector<FolderEvent> FolderWatch::Wait(int wakeDescriptor, int timeoutMs) {
    std::vector<FolderEvent> events;
    std::array<pollfd, 2> waits{{{fd_, POLLIN, 0}, {wakeDescriptor, POLLIN, 0}}};
    const nfds_t count = wakeDescriptor >= 0 ? 2 : 1;
    if (::poll(waits.data(), count, timeoutMs) <= 0 || (waits[1].revents & POLLIN) != 0) {
        return events; // interrupted or woken: the caller looks at why
    }
    // Read until the queue is empty, so one wake-up takes a whole burst.
    alignas(inotify_event) std::array<char, 64 * 1024> buffer;
    while (true) {
        const ssize_t length = ::read(fd_, buffer.data(), buffer.size());
        if (length <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
            Translate(*event, events);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return events;
}

bool OpenForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    // A read lease is refused exactly while any descriptor holds the file open for writing.
    const bool writing = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    if (!writing) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    }
    ::close(fd);
    return writing;
}

} // namespace millconv
