// The PNG load step: the file mapped once, checked, inflated whole by zlib's rules and written
// straight into the bitmap; files the fast decoder does not reproduce go to FreeImage's loader,
// never with more pixel data than the image holds.
#include "engine/png_reader.h"

#include "engine/checksums.h"
#include "engine/inflate_rules.h"
#include "engine/large_buffer.h"
#include "engine/png_chunks.h"
#include "engine/png_pixels.h"
#include "engine/png_probe.h"
#include "engine/report.h"
#include "engine/row_pipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace millconv {

namespace {

// Room past the image's data: a stored block or a copy that crosses the image's end still fits
// whole, so the image's own bytes are complete when the data goes on beyond the room.
constexpr size_t kInflateRoom = 65536 + 258;
constexpr size_t kStoredBlock = 65535;
constexpr uint32_t kMaxIdatChunk = 1u << 30;

enum class Inflated {
    Failed,   // damaged or short: the loader refuses it or finds what it finds
    Complete, // the data ends within the room after the image
    // More data follows the image's end: the loader would inflate all of it, and fail when it
    // does not end well, so it is given the image's data alone.
    Continues,
};

bool FastPathEnabled() {
    const char* value = std::getenv(kFastPngVariable);
    return value == nullptr || std::strcmp(value, "0") != 0;
}

Bitmap LibraryLoad(const std::string& path) {
    return Bitmap(FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT));
}

// The data of the IDAT run as one stream: the chunk's own bytes when there is one chunk, else
// a copy into joined.
PngBytes JoinIdat(const PngLayout& layout, LargeBuffer& joined) {
    if (layout.idat.size() == 1) {
        return layout.idat.front();
    }
    joined = LargeBuffer(layout.idatBytes);
    if (joined.data() == nullptr) {
        return {};
    }
    size_t at = 0;
    for (const PngBytes& part : layout.idat) {
        std::memcpy(joined.data() + at, part.data(), part.size());
        at += part.size();
    }
    return {joined.data(), at};
}

// Inflates the zlib stream into out (the image's size plus the room), by zlib's rules: a stream
// that only a more lenient inflater takes is the loader's to refuse. The loader's inflater
// keeps to the window the stream header names; a smaller window than 32 KiB is taken only
// when the whole output fits it, so no copy can reach further back than that inflater allows.
Inflated InflateIdat(PngBytes stream, unsigned char* out, uint64_t imageSize, bool& windowKept) {
    if (stream.empty()) {
        return Inflated::Failed;
    }
    const InflateResult result = InflateZlib(stream, out, imageSize + kInflateRoom);
    const unsigned windowBits = (stream[0] >> 4) + 8;
    if (result.end == InflateEnd::Full) {
        windowKept = windowBits == 15;
        return Inflated::Continues;
    }
    if (result.end != InflateEnd::Finished || result.produced < imageSize) {
        return Inflated::Failed;
    }
    windowKept = windowBits == 15 || result.produced <= (size_t(1) << windowBits);
    return Inflated::Complete;
}

// The stream window: the last 32 KiB of output that copies may reach back into, then room for
// the next output, at least two rows.
constexpr size_t kHistory = 32768;
constexpr size_t kWindowStep = 32 * 1024;
// Images with this much pixel data or more are unfiltered by a helper thread, through a queue
// of kPipeQueue. A smaller image would need a queue as short as the few rows its memory can
// spare, and handing rows over a few at a time costs a wake-up on the other processor each:
// measured on a 1024x768 image, more than the helper saves, and several times more on a
// virtual machine whose processors are shared.
constexpr uint64_t kPipedImage = uint64_t(16) << 20;
constexpr size_t kPipeQueue = 8 << 20;
// Compressed data is given back to the system in steps of this much once read.
constexpr size_t kForgetStep = 128 * 1024;

// Whether StreamLoad may take the image: chunks it reproduces exactly, no interlacing.
bool Streamable(const PngLayout& layout) {
    return layout.verdict == PngVerdict::Exact && layout.header.interlace == 0 &&
           !layout.idat.empty();
}

