// Rotation step and the RRGGBB colour reader shared by rotation, frame and watermark.
#pragma once

#include "engine/bitmap.h"

#include <cstdint>
#include <string_view>

namespace millconv {

struct RgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// Six hexadecimal digits RRGGBB (either case) to a colour; each pair counts from its leading
// hex digits, a pair without one is 0. Any other length gives black.
RgbColor ParseHexColor(std::string_view text);

// Rotates by [Transform] Image Rotation (1..359 degrees, counter-clockwise) when rotation is
// on: type 0 enlarges the canvas and fills the corners with the back colour, type 1 turns
// about the centre on the same canvas. Bitmaps that are not 24/32-bit are widened to 24 bits
// first (transparent ones to 32 bits, keeping the alpha). Empty on failure.
Bitmap ApplyRotation(Bitmap bitmap);

} // namespace millconv
