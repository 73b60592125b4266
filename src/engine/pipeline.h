// The single-file conversion: load, image steps in a fixed order, save.
#pragma once

#include "engine/bitmap.h"
#include "engine/run.h"

namespace millconv {

// Converts file.currentInput into one output file with the run's settings and output
// parameters. Writes the file's source depth, image size, output path and, with automatic
// depth, its requested depth. True when the file was written; an unreadable input or any
// failed step writes nothing.
bool ConvertFile(const RunSnapshot& run, FileContext& file);

// Flattens a transparent bitmap onto white; the result has no alpha. An 8-bit palette is
// flattened in its palette and stays 8-bit; opaque bitmaps pass through untouched.
Bitmap FlattenTransparency(Bitmap bitmap);

} // namespace millconv
