// The RRGGBB colour reader shared by rotation, frame and watermark.
#pragma once

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

} // namespace millconv
