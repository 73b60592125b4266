// Bitmaps whose pixels the program maps itself, in huge pages where the system offers them.
#pragma once

#include <FreeImage.h>

namespace millconv {

// A bitmap laid out as FreeImage_AllocateT lays it out (same pitch, zeroed pixels, the default
// palette) whose pixels live in a mapping of their own. Null for an image under 2 MiB of pixels
// or when the memory cannot be had; the caller then allocates as usual. Unloading it through a
// Bitmap gives the mapping back.
FIBITMAP* AllocateMappedBitmap(FREE_IMAGE_TYPE type, unsigned width, unsigned height, unsigned bpp);

// How many mapped bitmaps' pixels are still held.
int MappedBitmapCount();

} // namespace millconv
