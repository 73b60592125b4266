// The stricter inflater's rules. libdeflate takes a few streams that zlib, and so the library's
// PNG loader, refuses: lengths 286 and 287 and distances 30 and 31, the unused half of a
// one-codeword code, an empty or incomplete code-length code, a length list that runs past its
// end or has no end-of-block code. A file whose pixel data breaks one of these rules must not be
// decoded by the fast path, or it would convert where the loader refuses it.
#pragma once

#include "engine/png_chunks.h"

#include <cstdint>

namespace millconv {

// True when the zlib stream keeps zlib's inflate rules from its header until it ends or until
// `limit` bytes have come out of it, whichever is first. Never reads outside stream; false when
// the stream ends early.
bool KeepsInflateRules(PngBytes stream, uint64_t limit);

} // namespace millconv
