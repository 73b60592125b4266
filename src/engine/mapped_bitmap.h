// Bitmaps whose pixels the program maps itself, in huge pages where the system offers them.
#pragma once

#include <FreeImage.h>

namespace millconv {

// A bitmap laid out as FreeImage_AllocateT lays it out (same pitch, zeroed pixels, the default
// palette) whose pixels live in a mapping of their own. Null for an image under 2 MiB of pixels
// or when the memory cannot be had; the caller then allocates as usual. Unloading it through a
// Bitmap gives the mapping back.
FIBITMAP* AllocateMappedBitmap(FREE_IMAGE_TYPE type, unsigned width, unsigned height, unsigned bpp);

// FreeImage_ConvertTo32Bits of a standard 24-bit bitmap into a mapped bitmap: a new 32-bit
// bitmap with the source's metadata, each row converted by FreeImage's own line converter.
// Null for any other bitmap or one too small to be mapped.
FIBITMAP* ConvertTo32BitsMapped(FIBITMAP* source);

// How many mapped bitmaps' pixels are still held.
int MappedBitmapCount();

} // namespace millconv
