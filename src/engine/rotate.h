// Rotation step.
#pragma once

#include "engine/bitmap.h"
#include "settings/settings.h"

namespace millconv {

// Rotates by Image Rotation (1..359 degrees, counter-clockwise) when rotation is
// on: type 0 enlarges the canvas and fills the corners with the back colour, type 1 turns
// about the centre on the same canvas. Bitmaps that are not 24/32-bit are widened to 24 bits
// first (transparent ones to 32 bits, keeping the alpha). Empty on failure.
Bitmap ApplyRotation(Bitmap bitmap, const Settings::Transform& transform);

} // namespace millconv