// Builds the bitmap of an image without interlacing while its data is inflated a window at a
// time, straight from the IDAT chunks in the file: memory holds the bitmap, the window and the
// part of the file being read, never the whole compressed or filtered data. Empty whenever the
// whole-buffer decoder might decide otherwise than building it: damage, a bad filter, data
// past the room after the image, or a small window the output outgrows. A large image's rows
// go to a helper thread where one can be had.
Bitmap StreamLoad(const PngFile& file, const PngLayout& layout) {
    // The chunk walk read the compressed data once for its checksums; it comes back a part at
    // a time as it is inflated, and the bitmap is allocated without it. (Not worth a system
    // call for a small file.)
    if (layout.idatBytes >= kForgetStep) {
        file.Forget(layout.idat.front().data(),
                    layout.idat.back().data() + layout.idat.back().size());
    }
    PngRowSink sink(layout);
    const size_t rowLength = sink.RowLength();
    const uint64_t imageSize = layout.header.FilteredSize();
    const uint64_t limit = imageSize + kInflateRoom;
    const size_t windowSize = kHistory + std::max(kWindowStep, 2 * rowLength);
    const std::unique_ptr<unsigned char[]> window(new unsigned char[windowSize]);
    // With a helper, the bitmap is allocated (and the library fills it with zeros) on its side
    // while the first rows are inflated into the queue, which is long enough to cover that.
    std::optional<RowPipe> pipe;
    if (imageSize >= kPipedImage && !pipe.emplace(sink, rowLength, kPipeQueue).Started()) {
        pipe.reset();
    }
    if (!pipe && !sink.Allocate()) {
        return {};
    }
    const auto take = [&](const unsigned char* filtered) {
        return pipe ? pipe->Take(filtered) : sink.Take(filtered);
    };
    ZlibInflater inflater(layout.idat);
    size_t at = 0;  // where the output ends in the window
    size_t row = 0; // where the first row not yet taken starts
    uint32_t rowsLeft = layout.header.height;
    const unsigned char* forgotten = layout.idat.front().data();
    for (;;) {
        if (at == windowSize) {
            const size_t keep = std::max(kHistory, at - row);
            std::memmove(window.get(), window.get() + at - keep, keep);
            row -= at - keep;
            at = keep;
        }
        const size_t step = size_t(std::min<uint64_t>(windowSize - at, limit - inflater.Total()));
        const InflateEnd end =
            inflater.Inflate(window.get(), window.get() + at, window.get() + at + step);
        at += inflater.Written();
        for (; rowsLeft > 0 && at - row >= rowLength; --rowsLeft, row += rowLength) {
            if (!take(window.get() + row)) {
                return {};
            }
        }
        if (rowsLeft == 0) {
            row = at; // what follows the image is only checked
        }
        const unsigned char* read =
            layout.idat[inflater.PieceIndex()].data() + inflater.PieceOffset();
        if (read - forgotten >= ptrdiff_t(kForgetStep)) {
            file.Forget(forgotten, read);
            forgotten = read;
        }
        if (end == InflateEnd::Finished) {
            const unsigned windowBits = inflater.WindowBits();
            const bool windowKept =
                windowBits == 15 || inflater.Total() <= (uint64_t(1) << windowBits);
            const bool taken = !pipe || pipe->Finish();
            return rowsLeft == 0 && windowKept && taken ? sink.Finish() : Bitmap();
        }
        if (end == InflateEnd::Broken || inflater.Total() == limit) {
            return {};
        }
    }
}

void AppendChunk(std::vector<unsigned char>& out, const char* type, const unsigned char* data,
                 size_t size) {
    const auto append32 = [&out](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.push_back(static_cast<unsigned char>(value >> shift));
        }
    };
    append32(uint32_t(size));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    append32(Crc32(0, out.data() + typeAt, size + 4));
}

