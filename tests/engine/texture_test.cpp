// Texture outputs: kept alpha, top-left TGAs and 16-bit PNGs reduced by their high bytes.
#include "engine_test_support.h"

#include "engine/alpha.h"
#include "engine/save.h"

#include <cstdlib>

namespace millconv::test {
namespace {

// The 18-byte header's image descriptor.
int Descriptor(const std::string& path) {
    const std::string bytes = ReadAll(path);
    return bytes.size() > 17 ? static_cast<unsigned char>(bytes[17]) : -1;
}

// A 16-bit-per-channel PNG of the given type whose pixel (x, y) is fill(x, y).
template <typename Pixel, typename Fill>
std::string SaveDeepPng(const std::string& path, FREE_IMAGE_TYPE type, unsigned width,
                        unsigned height, Fill fill) {
    Bitmap deep(FreeImage_AllocateT(type, static_cast<int>(width), static_cast<int>(height)));
    for (unsigned y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<Pixel*>(FreeImage_GetScanLine(deep.get(), int(y)));
        for (unsigned x = 0; x < width; ++x) {
            line[x] = fill(x, y);
        }
    }
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, deep.get(), path.c_str(), 0));
    return path;
}

class TextureTest : public EngineTest {
  protected:
    // Converts one input with the current settings into the test folder.
    Bitmap Convert(const std::string& input) {
        UseOutputFormat("tga");
        gJob.currentInput = input;
        EXPECT_TRUE(ConvertFile());
        return Bitmap(FreeImage_Load(FIF_TARGA, gJob.outputPath.c_str(), 0));
    }

    // A 7x5 RGBA image: alpha falls from left to right, colours differ in every channel.
    std::string AlphaGradientPng() {
        Bitmap image = MakeBitmap(7, 5, 32, [](unsigned x, unsigned y) {
            return Rgba(BYTE(200 - y * 9), BYTE(40 + x * 11), BYTE(90 + x * y), BYTE(255 - x * 40));
        });
        const std::string path = folder_ / "alpha.png";
        EXPECT_TRUE(SavePng(image.get(), path));
        return path;
    }
};

TEST_F(TextureTest, KeptAlphaEqualsThePngsAlphaAndDefaultFlattens) {
    const std::string input = AlphaGradientPng();
    Bitmap flattened = Convert(input);
    ASSERT_TRUE(flattened);
    EXPECT_EQ(PixelOf(flattened.get(), 6, 0).rgbReserved, 255);

    gSettings.output.tgaAlpha = 1;
    Bitmap kept = Convert(input);
    ASSERT_TRUE(kept);
    EXPECT_EQ(FreeImage_GetBPP(kept.get()), 32u);
    EXPECT_EQ(Descriptor(gJob.outputPath), 0x08);
    for (unsigned x = 0; x < 7; ++x) {
        const RGBQUAD pixel = PixelOf(kept.get(), x, 2);
        EXPECT_EQ(pixel.rgbReserved, 255 - x * 40) << x;
        EXPECT_EQ(pixel.rgbGreen, 40 + x * 11) << x; // not blended with white
    }
}

TEST_F(TextureTest, GreyStepsKeepTheAlphaWhenKeeping) {
    const std::string input = AlphaGradientPng();
    // The greys the library gives the same pixels, ignoring their alpha.
    Bitmap source(FreeImage_Load(FIF_PNG, input.c_str(), 0));
    Bitmap greys(FreeImage_ConvertToGreyscale(source.get()));
    ASSERT_TRUE(greys);
    const BYTE threshold = 120;
    struct Row {
        const char* name;
        bool greyscale;
        bool blackAndWhite;
    };
    for (const Row& row : {Row{"greyscale", true, false}, Row{"threshold", false, true}}) {
        SCOPED_TRACE(row.name);
        gSettings.output.tgaAlpha = 1;
        gSettings.adjustment.doImageGreyscale = row.greyscale ? 1 : 0;
        gSettings.adjustment.doImageThreshold = row.blackAndWhite ? 1 : 0;
        gSettings.adjustment.imageThreshold = threshold;
        Bitmap kept = Convert(input);
        ASSERT_TRUE(kept);
        ASSERT_EQ(FreeImage_GetBPP(kept.get()), 32u);
        int whites = 0;
        for (unsigned y = 0; y < 5; ++y) {
            for (unsigned x = 0; x < 7; ++x) {
                const RGBQUAD pixel = PixelOf(kept.get(), x, y);
                BYTE grey = 0;
                FreeImage_GetPixelIndex(greys.get(), x, y, &grey);
                const BYTE expected = row.greyscale ? grey : (grey >= threshold ? 255 : 0);
                EXPECT_EQ(pixel.rgbReserved, 255 - x * 40) << x << "," << y;
                EXPECT_EQ(pixel.rgbRed, expected) << x << "," << y;
                EXPECT_EQ(pixel.rgbGreen, expected) << x << "," << y;
                EXPECT_EQ(pixel.rgbBlue, expected) << x << "," << y;
                whites += pixel.rgbRed == 255 ? 1 : 0;
            }
        }
        if (row.blackAndWhite) {
            EXPECT_GT(whites, 0);
            EXPECT_LT(whites, 35);
        }
    }
}

