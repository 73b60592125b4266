// The PNG load step: a fast decoder for the common kinds, the library's loader for the rest.
#pragma once

#include "engine/bitmap.h"

#include <string>

namespace millconv {

// Set to "0" (tests and benchmarks only), every PNG goes to the library's loader.
inline constexpr const char* kFastPngVariable = "MILLCONV_FAST_PNG";

// Which decoder a load went through.
enum class PngRoute {
    Refused,        // over the limits before decoding
    Streamed,       // the fast decoder, a window of the data at a time
    Fast,           // the fast decoder on the whole data inflated at once (interlaced images)
    Library,        // FreeImage's loader on the file
    BoundedLibrary, // FreeImage's loader on a copy whose pixel data ends with the image
};

// Loads the PNG at path as FreeImage's PNG loader (default flags) would: the same pixel type,
// depth, pixels, palette, transparency table, background colour and resolution. Files that
// break the size limits, or whose data could not fill their declared size, are refused with a
// reported problem line before any pixel memory is spent. Decoding stops at the image's end:
// data past the last row is never inflated in full. Empty when the file cannot be decoded.
// route, when given, tells which decoder was used.
Bitmap LoadPng(const std::string& path, PngRoute* route = nullptr);

// The bitmap LoadPng gives when its streamed decoder takes the file; empty, with nothing
// reported, for every file it would decode another way or refuse.
Bitmap LoadPngQuietly(const std::string& path);

} // namespace millconv
