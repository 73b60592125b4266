// Whole-file conversions: depths, transparency, colour steps, flags and failure handling.
#include "engine_test_support.h"

#include "engine/color.h"
#include "engine/depth.h"
#include "engine/pipeline.h"

#include <fstream>

namespace millconv::test {
namespace {

class ConversionTest : public EngineTest {
  protected:
    // Saves bitmap as input.png and converts it.
    bool Convert(FIBITMAP* bitmap, const std::string& name = "input.png") {
        gJob.currentInput = input_ / name;
        EXPECT_TRUE(SavePng(bitmap, gJob.currentInput));
        return ConvertFile();
    }

    TempFolder input_;
};

TEST(ChooseAutomaticDepthTest, FirstAllowedDepthThatHoldsTheSource) {
    EXPECT_EQ(ChooseAutomaticDepth("tga", 1), 8);
    EXPECT_EQ(ChooseAutomaticDepth("tga", 8), 8);
    EXPECT_EQ(ChooseAutomaticDepth("tga", 16), 16);
    EXPECT_EQ(ChooseAutomaticDepth("tga", 24), 24);
    EXPECT_EQ(ChooseAutomaticDepth("tga", 32), 32);
    EXPECT_EQ(ChooseAutomaticDepth("tga", 64), 32);
    EXPECT_EQ(ChooseAutomaticDepth("png", 16), 24);
    EXPECT_EQ(ChooseAutomaticDepth("exr", 8), 96);
    EXPECT_EQ(ChooseAutomaticDepth("dds", 24), 0);
}

TEST_F(ConversionTest, TransparentAreasBecomeWhiteAndOpaque) {
    Bitmap image = MakeBitmap(20, 10, 32, [](unsigned x, unsigned) {
        return x < 10 ? Rgba(200, 10, 10, 0) : Rgba(10, 20, 200, 255);
    });
    ASSERT_TRUE(Convert(image.get()));
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 32u);
    const RGBQUAD hidden = PixelOf(output.get(), 2, 5);
    EXPECT_EQ(hidden.rgbRed, 255);
    EXPECT_EQ(hidden.rgbGreen, 255);
    EXPECT_EQ(hidden.rgbBlue, 255);
    EXPECT_EQ(hidden.rgbReserved, 255);
    const RGBQUAD shown = PixelOf(output.get(), 15, 5);
    EXPECT_EQ(shown.rgbBlue, 200);
    EXPECT_EQ(shown.rgbReserved, 255);
}

TEST_F(ConversionTest, NeverWritesOverItsOwnInput) {
    gJob.outputFolder = input_.Path();
    gSettings.advanced.filenameMask = "%filename%.png";
    ASSERT_FALSE(Convert(Gradient(8, 8).get(), "photo.png"));
    EXPECT_EQ(gJob.outputPath, input_ / "photo.png");
    Bitmap kept(FreeImage_Load(FIF_PNG, gJob.outputPath.c_str(), 0));
    ASSERT_TRUE(kept); // still the PNG it was
    EXPECT_EQ(FolderEntries(input_.Path()), std::vector<std::string>{"photo.png"});

    // A file of that name in another folder is written as usual.
    gJob.outputFolder = folder_.Path();
    EXPECT_TRUE(Convert(Gradient(8, 8).get(), "photo.png"));
}

TEST_F(ConversionTest, SixteenBitTgaIsFiveFiveFive) {
    gSettings.output.tgaBpp = 16;
    UseOutputFormat("tga");
    ASSERT_TRUE(Convert(Gradient(32, 32).get()));
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 16u);
    EXPECT_EQ(FreeImage_GetGreenMask(output.get()), static_cast<unsigned>(FI16_555_GREEN_MASK));

    // Other formats get 5-6-5.
    gJob.conversion = "bmp";
    gJob.requestedDepth = 16;
    Bitmap bmp = ApplyColorDepth(Gradient(8, 8));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(FreeImage_GetGreenMask(bmp.get()), static_cast<unsigned>(FI16_565_GREEN_MASK));
}

TEST_F(ConversionTest, EightBitTgaIsAPaletteOf256Colours) {
    gSettings.output.tgaBpp = 8;
    UseOutputFormat("tga");
    ASSERT_TRUE(Convert(Gradient(64, 64).get()));
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 8u);
    EXPECT_EQ(FreeImage_GetColorType(output.get()), FIC_PALETTE);
    EXPECT_EQ(FreeImage_GetColorsUsed(output.get()), 256u);
}

