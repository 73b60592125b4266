// Output colour depth: the automatic choice and the final conversion.
#pragma once

#include "engine/bitmap.h"

#include <string_view>

namespace millconv {

// The first allowed depth of the output format that holds sourceDepth bits, else the
// largest; 0 for a format the output catalogue does not know.
int ChooseAutomaticDepth(std::string_view extension, int sourceDepth);

// Brings the bitmap to depth bits for the output format extension. A bitmap
// is kept only when it already is a standard bitmap of that depth (RGB16 for 48, RGBF for
// 96), so no other pixel type reaches a writer. Unsupported depths give an empty bitmap.
Bitmap ApplyColorDepth(Bitmap bitmap, int depth, std::string_view extension);

} // namespace millconv
