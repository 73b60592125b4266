// Colour steps: brightness/contrast/gamma/invert, greyscale and black-and-white threshold.
#pragma once

#include "engine/bitmap.h"
#include "settings/settings.h"

namespace millconv {

// Adjusts brightness, contrast, gamma and invert when colour correction is on; bitmaps
// below 8 or above 32 bits are widened to 24 bits first. Values are used unclamped.
Bitmap ApplyColorCorrection(Bitmap bitmap, const Settings::Adjustment& adjustment);

// Replaces the bitmap by an 8-bit greyscale one when greyscale is on.
Bitmap ApplyGreyscale(Bitmap bitmap, const Settings::Adjustment& adjustment);

// Replaces the bitmap by a 1-bit black-and-white one at Image Threshold when the threshold
// is on.
Bitmap ApplyThreshold(Bitmap bitmap, const Settings::Adjustment& adjustment);

} // namespace millconv