// The file with its IDAT run replaced by the image's data alone, stored uncompressed: the
// loader sees the same chunks and the same rows, and nothing past them to inflate.
std::vector<unsigned char> BoundedCopy(PngBytes file, const PngLayout& layout,
                                       const unsigned char* image, size_t imageSize) {
    std::vector<unsigned char> stream{0x78, 0x01};
    for (size_t at = 0; at < imageSize || at == 0; at += kStoredBlock) {
        const size_t size = std::min(kStoredBlock, imageSize - at);
        const bool last = at + size >= imageSize;
        stream.push_back(last ? 1 : 0);
        stream.push_back(static_cast<unsigned char>(size));
        stream.push_back(static_cast<unsigned char>(size >> 8));
        stream.push_back(static_cast<unsigned char>(~size));
        stream.push_back(static_cast<unsigned char>(~size >> 8));
        stream.insert(stream.end(), image + at, image + at + size);
        if (last) {
            break;
        }
    }
    const uint32_t adler = Adler32(1, image, imageSize);
    for (int shift = 24; shift >= 0; shift -= 8) {
        stream.push_back(static_cast<unsigned char>(adler >> shift));
    }
    std::vector<unsigned char> out(file.begin(), file.begin() + ptrdiff_t(layout.idatBegin));
    for (size_t at = 0; at < stream.size(); at += kMaxIdatChunk) {
        AppendChunk(out, "IDAT", stream.data() + at,
                    std::min<size_t>(kMaxIdatChunk, stream.size() - at));
    }
    out.insert(out.end(), file.begin() + ptrdiff_t(layout.idatEnd), file.end());
    return out;
}

// The library's loader on a copy of the file whose pixel data ends with the image. The copy is
// made only for a file whose chunks are all sound, so the loader fails where it failed before.
Bitmap BoundedLibraryLoad(PngBytes file, const PngLayout& layout, const unsigned char* image,
                          size_t imageSize) {
    std::vector<unsigned char> copy = BoundedCopy(file, layout, image, imageSize);
    FIMEMORY* memory = FreeImage_OpenMemory(copy.data(), DWORD(copy.size()));
    Bitmap bitmap(FreeImage_LoadFromMemory(FIF_PNG, memory, PNG_DEFAULT));
    FreeImage_CloseMemory(memory);
    return bitmap;
}

Bitmap Load(const std::string& path, PngRoute& route) {
    PngFile file;
    if (!file.Open(path)) {
        // The system's reason ("Permission denied") says more than the library's silence.
        const int error = errno;
        if (error != 0) {
            Report(ReportKind::Problem, "millconv: " + path + ": " + std::strerror(error));
        }
        return LibraryLoad(path);
    }
    if (!PngFitsLimits(file.View(), path)) {
        route = PngRoute::Refused;
        return {};
    }
    if (!FastPathEnabled()) {
        return LibraryLoad(path);
    }
    const PngLayout layout = ReadPngLayout(file.View());
    if (Streamable(layout)) {
        if (Bitmap bitmap = StreamLoad(file, layout)) {
            route = PngRoute::Streamed;
            return bitmap;
        }
    }
    // Interlaced, unusual or damaged: the whole data inflated at once decides.
    LargeBuffer joined;
    const PngBytes stream = JoinIdat(layout, joined);
    const uint64_t imageSize = layout.header.FilteredSize();
    LargeBuffer filtered(stream.empty() ? 0 : imageSize + kInflateRoom);
    if (stream.empty() || filtered.data() == nullptr) {
        return LibraryLoad(path);
    }
    bool windowKept = false;
    const Inflated inflated = InflateIdat(stream, filtered.data(), imageSize, windowKept);
    // The compressed data is done with before the bitmap is made: the two never coexist.
    joined = LargeBuffer();
    if (inflated == Inflated::Failed) {
        return LibraryLoad(path);
    }
    if (layout.verdict == PngVerdict::Exact && windowKept && inflated == Inflated::Complete) {
        file.Release();
        // The bitmap or, on a bad filter byte, the loader's own refusal.
        Bitmap bitmap = BuildPngBitmap(layout, filtered.data());
        if (bitmap) {
            route = PngRoute::Fast;
            return bitmap;
        }
        return LibraryLoad(path);
    }
    if (inflated == Inflated::Continues && layout.sound) {
        route = PngRoute::BoundedLibrary;
        return BoundedLibraryLoad(file.View(), layout, filtered.data(), imageSize);
    }
    return LibraryLoad(path);
}

} // namespace

Bitmap LoadPngQuietly(const std::string& path) {
    PngFile file;
    if (!file.Open(path) || !PngProbeProblem(file.View()).empty() || !FastPathEnabled()) {
        return {};
    }
    const PngLayout layout = ReadPngLayout(file.View());
    if (!Streamable(layout)) {
        return {};
    }
    return StreamLoad(file, layout);
}

Bitmap LoadPng(const std::string& path, PngRoute* route) {
    PngRoute taken = PngRoute::Library;
    Bitmap bitmap = Load(path, taken);
    if (route != nullptr) {
        *route = taken;
    }
    return bitmap;
}

} // namespace millconv
