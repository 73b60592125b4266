// Inflated PNG rows turned into a FreeImage bitmap laid out as FreeImage's own PNG loader does.
#pragma once

#include "engine/bitmap.h"
#include "engine/png_chunks.h"

namespace millconv {

// Unfilters the inflated data of layout's image in place (filtered holds at least
// layout.header.FilteredSize() bytes) and writes the pixels into a new bitmap: bottom-up rows,
// BGR(A) byte order, 16-bit samples in native order, grey ramps, palette, transparency table,
// background colour and resolution as FreeImage's PNG loader sets them. Empty when a row names
// an unknown filter or the bitmap cannot be allocated.
Bitmap BuildPngBitmap(const PngLayout& layout, unsigned char* filtered);

} // namespace millconv
