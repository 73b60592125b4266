// The first way two decoded bitmaps differ, for tests and fuzz programs that decode one file two ways.
#pragma once

#include <FreeImage.h>

#include <cstring>
#include <string>

namespace millconv::test {

// Empty when both are null or both hold the same type, depth, size, pixel bytes (row padding
// included), palette, transparency table and flag, resolution and background colour.
inline std::string BitmapDifference(FIBITMAP* a, FIBITMAP* b) {
    if (a == nullptr || b == nullptr) {
        return a == b ? "" : a == nullptr ? "only the second decoded" : "only the first decoded";
    }
    const auto differ = [](const char* what, unsigned x, unsigned y) {
        return x == y ? std::string() : std::string(what) + " " + std::to_string(x) + " and " +
                                            std::to_string(y);
    };
    for (const std::string& problem :
         {differ("type", FreeImage_GetImageType(a), FreeImage_GetImageType(b)),
          differ("depth", FreeImage_GetBPP(a), FreeImage_GetBPP(b)),
          differ("width", FreeImage_GetWidth(a), FreeImage_GetWidth(b)),
          differ("height", FreeImage_GetHeight(a), FreeImage_GetHeight(b)),
          differ("pitch", FreeImage_GetPitch(a), FreeImage_GetPitch(b)),
          differ("colours", FreeImage_GetColorsUsed(a), FreeImage_GetColorsUsed(b)),
          differ("transparency count", FreeImage_GetTransparencyCount(a),
                 FreeImage_GetTransparencyCount(b)),
          differ("transparent", FreeImage_IsTransparent(a), FreeImage_IsTransparent(b)),
          differ("x resolution", FreeImage_GetDotsPerMeterX(a), FreeImage_GetDotsPerMeterX(b)),
          differ("y resolution", FreeImage_GetDotsPerMeterY(a), FreeImage_GetDotsPerMeterY(b)),
          differ("background", FreeImage_HasBackgroundColor(a), FreeImage_HasBackgroundColor(b))}) {
        if (!problem.empty()) {
            return problem;
        }
    }
    const unsigned pitch = FreeImage_GetPitch(a);
    for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y) {
        const BYTE* lineA = FreeImage_GetScanLine(a, int(y));
        const BYTE* lineB = FreeImage_GetScanLine(b, int(y));
        for (unsigned i = 0; i < pitch; ++i) {
            if (lineA[i] != lineB[i]) {
                return "scanline " + std::to_string(y) + " byte " + std::to_string(i) + ": " +
                       differ("values", lineA[i], lineB[i]);
            }
        }
    }
    const unsigned colors = FreeImage_GetColorsUsed(a);
    if (colors > 0 &&
        std::memcmp(FreeImage_GetPalette(a), FreeImage_GetPalette(b), colors * sizeof(RGBQUAD))) {
        return "palettes";
    }
    const unsigned count = FreeImage_GetTransparencyCount(a);
    if (count > 0 &&
        std::memcmp(FreeImage_GetTransparencyTable(a), FreeImage_GetTransparencyTable(b), count)) {
        return "transparency tables";
    }
    RGBQUAD backgroundA{};
    RGBQUAD backgroundB{};
    if (FreeImage_GetBackgroundColor(a, &backgroundA) &&
        FreeImage_GetBackgroundColor(b, &backgroundB) &&
        std::memcmp(&backgroundA, &backgroundB, 3) != 0) {
        return "background colours";
    }
    return {};
}

} // namespace millconv::test
