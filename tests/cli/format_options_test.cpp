// The output format rows as the command line and the debug echo see them: depth options,
// compression words in both directions, and the echo rows of each format.
#include <gtest/gtest.h>

#include <string>

#include "cli/debug_echo.h"
#include "cli/option_parsing.h"
#include "cli/option_table.h"
#include "settings/output_formats.h"
#include "settings/settings.h"
#include "support/ascii_case.h"

namespace millconv {
namespace {

using test::Lower;
using test::Upper;

class FormatOptions : public testing::Test {
  protected:
    void SetUp() override { SetDefaultSettings(true); }
};

TEST_F(FormatOptions, EveryRowHasADepthOptionWritingItsOwnSetting) {
    for (const OutputFormat& row : kOutputFormats) {
        const std::string word = "--" + Upper(row.extension) + "-BPP";
        SCOPED_TRACE(word);
        const OptionDef* option = FindOption(word);
        ASSERT_NE(option, nullptr);
        EXPECT_EQ(option->valueClass, OptionClass::Integer);
        EXPECT_EQ(FindProfileOption(word), option);
        ApplyOption(*option, "48", ValueSource::CommandLine);
        EXPECT_EQ(gSettings.output.*row.depth, 48);
        gSettings.output.*row.depth = 0;
    }
}

TEST_F(FormatOptions, CompressionWordsReadBackAsTheFormatsOwn) {
    for (const OutputFormat& row : kOutputFormats) {
        SCOPED_TRACE(std::string(row.extension));
        const std::span<const FlagChoice> choices = CompressionChoices(row);
        if (choices.empty()) {
            EXPECT_EQ(KeywordText(KeywordTable::Compression, 0, row.extension), "");
            continue;
        }
        for (size_t i = 0; i < choices.size(); ++i) {
            const std::string_view word = choices[i].word;
            EXPECT_EQ(KeywordText(KeywordTable::Compression, static_cast<int>(i), row.extension),
                      word);
            EXPECT_EQ(LookupKeyword(Lower(word), KeywordTable::Compression), static_cast<int>(i));
        }
        EXPECT_EQ(
            KeywordText(KeywordTable::Compression, static_cast<int>(choices.size()), row.extension),
            "");
    }
    // Any format's word is accepted for any compression option.
    const OptionDef* tga = FindOption("--TGA-COMPRESSION");
    ASSERT_NE(tga, nullptr);
    ApplyOption(*tga, "adobedeflate", ValueSource::CommandLine);
    EXPECT_EQ(gSettings.output.tgaCompression, 5);
}

// An echo row that shows another format's setting would print a plausible but wrong value.
TEST_F(FormatOptions, EchoRowsShowOnlyTheirFormatsSettings) {
    int shown = 0;
    for (const OutputFormat& row : kOutputFormats) {
        for (const EchoRow& echo : OutputEchoRows(row.extension)) {
            if (echo.setting == nullptr) {
                continue; // a check
            }
            ++shown;
            EXPECT_EQ(echo.setting->group, "Output");
            EXPECT_TRUE(echo.setting->key.starts_with(Upper(row.extension) + " "))
                << echo.setting->key;
        }
    }
    EXPECT_EQ(shown, 14);
    for (const std::string_view format : {"dds", "gif", "ico", "psd", "raw", "tiff"}) {
        ASSERT_FALSE(InputEchoRows(format).empty()) << format;
        for (const EchoRow& echo : InputEchoRows(format)) {
            EXPECT_EQ(echo.setting->group, "Input");
            EXPECT_TRUE(echo.setting->key.starts_with(Upper(format) + " ")) << echo.setting->key;
        }
    }
    EXPECT_TRUE(InputEchoRows("png").empty());
}

TEST_F(FormatOptions, EchoLinesUseTheConversionsWordsAndPairs) {
    gSettings.output.pngCompression = 2;
    EXPECT_EQ(EchoLine(OutputEchoRows("png")[0], "png"), "PNG Compression: ZLIB6");
    gSettings.output.tgaCompression = 1;
    EXPECT_EQ(EchoLine(OutputEchoRows("tga")[0], "tga"), "TGA Compression: RLE");
    gSettings.output.tiffCompression = 6;
    EXPECT_EQ(EchoLine(OutputEchoRows("tiff")[0], "tiff"), "TIFF Compression: LZW");
    // The TGA alpha and origin lines appear only when set, so default runs echo as before.
    EXPECT_EQ(EchoLine(OutputEchoRows("tga")[1], "tga"), "");
    EXPECT_EQ(EchoLine(OutputEchoRows("tga")[2], "tga"), "");
    gSettings.output.tgaAlpha = 1;
    gSettings.output.tgaOrigin = 1;
    EXPECT_EQ(EchoLine(OutputEchoRows("tga")[1], "tga"), "TGA Alpha: KEEP");
    EXPECT_EQ(EchoLine(OutputEchoRows("tga")[2], "tga"), "TGA Origin: TOP-LEFT");

    // The resize block: width and its unit on one line, shown only while resizing is on.
    const EchoBlock* resize = nullptr;
    for (const EchoBlock& block : TransformEchoBlocks()) {
        if (block.setting != nullptr && block.setting->key == "Do Image Resize") {
            resize = &block;
        }
    }
    ASSERT_NE(resize, nullptr);
    EXPECT_FALSE(BlockApplies(*resize));
    gSettings.transform.doImageResize = 1;
    EXPECT_TRUE(BlockApplies(*resize));
    gSettings.transform.imageWidth = 801;
    gSettings.transform.imageWidthUnit = 1;
    EXPECT_EQ(EchoLine(resize->rows[0], "tga"), "Width: 801 PERCENT");
}

TEST_F(FormatOptions, EchoBlocksOfAKindShowOnlyForThatKind) {
    int textRows = 0;
    int imageRows = 0;
    gSettings.watermark.doWatermark = 2;
    for (const EchoBlock& block : TransformEchoBlocks()) {
        if (block.setting != nullptr && block.setting->key == "Do Watermark" &&
            BlockApplies(block)) {
            textRows += block.rows[0].setting->key == "Text" ? 1 : 0;
            imageRows += block.rows[0].setting->key == "Image" ? 1 : 0;
        }
    }
    EXPECT_EQ(textRows, 0);
    EXPECT_EQ(imageRows, 1);
}

} // namespace
} // namespace millconv
