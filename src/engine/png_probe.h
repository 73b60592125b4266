// A look at a PNG's chunk list before decoding: sizes the decoder would allocate for are checked first.
#pragma once

#include <string>

namespace millconv {

// Empty when the decoder may be given the file; otherwise the line saying why not: the header
// declares an image over the size limits, or a chunk declares more bytes than the file holds.
// A file that is no PNG at all is left to the decoder to refuse.
std::string PngProbeProblem(const std::string& path);

// True when PngProbeProblem finds nothing; otherwise reports its line and is false.
bool PngFitsLimits(const std::string& path);

} // namespace millconv
