// Tone mapping of deep and non-standard bitmaps to standard ones.
#pragma once

#include "engine/bitmap.h"

namespace millconv {

// Brings a deep or non-standard bitmap (16-bit grey, 48/64-bit colour, floats) to a standard
// 8/24/32-bit bitmap: 16-bit grey and 48/64-bit colour keep their high bytes, floating-point
// colour is tone-mapped, and an alpha channel is kept so the transparency step can still
// flatten it. Standard bitmaps pass through untouched.
Bitmap ApplyToneMapping(Bitmap bitmap);

} // namespace millconv
