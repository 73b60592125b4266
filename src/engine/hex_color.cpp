// The RRGGBB colour reader.
#include "engine/hex_color.h"

#include "base/text.h"

namespace millconv {

namespace {

// A two-character pair read from its leading hex digits: "F" + "x" is 15, "x" + "F" is 0.
uint8_t HexPair(char high, char low) {
    const int first = HexDigitValue(high);
    if (first < 0) {
        return 0;
    }
    const int second = HexDigitValue(low);
    if (second < 0) {
        return static_cast<uint8_t>(first);
    }
    return static_cast<uint8_t>(first * 16 + second);
}

} // namespace

RgbColor ParseHexColor(std::string_view text) {
    if (text.size() != 6) {
        return {};
    }
    return {HexPair(text[0], text[1]), HexPair(text[2], text[3]), HexPair(text[4], text[5])};
}

} // namespace millconv
