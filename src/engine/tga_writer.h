// The output writer of a run: the library's writers, with TGA rows top first on request.
#pragma once

#include "engine/bitmap.h"
#include "engine/run.h"

#include <string>

namespace millconv {

// Writes the final bitmap of a file with the run's output parameters, all or nothing (see
// SaveBitmapSafely). A top-left TGA has its rows written top first and the origin bit of
// its descriptor set, raw and RLE alike; the bitmap is turned round in the process. Every
// other output is the library writer's own.
bool WriteOutputImage(Bitmap& bitmap, const OutputParameters& output, const std::string& path);

} // namespace millconv
