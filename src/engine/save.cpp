// Safe save: FreeImage's writer on an all-or-nothing file.
#include "engine/save.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/report.h"
#include "platform/atomic_file.h"

namespace millconv {

namespace {

// FreeImage's writers ignore the results of their writes; the sink remembers any failure.
struct SaveSink {
    FILE* file = nullptr;
    bool failed = false;
    int error = 0; // the system's reason of the first failed write
    void Fail() {
        if (!failed) {
            error = errno;
        }
        failed = true;
    }
};

unsigned DLL_CALLCONV ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    return static_cast<unsigned>(std::fread(buffer, size, count, sink->file));
}

unsigned DLL_CALLCONV WriteProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    const size_t written = std::fwrite(buffer, size, count, sink->file);
    if (written != count) {
        sink->Fail();
    }
    return static_cast<unsigned>(written);
}

int DLL_CALLCONV SeekProc(fi_handle handle, long offset, int origin) {
    auto* sink = static_cast<SaveSink*>(handle);
    const int result = std::fseek(sink->file, offset, origin);
    if (result != 0) {
        sink->Fail();
    }
    return result;
}

long DLL_CALLCONV TellProc(fi_handle handle) {
    auto* sink = static_cast<SaveSink*>(handle);
    return std::ftell(sink->file);
}

// Tells the run why a save failed, when the system said why; always false.
bool SaveFailed(const std::string& path, int error) {
    if (error != 0) {
        Report(ReportKind::Problem, "millconv: " + path + ": " + std::strerror(error));
    }
    return false;
}

} // namespace

bool SaveBitmapSafely(FIBITMAP* bitmap, FREE_IMAGE_FORMAT formatId, const std::string& path,
                      int flags, const std::function<bool(std::FILE*)>& finish) {
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
    // A large buffer saves system calls on big images (glibc ignores a size without a buffer).
    // A small image keeps the stream's own page-sized one: every page the copy through a larger
    // buffer touches costs more than the few writes it saves. Left uninitialised, and made
    // first so that it outlives the stream.
    constexpr size_t kBufferSize = 1 << 16;
    const uint64_t pixelBytes =
        uint64_t(FreeImage_GetPitch(bitmap)) * uint64_t(FreeImage_GetHeight(bitmap));
    std::unique_ptr<char[]> buffer;
    if (pixelBytes > kBufferSize) {
        buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    }
    // No sync: the input is never touched, so a crash at worst costs a conversion that can be
    // run again, while a sync per file costs more than a small conversion itself.
    AtomicFileWriter file(path, {.syncBeforeRename = false});
    if (!file.IsOpen()) {
        return SaveFailed(path, file.Error());
    }
    SaveSink sink;
    sink.file = file.Stream();
    if (buffer) {
        std::setvbuf(sink.file, buffer.get(), _IOFBF, kBufferSize);
    }

    FreeImageIO io{};
    io.read_proc = ReadProc;
    io.write_proc = WriteProc;
    io.seek_proc = SeekProc;
    io.tell_proc = TellProc;
    if (FreeImage_SaveToHandle(formatId, bitmap, &io, &sink, flags) == FALSE || sink.failed ||
        (finish && !finish(sink.file))) {
        file.MarkFailed(sink.error);
    }
    return file.Commit() || SaveFailed(path, file.Error());
}

} // namespace millconv