TEST_F(TextureTest, PaletteTransparentIndexBecomesAlphaZero) {
    Bitmap palette(FreeImage_Allocate(4, 3, 8));
    RGBQUAD* colors = FreeImage_GetPalette(palette.get());
    colors[0] = Rgba(10, 20, 30);
    colors[1] = Rgba(200, 100, 50);
    for (unsigned y = 0; y < 3; ++y) {
        BYTE* line = FreeImage_GetScanLine(palette.get(), int(y));
        for (unsigned x = 0; x < 4; ++x) {
            line[x] = BYTE(x % 2);
        }
    }
    BYTE table[2] = {0, 255};
    FreeImage_SetTransparencyTable(palette.get(), table, 2);
    const std::string input = folder_ / "palette.png";
    ASSERT_TRUE(SavePng(palette.get(), input));

    gSettings.output.tgaAlpha = 1;
    Bitmap kept = Convert(input);
    ASSERT_TRUE(kept);
    EXPECT_EQ(gJob.requestedDepth, 32);
    EXPECT_EQ(PixelOf(kept.get(), 0, 1).rgbReserved, 0);
    const RGBQUAD opaque = PixelOf(kept.get(), 1, 1);
    EXPECT_EQ(opaque.rgbReserved, 255);
    EXPECT_EQ(opaque.rgbRed, 200);
    EXPECT_EQ(opaque.rgbBlue, 50);
}

TEST_F(TextureTest, DepthWithoutAlphaFlattensOntoWhiteEvenWhenKeeping) {
    const std::string input = AlphaGradientPng();
    gSettings.output.tgaAlpha = 1;
    gSettings.output.tgaBpp = 24;
    Bitmap output = Convert(input);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 24u);
    // Column 6 has alpha 15: nearly white.
    const RGBQUAD pixel = PixelOf(output.get(), 6, 0);
    const int alpha = 15;
    EXPECT_NEAR(pixel.rgbGreen, (106 * alpha + 255 * (255 - alpha)) / 255, 2);
}

TEST_F(TextureTest, OverKeepsTheOverlaysOpacityOnTransparentPixels) {
    Bitmap image = MakeBitmap(3, 2, 32, [](unsigned x, unsigned) {
        return Rgba(0, 0, 255, BYTE(x == 0 ? 0 : 255));
    });
    Bitmap mark = MakeBitmap(3, 1, 32, [](unsigned, unsigned) { return Rgba(255, 0, 0, 128); });
    // The mark is one row at the top: scan line 1 of the image.
    ASSERT_TRUE(CompositeOver(image.get(), mark.get(), 0, 0));
    const RGBQUAD clear = PixelOf(image.get(), 0, 1);
    EXPECT_EQ(clear.rgbReserved, 128);
    EXPECT_EQ(clear.rgbRed, 255); // nothing underneath to mix with
    const RGBQUAD solid = PixelOf(image.get(), 1, 1);
    EXPECT_EQ(solid.rgbReserved, 255);
    EXPECT_NEAR(solid.rgbRed, 128, 1);
    EXPECT_NEAR(solid.rgbBlue, 127, 1);
    EXPECT_EQ(PixelOf(image.get(), 0, 0).rgbReserved, 0); // the row below is untouched
    EXPECT_FALSE(CompositeOver(image.get(), mark.get(), 1, 0));
}

