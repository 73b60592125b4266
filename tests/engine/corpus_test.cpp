// Every real PNG of the test corpus converts to a TGA that shows FreeImage's decode on white.
#include "engine_test_support.h"

#include "engine/pipeline.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace millconv::test {
namespace {

std::vector<std::string> CorpusFiles(const std::string& folder, bool crashers) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(MILLCONV_CORPUS_DIR + folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png") {
            continue;
        }
        const bool crasher =
            name.starts_with("crashers_") && name != "crashers_empty_ancillary_chunks.png";
        if (crasher == crashers) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The decoded PNG as 8-bit RGBA: 16-bit grey and deep colour by their high bytes, alpha kept.
std::vector<RGBQUAD> ReferencePixels(const std::string& path, unsigned& width, unsigned& height) {
    Bitmap decoded(FreeImage_Load(FIF_PNG, path.c_str(), 0));
    width = FreeImage_GetWidth(decoded.get());
    height = FreeImage_GetHeight(decoded.get());
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(decoded.get());
    Bitmap standard;
    if (type == FIT_UINT16) {
        standard.reset(FreeImage_ConvertTo8Bits(decoded.get()));
    } else if (type == FIT_RGB16) {
        standard.reset(FreeImage_ConvertTo24Bits(decoded.get()));
    } else {
        standard.reset(FreeImage_Clone(decoded.get()));
    }
    Bitmap rgba(FreeImage_ConvertTo32Bits(standard.get()));
    const bool transparent = FreeImage_IsTransparent(decoded.get()) != FALSE;
    std::vector<RGBQUAD> pixels;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(rgba.get(), static_cast<int>(y));
        const auto* deep = reinterpret_cast<const FIRGBA16*>(
            FreeImage_GetScanLine(decoded.get(), static_cast<int>(y)));
        for (unsigned x = 0; x < width; ++x) {
            int alpha = line[x * 4 + FI_RGBA_ALPHA];
            if (type == FIT_RGBA16) {
                alpha = deep[x].alpha >> 8;
            }
            if (!transparent) {
                alpha = 255;
            }
            const auto onWhite = [alpha](int c) {
                return static_cast<BYTE>((c * alpha + 255 * (255 - alpha) + 127) / 255);
            };
            pixels.push_back(Rgba(onWhite(line[x * 4 + FI_RGBA_RED]),
                                  onWhite(line[x * 4 + FI_RGBA_GREEN]),
                                  onWhite(line[x * 4 + FI_RGBA_BLUE])));
        }
    }
    return pixels;
}

int Distance(const RGBQUAD& a, const RGBQUAD& b) {
    return std::max({std::abs(a.rgbRed - b.rgbRed), std::abs(a.rgbGreen - b.rgbGreen),
                     std::abs(a.rgbBlue - b.rgbBlue)});
}

int ExpectedDepth(int sourceDepth) {
    return sourceDepth <= 8 ? 8 : sourceDepth <= 16 ? 16 : sourceDepth <= 24 ? 24 : 32;
}

