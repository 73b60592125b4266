// Safe save: write to a temporary file beside the target, rename into place on success.
#include "engine/save.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace millconv {

namespace {

// FreeImage's writers ignore the results of their writes; the sink remembers any failure.
struct SaveSink {
    FILE* file = nullptr;
    bool failed = false;
};

unsigned DLL_CALLCONV ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    return static_cast<unsigned>(std::fread(buffer, size, count, sink->file));
}

unsigned DLL_CALLCONV WriteProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    const size_t written = std::fwrite(buffer, size, count, sink->file);
    if (written != count) {
        sink->failed = true;
    }
    return static_cast<unsigned>(written);
}

int DLL_CALLCONV SeekProc(fi_handle handle, long offset, int origin) {
    auto* sink = static_cast<SaveSink*>(handle);
    const int result = std::fseek(sink->file, offset, origin);
    if (result != 0) {
        sink->failed = true;
    }
    return result;
}

long DLL_CALLCONV TellProc(fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    return std::ftell(sink->file);
}

std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a fresh hidden temporary file in folder; -1 when none can be made. The name only
// needs to be unlikely to exist (O_EXCL settles clashes), so a clock-and-counter mix will do:
// seeding a random device costs more than a small conversion's whole save.
int CreateTemporary(const std::string& folder, std::string& tempPath) {
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
        // 0666 under the umask: the same mode a plainly created output file would get.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

bool SaveBitmapSafely(FIBITMAP* bitmap, FREE_IMAGE_FORMAT formatId, const std::string& path,
                      int flags) {
    if (bitmap == nullptr || formatId < 0 || formatId >= FreeImage_GetFIFCount() || path.empty()) {
        return false;
    }
    // Some writers take any bitmap and write garbage for pixel types they do not know.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    if (!FreeImage_FIFSupportsExportType(formatId, type) ||
        (type == FIT_BITMAP &&
         !FreeImage_FIFSupportsExportBPP(formatId, static_cast<int>(FreeImage_GetBPP(bitmap))))) {
        return false;
    }
    std::string tempPath;
    const int fd = CreateTemporary(FolderPart(path), tempPath);
    if (fd < 0) {
        return false;
    }
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(fd, existing.st_mode & 07777);
    }
    SaveSink sink;
    sink.file = ::fdopen(fd, "wb");
    if (sink.file == nullptr) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return false;
    }
    // glibc ignores a size without a buffer; large writes save system calls on big images.
    // Left uninitialised: a small file only touches the pages it fills.
    constexpr size_t kBufferSize = 1 << 16;
    auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::setvbuf(sink.file, buffer.get(), _IOFBF, kBufferSize);

    FreeImageIO io{};
    io.read_proc = ReadProc;
    io.write_proc = WriteProc;
    io.seek_proc = SeekProc;
    io.tell_proc = TellProc;
    const bool saved = FreeImage_SaveToHandle(formatId, bitmap, &io, &sink, flags) != FALSE;
    const bool streamOk = std::ferror(sink.file) == 0;
    const bool closed = std::fclose(sink.file) == 0;
    if (saved && streamOk && closed && !sink.failed &&
        std::rename(tempPath.c_str(), path.c_str()) == 0) {
        return true;
    }
    ::unlink(tempPath.c_str());
    return false;
}

} // namespace millconv