TEST_F(TextureTest, TopLeftRowsAndDescriptorForEveryDepthRawAndRle) {
    Bitmap image = MakeBitmap(5, 3, 32, [](unsigned x, unsigned y) {
        return Rgba(BYTE(x * 50), BYTE(y * 100), BYTE(30 + x), BYTE(255 - y * 60));
    });
    const std::string input = folder_ / "rows.png";
    ASSERT_TRUE(SavePng(image.get(), input));
    gSettings.output.tgaAlpha = 1;
    for (const int depth : {8, 16, 24, 32}) {
        for (const int rle : {0, 1}) {
            SCOPED_TRACE(std::to_string(depth) + (rle ? " rle" : " raw"));
            gSettings.output.tgaBpp = depth;
            gSettings.output.tgaCompression = rle;
            gSettings.output.tgaOrigin = 0;
            Bitmap bottom = Convert(input);
            const int bottomDescriptor = Descriptor(gJob.outputPath);
            gSettings.output.tgaOrigin = 1;
            Bitmap top = Convert(input);
            ASSERT_TRUE(bottom && top);
            EXPECT_EQ(Descriptor(gJob.outputPath), bottomDescriptor | 0x20);
            if (depth == 32) {
                EXPECT_EQ(Descriptor(gJob.outputPath), 0x28);
            }
            for (unsigned y = 0; y < 3; ++y) {
                for (unsigned x = 0; x < 5; ++x) {
                    const RGBQUAD a = PixelOf(bottom.get(), x, y);
                    const RGBQUAD b = PixelOf(top.get(), x, y);
                    EXPECT_EQ(std::tie(a.rgbRed, a.rgbGreen, a.rgbBlue, a.rgbReserved),
                              std::tie(b.rgbRed, b.rgbGreen, b.rgbBlue, b.rgbReserved));
                }
            }
        }
    }
}

TEST_F(TextureTest, BottomLeftOutputIsTheLibraryWritersOwn) {
    Bitmap image = Gradient(9, 4);
    const std::string input = folder_ / "plain.png";
    ASSERT_TRUE(SavePng(image.get(), input));
    for (const int rle : {0, 1}) {
        gSettings.output.tgaCompression = rle;
        ASSERT_TRUE(Convert(input));
        Bitmap reference(FreeImage_ConvertTo24Bits(image.get()));
        const std::string expected = folder_ / "reference.tga";
        ASSERT_TRUE(FreeImage_Save(FIF_TARGA, reference.get(), expected.c_str(),
                                   rle ? TARGA_SAVE_RLE : 0));
        EXPECT_EQ(ReadAll(gJob.outputPath), ReadAll(expected));
    }
}

TEST_F(TextureTest, DeepColourKeepsItsHighBytes) {
    const std::string input = SaveDeepPng<FIRGB16>(
        folder_ / "deep48.png", FIT_RGB16, 64, 3, [](unsigned x, unsigned y) {
            // A ramp, a flat 0x8080 channel and a second ramp running the other way.
            return FIRGB16{WORD(x * 1024 + y * 97), 0x8080, WORD(0xFFFF - x * 1000)};
        });
    Bitmap output = Convert(input);
    ASSERT_TRUE(output);
    for (unsigned y = 0; y < 3; ++y) {
        for (unsigned x = 0; x < 64; ++x) {
            const RGBQUAD pixel = PixelOf(output.get(), x, y);
            EXPECT_NEAR(pixel.rgbRed, (x * 1024 + y * 97) >> 8, 1) << x;
            EXPECT_NEAR(pixel.rgbGreen, 0x80, 1) << x;
            EXPECT_NEAR(pixel.rgbBlue, (0xFFFF - x * 1000) >> 8, 1) << x;
        }
    }
}

TEST_F(TextureTest, DeepRgbaIsFlattenedFromItsHighBytes) {
    const std::string input = SaveDeepPng<FIRGBA16>(
        folder_ / "deep64.png", FIT_RGBA16, 16, 2, [](unsigned x, unsigned) {
            return FIRGBA16{WORD(0x1000 + x * 0x0F00), 0x4040, 0xC0C0, WORD(0xFFFF - x * 0x1000)};
        });
    Bitmap output = Convert(input);
    ASSERT_TRUE(output);
    for (unsigned x = 0; x < 16; ++x) {
        const int alpha = (0xFFFF - x * 0x1000) >> 8;
        const auto onWhite = [alpha](int c) { return (c * alpha + 255 * (255 - alpha)) / 255; };
        const RGBQUAD pixel = PixelOf(output.get(), x, 1);
        EXPECT_NEAR(pixel.rgbRed, onWhite((0x1000 + x * 0x0F00) >> 8), 2) << x;
        EXPECT_NEAR(pixel.rgbGreen, onWhite(0x40), 2) << x;
        EXPECT_NEAR(pixel.rgbBlue, onWhite(0xC0), 2) << x;
    }
}

} // namespace
} // namespace millconv::test
