// All-or-nothing file replacement through a temporary file and a rename.
#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

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

// Creates a fresh hidden temporary file in folder; -1 when none can be made. The name only
// needs to be unlikely to exist (O_EXCL settles clashes), so a clock-and-counter mix will do:
// seeding a random device costs more than a small conversion's whole save.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& tempPath) {
    static std::atomic<uint64_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        uint64_t mix = static_cast<uint64_t>(now.tv_nsec) ^
                       (static_cast<uint64_t>(::getpid()) << 32) ^
                       (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        mix ^= mix >> 29;
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "%012llx",
                      static_cast<unsigned long long>(mix & 0xFFFFFFFFFFFFull));
        tempPath = folder + ".millconv-" + suffix + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path, AtomicFileOptions options)
    : target_(ResolvedTarget(path, options.replaceLinkTarget)), sync_(options.syncBeforeRename) {
    const size_t slash = target_.rfind('/');
    if (target_.empty() || slash + 1 == target_.size()) {
        return;
    }
    const int fd = CreateTemporary(FolderOf(target_), options.newFileMode, temporary_);
    if (fd < 0) {
        return;
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(fd, existing.st_mode & 07777) != 0) {
        failed_ = true;
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
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
        failed_ = true;
    }
    return !failed_;
}

bool AtomicFileWriter::Commit() {
    if (stream_ == nullptr) {
        return false;
    }
    bool ok = !failed_ && std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    ok = ok && (!sync_ || ::fsync(::fileno(stream_)) == 0);
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (ok && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary_.c_str());
    return false;
}

} // namespace millconv
