// Test support: small PNG pictures that differ from seed to seed.
#pragma once

#include <FreeImage.h>

#include <filesystem>
#include <string>

#include "engine/bitmap.h"

namespace millconv::test {

// An odd-sized RGBA picture, different for every seed, with a partly transparent corner.
// False when it could not be written.
inline bool WriteTestPng(const std::string& path, unsigned seed) {
    Bitmap image(FreeImage_Allocate(7 + seed % 5, 5 + seed % 3, 32, FI_RGBA_RED_MASK,
                                    FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    for (unsigned y = 0; y < FreeImage_GetHeight(image.get()); ++y) {
        BYTE* line = FreeImage_GetScanLine(image.get(), int(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(image.get()); ++x) {
            line[4 * x + FI_RGBA_RED] = BYTE(seed * 13 + x);
            line[4 * x + FI_RGBA_GREEN] = BYTE(seed * 7 + y * 11);
            line[4 * x + FI_RGBA_BLUE] = BYTE(200 - x * y);
            line[4 * x + FI_RGBA_ALPHA] = BYTE(x == 0 && y == 0 ? 60 : 255);
        }
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return FreeImage_Save(FIF_PNG, image.get(), path.c_str(), PNG_Z_BEST_SPEED) != 0;
}

} // namespace millconv::test
