// Solid frame drawn inside the image borders.
#pragma once

#include "engine/bitmap.h"
#include "settings/settings.h"

namespace millconv {

// Draws the frame when Do Frame is 1; otherwise returns the bitmap unchanged (24-bit for any
// other non-zero value).
Bitmap ApplyFrame(Bitmap bitmap, const Settings::Frame& frame);

} // namespace millconv
