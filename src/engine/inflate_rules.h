// Inflation by zlib's rules. libdeflate takes a few streams that zlib, and so the library's PNG
// loader, refuses: lengths 286 and 287 and distances 30 and 31, the unused half of a
// one-codeword code, an empty or incomplete code-length code, a length list that runs past its
// end or has no end-of-block code. Pixel data that breaks one of these rules must not be
// decoded by the fast path, or the file would convert where the loader refuses it.
#pragma once

#include "engine/png_chunks.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace millconv {

enum class InflateEnd {
    Broken,   // a rule broken, the data cut short or its checksum wrong
    Finished, // the last block ended and the checksum after it matches
    Full,     // the output filled up with every rule kept so far; the stream may go on
};

struct InflateResult {
    InflateEnd end = InflateEnd::Broken;
    size_t produced = 0;
};

// Inflates the zlib stream into out, at most capacity bytes. Never reads outside stream or
// writes outside out[0, capacity).
InflateResult InflateZlib(PngBytes stream, unsigned char* out, size_t capacity);

// A zlib stream given in pieces (a PNG's IDAT chunks, as they lie in the file) and inflated a
// window at a time: Inflate stops when the window is full and goes on where it stopped when
// called again. Finishes and refuses the streams InflateZlib does, with the same output; a
// refused stream's output may stop short of InflateZlib's, inside the copy where it failed.
class ZlibInflater {
  public:
    explicit ZlibInflater(std::span<const PngBytes> pieces);
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    // Writes the next output at [at, end). The bytes from history to at must be the output so
    // far, or at least its last 32 KiB: copies reach back into them. Full when end is reached
    // before the checksum is read (even right after the last block); Broken and Finished are
    // final.
    InflateEnd Inflate(unsigned char* history, unsigned char* at, unsigned char* end);
    // Output written by the last call, and by all calls.
    size_t Written() const;
    uint64_t Total() const;
    // The window size the stream's header names, as a power of two (0 until it is read).
    unsigned WindowBits() const;
    // Input bytes before this piece and offset are read and done with.
    size_t PieceIndex() const;
    size_t PieceOffset() const;

  private:
    class State;
    std::unique_ptr<State> state_;
};

} // namespace millconv
