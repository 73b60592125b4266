// Flip step: horizontal then vertical mirroring in place.
#pragma once

#include "engine/bitmap.h"

namespace millconv {

// Mirrors the bitmap as the Transform flip settings ask; the bitmap keeps its identity.
Bitmap ApplyFlip(Bitmap bitmap);

} // namespace millconv
