// Solid frame drawn inside the image borders.
#pragma once

#include "engine/bitmap.h"

namespace millconv {

// Draws the frame of the settings record when [Frame] Do Frame is 1; otherwise returns the
// bitmap unchanged.
Bitmap ApplyFrame(Bitmap bitmap);

} // namespace millconv
