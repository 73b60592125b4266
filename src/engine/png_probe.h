// A look at a PNG's chunk list before decoding: sizes the decoder would allocate for are checked
// first.
#pragma once

#include "engine/png_chunks.h"

#include <string>

namespace millconv {

// Empty when the decoder may be given the file; otherwise the line saying why not: the header
// declares an image over the size limits, a chunk declares more bytes than the file holds, or
// the file's pixel data is too short to fill the declared image even at deflate's highest
// ratio. A file that is no PNG at all is left to the decoder to refuse.
std::string PngProbeProblem(PngBytes file);

// True when PngProbeProblem finds nothing in file (read from path); otherwise reports its line
// naming path and is false. A path that cannot be read passes: the decoder fails on its own.
bool PngFitsLimits(PngBytes file, const std::string& path);
bool PngFitsLimits(const std::string& path);

} // namespace millconv
