// A PNG held in memory, walked chunk by chunk: the facts its decoders need.
#include "engine/png_chunks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/checksums.h"

namespace millconv {

namespace {

constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF; // lengths are 31-bit in PNG
// The library's loader refuses any chunk but IDAT over this many bytes.
constexpr uint32_t kMaxOtherChunk = 8000000;
// Gamma values whose correction against the loader's 2.2 display gamma stays below its 5 %
// threshold, so the loader leaves the samples alone (the sRGB value 45455 is among them).
constexpr uint32_t kPlainGammaLow = 44000;
constexpr uint32_t kPlainGammaHigh = 47000;

enum ColorType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgbAlpha = 6 };

unsigned Channels(uint8_t colorType) {
    switch (colorType) {
    case kRgb:
        return 3;
    case kGreyAlpha:
        return 2;
    case kRgbAlpha:
        return 4;
    default:
        return 1;
    }
}

bool TypeLettersValid(std::string_view type) {
    return std::all_of(type.begin(), type.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// The largest IDAT chunk the library's loader takes for this header: the raw image with
// generous deflate overhead; a longer one stops it with "chunk data is too large".
uint64_t IdatChunkLimit(const PngHeader& header) {
    uint64_t rowFactor =
        uint64_t(header.width) * Channels(header.colorType) * (header.bitDepth > 8 ? 2 : 1) + 1 +
        (header.interlace != 0 ? 6 : 0);
    if (header.height > 0xFFFFFFFFull / rowFactor) {
        return kMaxChunkLength;
    }
    uint64_t limit = header.height * rowFactor;
    rowFactor = std::min<uint64_t>(rowFactor, 32566);
    limit += 6 + 5 * (limit / rowFactor + 1);
    return std::min<uint64_t>(limit, kMaxChunkLength);
}

// Samples above the bit depth: the loader warns and compares them in ways of its own.
bool SampleFits(uint16_t sample, const PngHeader& header) {
    return header.bitDepth == 16 || sample < (1u << header.bitDepth);
}

// Reads one ancillary or palette chunk before the pixel data into layout; false when the
// library's loader would ignore, reject or treat it in a way the fast decoder does not copy.
bool ReadMetadataChunk(const PngChunk& chunk, PngLayout& layout, unsigned& seen) {
    const PngHeader& header = layout.header;
    const PngBytes data = chunk.data;
    const auto once = [&seen](unsigned bit) {
        const bool first = (seen & bit) == 0;
        seen |= bit;
        return first;
    };
    if (chunk.type == "PLTE") {
        const size_t entries = data.size() / 3;
        const size_t most = header.colorType == kPalette ? (1u << header.bitDepth) : 256;
        // A palette after tRNS or bKGD is out of order: the loader then reads those its way.
        const bool afterTransparencyOrBackground = (seen & (2 | 4)) != 0;
        if (!once(1) || afterTransparencyOrBackground || data.size() % 3 != 0 || entries == 0 ||
            entries > most ||
            (header.colorType != kPalette && header.colorType != kRgb &&
             header.colorType != kRgbAlpha)) {
            return false;
        }
        if (header.colorType == kPalette) {
            layout.paletteSize = unsigned(entries);
            std::memcpy(layout.palette.data(), data.data(), data.size());
        }
        return true;
    }
    if (chunk.type == "tRNS") {
        if (!once(2)) {
            return false;
        }
        if (header.colorType == kPalette) {
            if (layout.paletteSize == 0 || data.empty() || data.size() > layout.paletteSize) {
                return false;
            }
            layout.alphaCount = unsigned(data.size());
            std::memcpy(layout.alphas.data(), data.data(), data.size());
            return true;
        }
        const size_t samples = header.colorType == kGrey ? 1 : header.colorType == kRgb ? 3 : 0;
        if (samples == 0 || data.size() != samples * 2) {
            return false;
        }
        for (size_t i = 0; i < 3; ++i) {
            layout.transparentSample[i] = PngUint16(data.data() + 2 * std::min(i, samples - 1));
            if (!SampleFits(layout.transparentSample[i], header)) {
                return false;
            }
        }
        layout.hasTransparentSample = true;
        return true;
    }
    if (chunk.type == "bKGD") {
        if (!once(4)) {
            return false;
        }
        if (header.colorType == kPalette) {
            if (data.size() != 1 || data[0] >= layout.paletteSize) {
                return false;
            }
            for (size_t i = 0; i < 3; ++i) {
                layout.background[i] = layout.palette[data[0] * 3 + i];
            }
        } else {
            const size_t samples = (header.colorType & 2) != 0 ? 3 : 1;
            if (data.size() != samples * 2) {
                return false;
            }
            for (size_t i = 0; i < 3; ++i) {
                layout.background[i] = PngUint16(data.data() + 2 * std::min(i, samples - 1));
                if (!SampleFits(layout.background[i], header)) {
                    return false;
                }
            }
        }
        layout.hasBackground = true;
        return true;
    }
    if (chunk.type == "gAMA") {
        const uint32_t gamma = data.size() == 4 ? PngUint32(data.data()) : 0;
        return once(8) && gamma >= kPlainGammaLow && gamma <= kPlainGammaHigh;
    }
    if (chunk.type == "sRGB") {
        return once(16) && data.size() == 1 && data[0] <= 3;
    }
    if (chunk.type == "pHYs") {
        if (!once(32) || data.size() != 9) {
            return false;
        }
        layout.hasMetricDensity = data[8] == 1;
        layout.dotsPerMeter = {PngUint32(data.data()), PngUint32(data.data() + 4)};
        return true;
    }
    // Text, time, chromaticities, profiles and private chunks leave the pixels alone; a
    // critical chunk the loader does not know stops it.
    return !chunk.Critical();
}

} // namespace

bool PngFile::Open(const std::string& path) {
    Release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    errno = 0;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && info.st_size > 0) {
        void* mapping = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ok = mapping != MAP_FAILED;
        if (ok) {
            mapping_ = mapping;
            data_ = static_cast<const unsigned char*>(mapping);
            size_ = size_t(info.st_size);
        }
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

void PngFile::Forget(const unsigned char* from, const unsigned char* to) const {
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const uintptr_t first = (uintptr_t(from) + page - 1) & ~(page - 1);
    const uintptr_t last = uintptr_t(to) & ~(page - 1);
    if (mapping_ != nullptr && first < last) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    }
}

void PngFile::Release() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, size_);
    }
    data_ = nullptr;
    size_ = 0;
    mapping_ = nullptr;
}

