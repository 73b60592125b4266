// The PNG load step: the file mapped once, checked, inflated whole by zlib's rules and written
// straight into the bitmap; files the fast decoder does not reproduce go to FreeImage's loader,
// never with more pixel data than the image holds.
#include "engine/png_reader.h"

#include "engine/inflate_rules.h"
#include "engine/large_buffer.h"
#include "engine/png_chunks.h"
#include "engine/png_pixels.h"
#include "engine/png_probe.h"
#include "engine/report.h"

#include <libdeflate.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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
    append32(libdeflate_crc32(0, out.data() + typeAt, size + 4));
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
    const uint32_t adler = libdeflate_adler32(1, image, imageSize);
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

Bitmap LoadPng(const std::string& path, PngRoute* route) {
    PngRoute taken = PngRoute::Library;
    Bitmap bitmap = Load(path, taken);
    if (route != nullptr) {
        *route = taken;
    }
    return bitmap;
}

} // namespace millconv
