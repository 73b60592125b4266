// Inflation by zlib's rules. libdeflate takes a few streams that zlib, and so the library's PNG
// loader, refuses: lengths 286 and 287 and distances 30 and 31, the unused half of a
// one-codeword code, an empty or incomplete code-length code, a length list that runs past its
// end or has no end-of-block code. Pixel data that breaks one of these rules must not be
// decoded by the fast path, or the file would convert where the loader refuses it.
#pragma once

#include "engine/png_chunks.h"

#include <cstddef>

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

} // namespace millconv