class CorpusTest : public EngineTest {
  protected:
    // Converts one corpus file and compares the TGA with the reference pixels.
    void CheckConversion(const std::string& path) {
        SCOPED_TRACE(path);
        gJob.currentInput = path;
        ASSERT_TRUE(ConvertFile());
        Bitmap output = LoadTga(gJob.outputPath);
        ASSERT_TRUE(output);
        const auto bpp = static_cast<int>(FreeImage_GetBPP(output.get()));
        EXPECT_EQ(bpp, ExpectedDepth(gJob.sourceDepth));

        unsigned width = 0;
        unsigned height = 0;
        const std::vector<RGBQUAD> reference = ReferencePixels(path, width, height);
        ASSERT_EQ(FreeImage_GetWidth(output.get()), width);
        ASSERT_EQ(FreeImage_GetHeight(output.get()), height);
        Bitmap rgba(FreeImage_ConvertTo32Bits(output.get()));
        const RGBQUAD* palette = FreeImage_GetPalette(output.get());
        const unsigned colors = FreeImage_GetColorsUsed(output.get());
        // Five bits per channel cannot hold more than 1/32 of the range.
        const int tolerance = bpp == 16 ? 9 : 2;
        int failures = 0;
        for (unsigned y = 0; y < height && failures < 5; ++y) {
            const BYTE* line = FreeImage_GetScanLine(rgba.get(), static_cast<int>(y));
            for (unsigned x = 0; x < width && failures < 5; ++x) {
                const RGBQUAD& want = reference[y * width + x];
                const RGBQUAD got = Rgba(line[x * 4 + FI_RGBA_RED], line[x * 4 + FI_RGBA_GREEN],
                                         line[x * 4 + FI_RGBA_BLUE]);
                EXPECT_EQ(line[x * 4 + FI_RGBA_ALPHA], 255);
                int allowed = tolerance;
                if (palette != nullptr && bpp == 8) {
                    // A quantised palette may not hold the colour: the nearest entry is fine.
                    int nearest = 255;
                    for (unsigned i = 0; i < colors; ++i) {
                        nearest = std::min(nearest, Distance(palette[i], want));
                    }
                    allowed = std::max(tolerance, nearest);
                }
                if (Distance(got, want) > allowed) {
                    ++failures;
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << int(got.rgbRed) << ","
                                  << int(got.rgbGreen) << "," << int(got.rgbBlue) << " want "
                                  << int(want.rgbRed) << "," << int(want.rgbGreen) << ","
                                  << int(want.rgbBlue);
                }
            }
        }
    }
};

TEST_F(CorpusTest, PngSuiteConvertsToTgaOnWhite) {
    const auto files = CorpusFiles("pngsuite", false);
    ASSERT_GT(files.size(), 50u);
    for (const auto& path : files) {
        CheckConversion(path);
    }
}

TEST_F(CorpusTest, LibpngTestImagesConvertToTgaOnWhite) {
    const auto files = CorpusFiles("libpng-testpngs", false);
    ASSERT_GT(files.size(), 90u);
    for (const auto& path : files) {
        CheckConversion(path);
    }
}

TEST_F(CorpusTest, BrokenFilesFailWithoutOutput) {
    const auto files = CorpusFiles("libpng-testpngs", true);
    ASSERT_GT(files.size(), 15u);
    for (const auto& path : files) {
        SCOPED_TRACE(path);
        gJob.currentInput = path;
        EXPECT_FALSE(ConvertFile());
    }
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
}

TEST_F(CorpusTest, SixteenBitGreyComesOutGrey) {
    for (const char* name : {"pngsuite/basn0g16.png", "libpng-testpngs/gray-16.png"}) {
        SCOPED_TRACE(name);
        gJob.currentInput = std::string(MILLCONV_CORPUS_DIR) + name;
        ASSERT_TRUE(ConvertFile());
        Bitmap output = LoadTga(gJob.outputPath);
        ASSERT_TRUE(output);
        EXPECT_EQ(FreeImage_GetBPP(output.get()), 16u);
        Bitmap rgba(FreeImage_ConvertTo32Bits(output.get()));
        int distinct = 0;
        int previous = -1;
        for (unsigned y = 0; y < FreeImage_GetHeight(rgba.get()); ++y) {
            const BYTE* line = FreeImage_GetScanLine(rgba.get(), static_cast<int>(y));
            for (unsigned x = 0; x < FreeImage_GetWidth(rgba.get()); ++x) {
                const BYTE* p = line + x * 4;
                ASSERT_EQ(p[FI_RGBA_RED], p[FI_RGBA_GREEN]);
                ASSERT_EQ(p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
                distinct += p[FI_RGBA_RED] != previous ? 1 : 0;
                previous = p[FI_RGBA_RED];
            }
        }
        EXPECT_GT(distinct, 10); // a real ramp, not a flat or garbage image
    }
}

} // namespace
} // namespace millconv::test
