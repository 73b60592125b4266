// All-or-nothing file replacement through a temporary file and a rename.
#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>

#include <dirent.h>
#include <signal.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/sweep_marks.h"

namespace millconv {

namespace {

std::string ResolvedTarget(const std::string& path, bool followLinks) {
    if (followLinks) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
    }
    return path;
}

constexpr std::string_view kTemporaryPrefix = ".millconv-";
constexpr std::string_view kTemporarySuffix = ".tmp";

// The writer's process id in a temporary name ".millconv-<pid>-<hex>.tmp"; 0 for other names.
pid_t TemporaryOwner(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) {
        return 0;
    }
    name.remove_prefix(kTemporaryPrefix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) {
        return 0;
    }
    pid_t pid = 0;
    for (const char c : name.substr(0, dash)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Removes the temporary files of this user in folder whose writer has died (a kill or a crash
// during a save); each folder is looked at once per process, and not at all when a run of this
// user looked through it a moment ago. A live process with the recorded id keeps its file,
// even when the id was reused: better one leftover than a lost save.
void RemoveStaleOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard lock(mutex);
        if (!cleaned.insert(folder).second) {
            return;
        }
    }
    const std::string mark = SweepMarkPath(folder);
    if (SweptRecently(mark, std::time(nullptr))) {
        return;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 ||
        StaleSweepDue(static_cast<uint64_t>(info.st_size), ::getpid())) {
        size_t listed = 0;
        RemoveStaleTemporaries(folder, &listed);
        if (listed >= kMarkedListing) {
            MarkSwept(mark);
        }
    }
}

// Creates a fresh hidden temporary file in folder; -1 when none can be made. The name carries
// the process id, so a later run can tell a leftover from a save in progress; the rest only
// needs to be unlikely to exist (O_EXCL settles clashes), so a clock-and-counter mix will do:
// seeding a random device costs more than a small conversion's whole save.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& tempPath) {
    RemoveStaleOnce(folder);
    static std::atomic<uint64_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        uint64_t mix = static_cast<uint64_t>(now.tv_nsec) ^
                       (static_cast<uint64_t>(::getpid()) << 32) ^
                       (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        mix ^= mix >> 29;
        char name[64];
        std::snprintf(name, sizeof name, ".millconv-%ld-%012llx.tmp", static_cast<long>(::getpid()),
                      static_cast<unsigned long long>(mix & 0xFFFFFFFFFFFFull));
        tempPath = folder + name;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

bool StaleSweepDue(uint64_t listingBytes, pid_t pid) {
    const uint64_t share = listingBytes / kAlwaysSweptListing;
    return share <= 1 || static_cast<uint64_t>(pid) % share == 0;
}

int RemoveStaleTemporaries(const std::string& folder, size_t* listed) {
    const int listing = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return 0;
    }
    // Read straight into a page on the stack: opendir's 32 KiB heap buffer, first touched here,
    // costs a small conversion more than reading a folder of a few hundred names.
    alignas(dirent64) char names[4096];
    const pid_t self = ::getpid();
    int removed = 0;
    ssize_t length = 0;
    while ((length = ::getdents64(listing, names, sizeof names)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(names + at);
            at += entry->d_reclen;
            if (listed != nullptr) {
                ++*listed;
            }
            const pid_t owner = TemporaryOwner(entry->d_name);
            if (owner <= 0 || owner == self) {
                continue;
            }
            struct stat info {};
            if (::fstatat(listing, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
                continue;
            }
            if (::kill(owner, 0) != 0 && errno == ESRCH &&
                ::unlinkat(listing, entry->d_name, 0) == 0) {
                ++removed;
            }
        }
    }
    ::close(listing);
    return removed;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, AtomicFileOptions options)
    : target_(ResolvedTarget(path, options.replaceLinkTarget)), sync_(options.syncBeforeRename) {
    const size_t slash = target_.rfind('/');
    if (target_.empty() || slash + 1 == target_.size()) {
        return;
    }
    const int fd = CreateTemporary(FolderOf(target_), options.newFileMode, temporary_);
    if (fd < 0) {
        Fail(errno);
        return;
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(fd, existing.st_mode & 07777) != 0) {
        Fail(errno);
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        Fail(errno);
        ::close(fd);
        ::unlink(temporary_.c_str());
    }
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
        ::unlink(temporary_.c_str());
    }
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    if (stream_ == nullptr ||
        std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
        Fail(errno);
    }
    return !failed_;
}

bool AtomicFileWriter::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    // Each step keeps the system's reason of the first failure ("No space left on device").
    const auto step = [this](bool done) {
        if (!done) {
            Fail(errno);
        }
        return done;
    };
    bool ok = !failed_ && step(std::fflush(stream_) == 0) && step(std::ferror(stream_) == 0);
    ok = ok && (!sync_ || step(::fsync(::fileno(stream_)) == 0));
    ok = step(std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
    if (ok && step(::rename(temporary_.c_str(), target_.c_str()) == 0)) {
        return true;
    }
    ::unlink(temporary_.c_str());
    return false;
}

} // namespace millconv
