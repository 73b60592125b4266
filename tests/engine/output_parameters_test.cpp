// Writer flags and output parameters per format.
#include "engine_test_support.h"

#include <vector>

#include "settings/output_formats.h"

namespace millconv::test {
namespace {

using OutputParametersTest = EngineTest;

TEST_F(OutputParametersTest, FlagsCombineTheirComponents) {
    auto& output = gSettings.output;
    output.jpgQuality = 80;
    output.jpgChroma = 2;
    output.jpgSaveAs = 3;
    EXPECT_EQ(SaveFlagsForFormat("jpg", gSettings.output),
              80 | JPEG_SUBSAMPLING_420 | JPEG_PROGRESSIVE);
    output.pngCompression = 0;
    output.pngInterlaced = 1;
    EXPECT_EQ(SaveFlagsForFormat("png", gSettings.output), PNG_Z_NO_COMPRESSION | PNG_INTERLACED);
    output.tiffCompression = 6;
    output.tiffColorModel = 1;
    EXPECT_EQ(SaveFlagsForFormat("tiff", gSettings.output), TIFF_LZW | TIFF_CMYK);
    output.webpQuality = 99;
    EXPECT_EQ(SaveFlagsForFormat("webp", gSettings.output), 99);
    output.webpQuality = 100;
    EXPECT_EQ(SaveFlagsForFormat("webp", gSettings.output), WEBP_LOSSLESS);
    EXPECT_EQ(SaveFlagsForFormat("jxr", gSettings.output), 100);
    EXPECT_EQ(SaveFlagsForFormat("gif", gSettings.output), 0);
}

TEST_F(OutputParametersTest, OutOfRangeValuesContributeNothing) {
    auto& output = gSettings.output;
    output.tgaCompression = 2;
    EXPECT_EQ(SaveFlagsForFormat("tga", gSettings.output), 0);
    output.exrCompression = 5;
    EXPECT_EQ(SaveFlagsForFormat("exr", gSettings.output), 0);
    output.jpgQuality = 150;
    output.jpgChroma = 9;
    output.jpgSaveAs = 1;
    EXPECT_EQ(SaveFlagsForFormat("jpg", gSettings.output), JPEG_BASELINE);
    output.webpQuality = 0;
    EXPECT_EQ(SaveFlagsForFormat("webp", gSettings.output), 0);
    output.tiffCompression = -1;
    output.tiffColorModel = 2;
    EXPECT_EQ(SaveFlagsForFormat("tiff", gSettings.output), 0);
}

TEST_F(OutputParametersTest, FormatsWithoutCatalogueEntryCannotBeSaved) {
    gSettings.output.ddsBpp = 24;
    UseOutputFormat("dds");
    EXPECT_EQ(gJob.outputFormatId, FIF_UNKNOWN);
    EXPECT_EQ(gJob.requestedDepth, 24);
    // An extension without a depth setting keeps the previous depth and flags.
    gJob.requestedDepth = 8;
    gJob.saveFlags = 5;
    gJob.conversion = "zip";
    PrepareOutputParameters();
    EXPECT_EQ(gJob.requestedDepth, 8);
    EXPECT_EQ(gJob.saveFlags, 5);
    EXPECT_FALSE(gJob.automaticDepth);
}

} // namespace
} // namespace millconv::test

namespace millconv::test {
namespace {

// Each compression number must reach the writer as the library's own flag for that format.
TEST_F(OutputParametersTest, CompressionNumbersBecomeTheLibrarysFlags) {
    struct Case {
        const char* extension;
        int32_t Settings::Output::*setting;
        std::vector<int32_t> flags; // by stored number
    };
    const Case cases[] = {
        {"bmp", &Settings::Output::bmpCompression, {0, BMP_SAVE_RLE}},
        {"exr",
         &Settings::Output::exrCompression,
         {EXR_NONE, EXR_ZIP, EXR_PIZ, EXR_PXR24, EXR_B44}},
        {"png",
         &Settings::Output::pngCompression,
         {PNG_Z_NO_COMPRESSION, PNG_Z_BEST_SPEED, PNG_Z_DEFAULT_COMPRESSION,
          PNG_Z_BEST_COMPRESSION}},
        {"tga", &Settings::Output::tgaCompression, {0, TARGA_SAVE_RLE}},
        {"tiff",
         &Settings::Output::tiffCompression,
         {TIFF_NONE, TIFF_CCITTFAX3, TIFF_CCITTFAX4, TIFF_PACKBITS, TIFF_DEFLATE,
          TIFF_ADOBE_DEFLATE, TIFF_LZW, TIFF_JPEG, TIFF_LOGLUV}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        const OutputFormat* row = FindOutputFormatRow(c.extension);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(CompressionChoices(*row).size(), c.flags.size());
        for (size_t number = 0; number < c.flags.size(); ++number) {
            gSettings.output.*c.setting = static_cast<int32_t>(number);
            EXPECT_EQ(SaveFlagsForFormat(c.extension, gSettings.output), c.flags[number]) << number;
        }
        gSettings.output.*c.setting = static_cast<int32_t>(c.flags.size());
        EXPECT_EQ(SaveFlagsForFormat(c.extension, gSettings.output), 0);
        gSettings.output.*c.setting = -1;
        EXPECT_EQ(SaveFlagsForFormat(c.extension, gSettings.output), 0);
    }
}

// The format id of every row is the one the library gives the extension, and the run takes
// its requested depth from that row's own depth setting.
TEST_F(OutputParametersTest, EveryRowPreparesItsFormatAndDepth) {
    for (const OutputFormat& row : kOutputFormats) {
        const std::string extension(row.extension);
        SCOPED_TRACE(extension);
        SetDefaultSettings(true);
        gSettings.output.*row.depth = 24;
        UseOutputFormat(extension);
        const FREE_IMAGE_FORMAT expected =
            row.formatId == kNoFormatId ? FIF_UNKNOWN
                                        : FreeImage_GetFIFFromFilename(("a." + extension).c_str());
        EXPECT_EQ(gJob.outputFormatId, expected);
        EXPECT_EQ(gJob.requestedDepth, 24);
        EXPECT_FALSE(gJob.automaticDepth);
        EXPECT_EQ(DepthSettingFor(extension, gSettings.output), &(gSettings.output.*row.depth));
        // No other format's depth setting moved.
        int nonZero = 0;
        for (const OutputFormat& other : kOutputFormats) {
            nonZero += gSettings.output.*other.depth != 0 ? 1 : 0;
        }
        EXPECT_EQ(nonZero, 1);
    }
    EXPECT_EQ(DepthSettingFor("jpeg", gSettings.output), nullptr);
    EXPECT_EQ(DepthSettingFor("TGA", gSettings.output), nullptr);
}

} // namespace
} // namespace millconv::test
