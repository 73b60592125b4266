// Writer flags and output parameters per format.
#include "engine_test_support.h"

namespace millconv::test {
namespace {

using OutputParametersTest = EngineTest;

TEST_F(OutputParametersTest, FlagsCombineTheirComponents) {
    auto& output = gSettings.output;
    output.jpgQuality = 80;
    output.jpgChroma = 2;
    output.jpgSaveAs = 3;
    EXPECT_EQ(SaveFlagsForFormat("jpg"), 80 | JPEG_SUBSAMPLING_420 | JPEG_PROGRESSIVE);
    output.pngCompression = 0;
    output.pngInterlaced = 1;
    EXPECT_EQ(SaveFlagsForFormat("png"), PNG_Z_NO_COMPRESSION | PNG_INTERLACED);
    output.tiffCompression = 6;
    output.tiffColorModel = 1;
    EXPECT_EQ(SaveFlagsForFormat("tiff"), TIFF_LZW | TIFF_CMYK);
    output.webpQuality = 99;
    EXPECT_EQ(SaveFlagsForFormat("webp"), 99);
    output.webpQuality = 100;
    EXPECT_EQ(SaveFlagsForFormat("webp"), WEBP_LOSSLESS);
    EXPECT_EQ(SaveFlagsForFormat("jxr"), 100);
    EXPECT_EQ(SaveFlagsForFormat("gif"), 0);
}

TEST_F(OutputParametersTest, OutOfRangeValuesContributeNothing) {
    auto& output = gSettings.output;
    output.tgaCompression = 2;
    EXPECT_EQ(SaveFlagsForFormat("tga"), 0);
    output.exrCompression = 5;
    EXPECT_EQ(SaveFlagsForFormat("exr"), 0);
    output.jpgQuality = 150;
    output.jpgChroma = 9;
    output.jpgSaveAs = 1;
    EXPECT_EQ(SaveFlagsForFormat("jpg"), JPEG_BASELINE);
    output.webpQuality = 0;
    EXPECT_EQ(SaveFlagsForFormat("webp"), 0);
    output.tiffCompression = -1;
    output.tiffColorModel = 2;
    EXPECT_EQ(SaveFlagsForFormat("tiff"), 0);
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
