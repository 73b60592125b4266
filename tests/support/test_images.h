// Test support: small pictures made on the fly and written as PNG files.
#pragma once

#include "engine/bitmap.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <string>

namespace millconv::test {

// A bitmap whose pixels all have three different channels.
inline Bitmap SolidImage(unsigned width, unsigned height, BYTE red, BYTE green, BYTE blue) {
    Bitmap bitmap(FreeImage_Allocate(int(width), int(height), 24));
    RGBQUAD colour{blue, green, red, 0};
    FreeImage_FillBackground(bitmap.get(), &colour, 0);
    return bitmap;
}

inline void WritePng(FIBITMAP* bitmap, const std::string& path) {
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_SPEED));
}

} // namespace millconv::test
