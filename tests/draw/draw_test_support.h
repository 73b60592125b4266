// Shared helpers of the drawing tests: settings reset, module location, bitmaps and pixels.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "engine/bitmap.h"
#include "engine/draw_module.h"
#include "settings/settings.h"
#include "support/job_steps.h"
#include "support/process.h"

namespace millconv::test {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

inline const std::string& DrawModulePath() {
    static const std::string path = std::string(MILLCONV_BINARY_DIR) + kDrawModuleFile;
    return path;
}

// Console defaults, the module from the build tree, and a private home and cache so that
// fontconfig never writes into the real home folder.
class DrawTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static const TempFolder home;
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
        SetDrawModulePath(DrawModulePath());
    }

    void SetUp() override { SetDefaultSettings(true); }
};

// Each check runs in a freshly started copy of the test program (EXPECT_EXIT), so nothing that
// other tests loaded or set up (the drawing libraries, fontconfig) is in its address space.
class FreshProcessDrawTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

// A bitmap of the given depth covered with one colour (24 and 32 bits; 32 is opaque).
inline Bitmap SolidBitmap(int width, int height, Rgb color, int bpp = 24) {
    Bitmap bitmap(FreeImage_Allocate(width, height, bpp));
    RGBQUAD quad{BYTE(color.blue), BYTE(color.green), BYTE(color.red), 255};
    FreeImage_FillBackground(bitmap.get(), &quad);
    return bitmap;
}

// Pixel at (x, y) counted from the top-left corner.
inline Rgb PixelAt(FIBITMAP* bitmap, int x, int y) {
    RGBQUAD quad{};
    FreeImage_GetPixelColor(bitmap, unsigned(x), FreeImage_GetHeight(bitmap) - 1 - unsigned(y),
                            &quad);
    return {quad.rgbRed, quad.rgbGreen, quad.rgbBlue};
}

inline void SetPixel(FIBITMAP* bitmap, int x, int y, Rgb color, int alpha = 255) {
    RGBQUAD quad{BYTE(color.blue), BYTE(color.green), BYTE(color.red), BYTE(alpha)};
    FreeImage_SetPixelColor(bitmap, unsigned(x), FreeImage_GetHeight(bitmap) - 1 - unsigned(y),
                            &quad);
}

inline bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

// Bounding box of the pixels that differ from a colour; width 0 when none does.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline Box DifferingBox(FIBITMAP* bitmap, Rgb background) {
    const int width = int(FreeImage_GetWidth(bitmap));
    const int height = int(FreeImage_GetHeight(bitmap));
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!(PixelAt(bitmap, x, y) == background)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

inline bool SameImage(FIBITMAP* a, FIBITMAP* b) {
    if (FreeImage_GetWidth(a) != FreeImage_GetWidth(b) ||
        FreeImage_GetHeight(a) != FreeImage_GetHeight(b)) {
        return false;
    }
    for (int y = 0; y < int(FreeImage_GetHeight(a)); ++y) {
        for (int x = 0; x < int(FreeImage_GetWidth(a)); ++x) {
            if (!(PixelAt(a, x, y) == PixelAt(b, x, y))) {
                return false;
            }
        }
    }
    return true;
}

} // namespace millconv::test
