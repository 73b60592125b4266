// Kept transparency: images that stay 32-bit with alpha, and marks laid "over" them.
#pragma once

#include "engine/bitmap.h"

#include <cstdint>

namespace millconv {

// A transparent bitmap as a 32-bit one with its alpha (a palette's transparent entries become
// alpha pixels); opaque bitmaps pass through untouched.
Bitmap KeepTransparency(Bitmap bitmap);

// The bitmap frames and watermarks are drawn on: a transparent 32-bit bitmap stays as it is so
// that its alpha survives; anything else becomes standard 24-bit.
Bitmap ToCompositingBase(Bitmap bitmap);

// Lays a 32-bit overlay over a 32-bit image with alpha, top-left corner of the overlay at
// (x, y) counted from the image's top row: colour and alpha by the "over" rule, so a covered
// pixel becomes at least as opaque as the overlay. False, image unchanged, when either is not
// 32-bit or the overlay does not lie wholly inside.
bool CompositeOver(FIBITMAP* image, FIBITMAP* overlay, int64_t x, int64_t y);

} // namespace millconv