uint32_t PngUint32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

uint16_t PngUint16(const unsigned char* bytes) { return uint16_t(bytes[0] << 8 | bytes[1]); }

bool PngChunk::CrcMatches() const {
    // The CRC covers the type letters and the data, which follow each other in the file.
    const unsigned char* start = data.data() - 4;
    const uint32_t crc = Crc32(0, start, data.size() + 4);
    return crc == PngUint32(data.data() + data.size());
}

PngWalk WalkPngChunks(PngBytes file, const std::function<bool(const PngChunk&)>& visit) {
    PngWalk walk;
    if (file.size() < kPngSignature.size() ||
        !std::equal(kPngSignature.begin(), kPngSignature.end(), file.begin())) {
        return walk;
    }
    size_t offset = kPngSignature.size();
    while (offset < file.size()) {
        const size_t left = file.size() - offset;
        const unsigned char* head = file.data() + offset;
        if (left < 8) {
            walk.end = PngWalkEnd::CutOff;
            walk.cutOffOffset = offset;
            return walk;
        }
        const uint32_t length = PngUint32(head);
        PngChunk chunk;
        chunk.type = std::string_view(reinterpret_cast<const char*>(head + 4), 4);
        chunk.offset = offset;
        if (left < kPngChunkFrame || length > kMaxChunkLength || left - kPngChunkFrame < length) {
            walk.end = PngWalkEnd::CutOff;
            walk.cutOffOffset = offset;
            walk.cutOffLength = length;
            walk.cutOffType = chunk.type;
            return walk;
        }
        chunk.data = file.subspan(offset + 8, length);
        if (!visit(chunk)) {
            walk.end = PngWalkEnd::Stopped;
            return walk;
        }
        if (chunk.type == "IEND") {
            walk.end = PngWalkEnd::EndChunk;
            return walk;
        }
        offset += kPngChunkFrame + length;
    }
    walk.end = PngWalkEnd::FileEnd;
    return walk;
}

unsigned PngHeader::BitsPerPixel() const { return bitDepth * Channels(colorType); }

