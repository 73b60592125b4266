// A PNG held in memory, walked chunk by chunk: the facts its decoders need, each length checked
// against the file before anything is read from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace millconv {

using PngBytes = std::span<const unsigned char>;

inline constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
// A chunk's length, type and CRC around its data.
inline constexpr size_t kPngChunkFrame = 12;

// A whole file mapped read-only: only the pages looked at are read, so a huge file whose chunk
// list is refused costs no more memory than a small one.
class PngFile {
  public:
    PngFile() = default;
    ~PngFile() { Release(); }
    PngFile(const PngFile&) = delete;
    PngFile& operator=(const PngFile&) = delete;

    // Maps the file at path; false when it cannot be opened or mapped.
    bool Open(const std::string& path);
    PngBytes View() const { return {data_, size_}; }
    // Gives back the memory of the whole pages in [from, to), bytes of the view that are done
    // with for now; reading them again brings them back from the file.
    void Forget(const unsigned char* from, const unsigned char* to) const;
    void Release();

  private:
    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
    void* mapping_ = nullptr;
};

uint32_t PngUint32(const unsigned char* bytes);
uint16_t PngUint16(const unsigned char* bytes);

struct PngChunk {
    std::string_view type; // the four type letters, as they stand in the file
    size_t offset = 0;     // of the length field
    PngBytes data;         // within the file
    bool Critical() const { return (type[0] & 0x20) == 0; }
    bool CrcMatches() const;
};

enum class PngWalkEnd {
    NoSignature, // not a PNG: the decoder refuses it on its own
    EndChunk,    // IEND reached
    FileEnd,     // the file ends cleanly after a chunk without an IEND
    CutOff,      // a chunk header or its data runs past the file end (see cutOffChunk)
    Stopped,     // the visitor asked to stop
};

struct PngWalk {
    PngWalkEnd end = PngWalkEnd::NoSignature;
    size_t cutOffOffset = 0;     // where the cut-off chunk starts
    uint32_t cutOffLength = 0;   // the length it declares (0 when the header itself is cut)
    std::string_view cutOffType; // empty when the header itself is cut
};

// Visits every whole chunk from the first to IEND (included), in file order, until visit
// returns false. Never reads outside file.
PngWalk WalkPngChunks(PngBytes file, const std::function<bool(const PngChunk&)>& visit);

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colorType = 0;
    uint8_t interlace = 0;

    // Bits of one pixel and bytes of one unfiltered row of the full image.
    unsigned BitsPerPixel() const;
    uint64_t RowBytes(uint64_t pixels) const { return (pixels * BitsPerPixel() + 7) / 8; }
    // Bytes the inflated pixel data must hold: every row of every pass with its filter byte.
    uint64_t FilteredSize() const;
};

// Reads an IHDR chunk's data; false when it is not 13 bytes or names a combination of colour
// type, depth, compression, filter and interlace method that PNG does not define.
bool ReadPngHeader(PngBytes data, PngHeader& header);

// Whether the fast decoder may take a file: the library's loader would give exactly its result.
enum class PngVerdict {
    Exact,   // every chunk understood and within what the fast decoder reproduces
    Library, // the library's loader decides (gamma correction, chunks out of order, bad CRCs)
};

// What a decoder needs from the chunks before the pixel data, read the way the library's
// loader reads them. Holds no pointers into the file once the pixel data is gathered.
struct PngLayout {
    PngVerdict verdict = PngVerdict::Library;
    PngHeader header;
    std::vector<PngBytes> idat; // data of the first run of consecutive IDAT chunks
    uint64_t idatBytes = 0;
    size_t idatBegin = 0; // file offsets of that run's first chunk and of the chunk after it
    size_t idatEnd = 0;
    // The header is valid and every chunk of the IDAT run has its CRC and a length the
    // library's loader accepts: a copy with only that run re-encoded fails where the file does.
    bool sound = false;

    unsigned paletteSize = 0;
    std::array<unsigned char, 768> palette{}; // red, green, blue per entry
    unsigned alphaCount = 0;                  // palette alphas from tRNS
    std::array<unsigned char, 256> alphas{};
    bool hasTransparentSample = false; // grey or RGB tRNS: one transparent sample per channel
    std::array<uint16_t, 3> transparentSample{};
    bool hasBackground = false; // bKGD as red, green, blue samples
    std::array<uint16_t, 3> background{};
    bool hasMetricDensity = false; // pHYs in pixels per metre
    std::array<uint32_t, 2> dotsPerMeter{};
};

// Walks file and fills layout. The verdict is Exact only when every chunk is whole, has its CRC,
// sits where PNG puts it and carries nothing that would make the library's loader change pixels,
// drop a chunk or fail.
PngLayout ReadPngLayout(PngBytes file);

} // namespace millconv