TEST_F(ConversionTest, GreyscaleAndThresholdWidenBackToTheAutomaticDepth) {
    gSettings.adjustment.doImageGreyscale = 1;
    gSettings.adjustment.doImageThreshold = 1;
    gSettings.adjustment.imageThreshold = 128;
    Bitmap image = MakeBitmap(16, 4, 24, [](unsigned x, unsigned) {
        return x < 8 ? Rgba(30, 30, 30) : Rgba(220, 220, 220);
    });
    ASSERT_TRUE(Convert(image.get()));
    EXPECT_EQ(gJob.requestedDepth, 24);
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 24u);
    EXPECT_EQ(PixelOf(output.get(), 1, 1).rgbRed, 0);
    EXPECT_EQ(PixelOf(output.get(), 12, 1).rgbRed, 255);
}

TEST_F(ConversionTest, DeepSourceIsToneMappedThenWidenedTo32Bits) {
    Bitmap deep(FreeImage_ConvertToRGB16(Gradient(24, 24).get()));
    ASSERT_TRUE(Convert(deep.get()));
    EXPECT_EQ(gJob.sourceDepth, 48);
    EXPECT_EQ(gJob.requestedDepth, 32);
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(FreeImage_GetBPP(output.get()), 32u);
    EXPECT_EQ(PixelOf(output.get(), 5, 5).rgbReserved, 255);
}

TEST_F(ConversionTest, DeepSourceWithAlphaIsStillFlattenedOntoWhite) {
    Bitmap image = MakeBitmap(8, 8, 32, [](unsigned x, unsigned) {
        return x < 4 ? Rgba(0, 0, 0, 0) : Rgba(0, 0, 0, 255);
    });
    Bitmap deep(FreeImage_ConvertToType(image.get(), FIT_RGBA16, TRUE));
    ASSERT_TRUE(deep);
    ASSERT_TRUE(Convert(deep.get()));
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(PixelOf(output.get(), 1, 1).rgbRed, 255);
    EXPECT_LT(PixelOf(output.get(), 6, 1).rgbRed, 20);
}

TEST_F(ConversionTest, NonStandardPixelTypesNeverReachTheWriter) {
    gJob.conversion = "tga";
    for (int depth : {8, 16, 24, 32}) {
        gJob.requestedDepth = depth;
        Bitmap grey(FreeImage_AllocateT(FIT_UINT16, 8, 8));
        Bitmap result = ApplyColorDepth(std::move(grey));
        ASSERT_TRUE(result) << depth;
        EXPECT_EQ(FreeImage_GetImageType(result.get()), FIT_BITMAP) << depth;
        EXPECT_EQ(FreeImage_GetBPP(result.get()), static_cast<unsigned>(depth));
    }
    gJob.requestedDepth = 7;
    EXPECT_FALSE(ApplyColorDepth(Gradient(4, 4)));
}

TEST_F(ConversionTest, ColourCorrectionWidensPalettesAndInverts) {
    gSettings.adjustment.doImageColorCorrection = 1;
    gSettings.adjustment.imageGamma = 1.0f;
    gSettings.adjustment.imageInvert = 1;
    Bitmap mono(FreeImage_Threshold(Gradient(8, 8).get(), 128));
    ASSERT_EQ(FreeImage_GetBPP(mono.get()), 1u);
    const BYTE before = PixelOf(mono.get(), 0, 0).rgbRed;
    Bitmap adjusted = ApplyColorCorrection(std::move(mono));
    ASSERT_TRUE(adjusted);
    EXPECT_EQ(FreeImage_GetBPP(adjusted.get()), 24u);
    EXPECT_EQ(PixelOf(adjusted.get(), 0, 0).rgbRed, 255 - before);
}

TEST_F(ConversionTest, RotatedCornersKeepTheBackColourOnAlphaImages) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotationType = 0;
    gSettings.transform.imageRotation = 45;
    gSettings.transform.imageRotationBackColor = "00FF00";
    for (unsigned bpp : {24u, 32u}) {
        // One translucent pixel keeps the alpha channel in the PNG.
        Bitmap image = MakeBitmap(40, 40, bpp, [](unsigned x, unsigned y) {
            return Rgba(90, 60, 30, x == 20 && y == 20 ? 128 : 255);
        });
        ASSERT_TRUE(Convert(image.get())) << bpp;
        ASSERT_EQ(gJob.sourceDepth, static_cast<int32_t>(bpp));
        Bitmap output = LoadTga(gJob.outputPath);
        ASSERT_TRUE(output);
        const RGBQUAD corner = PixelOf(output.get(), 0, 0);
        EXPECT_EQ(corner.rgbRed, 0) << bpp;
        EXPECT_EQ(corner.rgbGreen, 255) << bpp;
        EXPECT_EQ(corner.rgbBlue, 0) << bpp;
    }
}

