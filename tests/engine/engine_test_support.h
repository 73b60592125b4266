// Shared helpers of the engine tests: temporary folders, synthetic images, settings reset.
#pragma once

#include "engine/bitmap.h"
#include "engine/output_parameters.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/settings.h"
#include "support/job_steps.h"
#include "support/temp_folder.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace millconv::test {

// Console defaults, a TGA job and a reset job record for every test.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDefaultSettings(true);
        ResetJobState();
        gJob.outputFolder = folder_.Path();
        UseOutputFormat("tga");
    }

    static void UseOutputFormat(const std::string& extension) {
        gJob.conversion = extension;
        gJob.requestedDepth = 0;
        gJob.saveFlags = 0;
        PrepareOutputParameters();
    }

    TempFolder folder_;
};

// A width x height bitmap of the given depth whose pixel (x, y) is fill(x, y) as RGBA.
template <typename Fill>
Bitmap MakeBitmap(unsigned width, unsigned height, unsigned bpp, Fill fill) {
    Bitmap bitmap(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height),
                                     static_cast<int>(bpp), FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                     FI_RGBA_BLUE_MASK));
    const unsigned step = bpp / 8;
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) {
            const RGBQUAD color = fill(x, y);
            line[x * step + FI_RGBA_RED] = color.rgbRed;
            line[x * step + FI_RGBA_GREEN] = color.rgbGreen;
            line[x * step + FI_RGBA_BLUE] = color.rgbBlue;
            if (step == 4) {
                line[x * step + FI_RGBA_ALPHA] = color.rgbReserved;
            }
        }
    }
    return bitmap;
}

inline RGBQUAD Rgba(BYTE red, BYTE green, BYTE blue, BYTE alpha = 255) {
    RGBQUAD color{};
    color.rgbRed = red;
    color.rgbGreen = green;
    color.rgbBlue = blue;
    color.rgbReserved = alpha;
    return color;
}

// A colourful gradient, different in every pixel row and column.
inline Bitmap Gradient(unsigned width, unsigned height, unsigned bpp = 24) {
    return MakeBitmap(width, height, bpp, [](unsigned x, unsigned y) {
        return Rgba(static_cast<BYTE>(x * 7), static_cast<BYTE>(y * 5),
                    static_cast<BYTE>((x + y) * 3));
    });
}

inline bool SavePng(FIBITMAP* bitmap, const std::string& path) {
    return FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_SPEED) != FALSE;
}

inline Bitmap LoadTga(const std::string& path) {
    return Bitmap(FreeImage_Load(FIF_TARGA, path.c_str(), 0));
}

// Pixel (x, y) of any standard bitmap as RGBA.
inline RGBQUAD PixelOf(FIBITMAP* bitmap, unsigned x, unsigned y) {
    Bitmap wide(FreeImage_ConvertTo32Bits(bitmap));
    RGBQUAD color{};
    const BYTE* line = FreeImage_GetScanLine(wide.get(), static_cast<int>(y));
    color.rgbRed = line[x * 4 + FI_RGBA_RED];
    color.rgbGreen = line[x * 4 + FI_RGBA_GREEN];
    color.rgbBlue = line[x * 4 + FI_RGBA_BLUE];
    color.rgbReserved = line[x * 4 + FI_RGBA_ALPHA];
    return color;
}

// Names of the files in a folder (hidden ones included).
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace millconv::test
