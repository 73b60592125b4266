// The single-file conversion: load, image steps in a fixed order, save.
#pragma once

#include "engine/bitmap.h"

namespace millconv {

// Converts gJob.currentInput into one output file with the settings record and the output
// fields of gJob (filled by PrepareOutputParameters). Writes gJob's source depth, image size,
// output path and, with automatic depth, the requested depth. True when the file was written;
// an unreadable input or any failed step writes nothing.
bool ConvertFile();

// Brings a deep or non-standard bitmap (16-bit grey, 48/64-bit colour, floats) to a standard
// 8/24/32-bit bitmap: colour images are tone-mapped, 16-bit grey becomes 8-bit grey, and an
// alpha channel is kept so the transparency step can still flatten it. Standard bitmaps
// pass through untouched.
Bitmap ApplyToneMapping(Bitmap bitmap);

// Flattens a transparent bitmap onto white; the result has no alpha. An 8-bit palette is
// flattened in its palette and stays 8-bit; opaque bitmaps pass through untouched.
Bitmap FlattenTransparency(Bitmap bitmap);

} // namespace millconv