TEST_F(ConversionTest, RotatedTransparentPalettesAreStillFlattenedOntoWhite) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotation = 90;
    for (unsigned bpp : {1u, 4u, 8u}) {
        // Index 0 is transparent red, index 1 opaque blue; the left half is transparent.
        Bitmap image(FreeImage_Allocate(8, 8, static_cast<int>(bpp)));
        RGBQUAD* palette = FreeImage_GetPalette(image.get());
        palette[0] = Rgba(255, 0, 0);
        palette[1] = Rgba(0, 0, 255);
        BYTE alphas[2] = {0, 255};
        FreeImage_SetTransparencyTable(image.get(), alphas, 2);
        for (unsigned y = 0; y < 8; ++y) {
            for (unsigned x = 0; x < 8; ++x) {
                BYTE index = x < 4 ? 0 : 1;
                FreeImage_SetPixelIndex(image.get(), x, y, &index);
            }
        }
        ASSERT_TRUE(Convert(image.get())) << bpp;
        Bitmap output = LoadTga(gJob.outputPath);
        ASSERT_TRUE(output);
        // Turned a quarter counter-clockwise, the transparent half is at the bottom.
        const RGBQUAD hidden = PixelOf(output.get(), 3, 1);
        EXPECT_EQ(hidden.rgbRed, 255) << bpp;
        EXPECT_EQ(hidden.rgbGreen, 255) << bpp;
        EXPECT_EQ(hidden.rgbBlue, 255) << bpp;
        const RGBQUAD shown = PixelOf(output.get(), 3, 6);
        EXPECT_EQ(shown.rgbRed, 0) << bpp;
        EXPECT_EQ(shown.rgbBlue, 255) << bpp;
    }
}

TEST_F(ConversionTest, RleFlagWritesCompressedTga) {
    Bitmap flat = MakeBitmap(200, 100, 24, [](unsigned, unsigned) { return Rgba(9, 9, 9); });
    ASSERT_TRUE(Convert(flat.get()));
    const auto plainSize = std::filesystem::file_size(gJob.outputPath);
    gSettings.output.tgaCompression = 1;
    UseOutputFormat("tga");
    EXPECT_EQ(gJob.saveFlags, TARGA_SAVE_RLE);
    ASSERT_TRUE(Convert(flat.get()));
    const auto rleSize = std::filesystem::file_size(gJob.outputPath);
    EXPECT_GE(plainSize, 200u * 100u * 3u);
    EXPECT_LT(rleSize, plainSize / 10);
    Bitmap output = LoadTga(gJob.outputPath);
    ASSERT_TRUE(output);
    EXPECT_EQ(PixelOf(output.get(), 150, 50).rgbGreen, 9);
}

TEST_F(ConversionTest, UnreadableInputsFailWithoutOutput) {
    gJob.currentInput = input_ / "empty.png";
    std::ofstream(gJob.currentInput).close();
    EXPECT_FALSE(ConvertFile());
    gJob.currentInput = input_ / "text.png";
    std::ofstream(gJob.currentInput) << "not an image";
    EXPECT_FALSE(ConvertFile());
    gJob.currentInput = input_ / "missing.png";
    EXPECT_FALSE(ConvertFile());
    EXPECT_TRUE(FolderEntries(folder_.Path()).empty());
}

TEST_F(ConversionTest, RecordsSizeAfterGeometryAndOverwritesEarlierOutput) {
    gSettings.transform.doImageRotation = 1;
    gSettings.transform.imageRotation = 90;
    ASSERT_TRUE(Convert(Gradient(30, 20).get(), "photo.png"));
    EXPECT_EQ(gJob.imageWidth, 20);
    EXPECT_EQ(gJob.imageHeight, 30);
    EXPECT_EQ(gJob.outputPath, folder_ / "photo.tga");
    ASSERT_TRUE(Convert(Gradient(40, 10).get(), "photo.png"));
    Bitmap output = LoadTga(folder_ / "photo.tga");
    EXPECT_EQ(FreeImage_GetWidth(output.get()), 10u);
    EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"photo.tga"});
}

} // namespace
} // namespace millconv::test