uint64_t PngHeader::FilteredSize() const {
    if (interlace == 0) {
        return uint64_t(height) * (1 + RowBytes(width));
    }
    // Adam7: each pass holds every xStep-th pixel from xStart of every yStep-th row from yStart.
    static constexpr unsigned kStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0},
                                              {0, 2}, {1, 0}, {0, 1}};
    static constexpr unsigned kStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4},
                                             {2, 4}, {2, 2}, {1, 2}};
    uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const uint64_t columns =
            width > kStart[pass][0]
                ? (width - kStart[pass][0] + kStep[pass][0] - 1) / kStep[pass][0]
                : 0;
        const uint64_t rows = height > kStart[pass][1]
                                  ? (height - kStart[pass][1] + kStep[pass][1] - 1) / kStep[pass][1]
                                  : 0;
        if (columns > 0) {
            total += rows * (1 + RowBytes(columns));
        }
    }
    return total;
}

bool ReadPngHeader(PngBytes data, PngHeader& header) {
    if (data.size() != 13) {
        return false;
    }
    header.width = PngUint32(data.data());
    header.height = PngUint32(data.data() + 4);
    header.bitDepth = data[8];
    header.colorType = data[9];
    header.interlace = data[12];
    const unsigned depth = header.bitDepth;
    bool depthValid = false;
    switch (header.colorType) {
    case kGrey:
        depthValid = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case kPalette:
        depthValid = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case kRgb:
    case kGreyAlpha:
    case kRgbAlpha:
        depthValid = depth == 8 || depth == 16;
        break;
    default:
        break;
    }
    return depthValid && header.width > 0 && header.height > 0 && header.width <= kMaxChunkLength &&
           header.height <= kMaxChunkLength && data[10] == 0 && data[11] == 0 &&
           header.interlace <= 1;
}

PngLayout ReadPngLayout(PngBytes file) {
    PngLayout layout;
    bool exact = true;
    bool first = true;
    bool inIdatRun = false;
    bool idatRunDone = false;
    unsigned seen = 0;
    uint64_t idatLimit = 0;
    const PngWalk walk = WalkPngChunks(file, [&](const PngChunk& chunk) {
        // A chunk too long for the loader is never read: a huge file costs no memory for it.
        const bool tooLong =
            chunk.data.size() > (chunk.type == "IDAT" ? idatLimit : kMaxOtherChunk);
        const bool whole = !tooLong && chunk.CrcMatches() && TypeLettersValid(chunk.type);
        exact = exact && whole;
        if (first) {
            first = false;
            exact = exact && chunk.type == "IHDR" && ReadPngHeader(chunk.data, layout.header);
            idatLimit = IdatChunkLimit(layout.header);
            layout.sound = exact;
            return exact; // nothing that follows is meaningful without a header
        }
        const bool idat = chunk.type == "IDAT";
        if (idat) {
            if (idatRunDone) {
                exact = false; // the loader ignores a second run or fails on it
            } else {
                layout.sound = layout.sound && whole;
                if (!inIdatRun) {
                    layout.idatBegin = chunk.offset;
                }
                inIdatRun = true;
                layout.idat.push_back(chunk.data);
                layout.idatBytes += chunk.data.size();
                layout.idatEnd = chunk.offset + kPngChunkFrame + chunk.data.size();
            }
            return true;
        }
        if (inIdatRun) {
            inIdatRun = false;
            idatRunDone = true;
        }
        if (chunk.type == "IEND") {
            exact = exact && chunk.data.empty() && idatRunDone;
        } else if (chunk.type == "IHDR") {
            exact = false;
        } else if (idatRunDone) {
            // After the pixel data only chunks that change nothing the loader sets up.
            exact = exact && !chunk.Critical() && chunk.type != "tRNS" && chunk.type != "bKGD" &&
                    chunk.type != "gAMA" && chunk.type != "sRGB" && chunk.type != "pHYs";
        } else {
            exact = exact && ReadMetadataChunk(chunk, layout, seen);
        }
        return true;
    });
    const bool paletteMissing = layout.header.colorType == kPalette && layout.paletteSize == 0;
    if (exact && walk.end == PngWalkEnd::EndChunk && !paletteMissing) {
        layout.verdict = PngVerdict::Exact;
    }
    return layout;
}

} // namespace millconv
