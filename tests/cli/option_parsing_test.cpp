// Option words, values, numbers, keyword tables and the parse loop's effect on the records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <variant>

#include "cli/command_line.h"
#include "cli/command_line_parse.h"
#include "cli/option_parsing.h"
#include "cli/option_table.h"
#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/output_formats.h"
#include "settings/settings.h"

namespace millconv {
namespace {

TEST(OptionWords, NameAndValueOfAParameter) {
    EXPECT_EQ(OptionName("  --Input=/tmp/A b.png "), "--INPUT");
    EXPECT_EQ(OptionName("-i"), "-I");
    EXPECT_EQ(OptionName("-i=x"), "-I=X"); // a short option never carries a value
    EXPECT_EQ(OptionName("photo.png"), "");
    EXPECT_EQ(OptionName("--invert=0"), "--INVERT");

    EXPECT_EQ(OptionValue(" --width=800 "), "800");
    EXPECT_EQ(OptionValue("--wm-text=a=b"), "a=b"); // everything after the first "="
    EXPECT_EQ(OptionValue("--width"), "--width");
    EXPECT_EQ(OptionValue("--width="), "");
    EXPECT_EQ(OptionValue("-o"), "-o");
    EXPECT_EQ(OptionValue("  /tmp/out  "), "/tmp/out");
}

TEST(OptionWords, QuotesAreJoinedAndStripped) {
    const std::vector<std::string> parameters = {"-i", "\"/tmp/my", "big", "pic.png\"", "-q"};
    size_t index = 1;
    EXPECT_EQ(JoinQuotedValue(parameters[1], parameters, index), "\"/tmp/my big pic.png\"");
    EXPECT_EQ(index, 3u);

    // Running out of parameters ends the joining without an error.
    const std::vector<std::string> open = {"--wm-text=\"a", "b"};
    index = 0;
    EXPECT_EQ(JoinQuotedValue("\"a", open, index), "\"a b");
    EXPECT_EQ(index, 1u);

    // Balanced or unquoted values are left alone.
    index = 0;
    EXPECT_EQ(JoinQuotedValue("\"ab\"", open, index), "\"ab\"");
    EXPECT_EQ(JoinQuotedValue("ab\"", open, index), "ab\"");
    EXPECT_EQ(index, 0u);

    EXPECT_EQ(StripQuotes("\"\"a \"b\"\""), "a \"b");
    EXPECT_EQ(StripQuotes("\"\""), "");
}

TEST(OptionNumbers, IntegersInEveryNotation) {
    EXPECT_EQ(ReadInteger("800"), 800);
    EXPECT_EQ(ReadInteger(" \t-50"), -50);
    EXPECT_EQ(ReadInteger("+7px"), 7);
    EXPECT_EQ(ReadInteger("$ff"), 255);
    EXPECT_EQ(ReadInteger("-$10"), -16);
    EXPECT_EQ(ReadInteger("%1011"), 11);
    EXPECT_EQ(ReadInteger("%102"), 2); // reading stops at the first other digit
    EXPECT_EQ(ReadInteger("abc"), 0);
    EXPECT_EQ(ReadInteger(""), 0);
    EXPECT_EQ(ReadInteger("-"), 0);
    EXPECT_EQ(ReadInteger("2147483647"), 2147483647);
    EXPECT_EQ(ReadInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadInteger("4294967297"), 1); // the low 32 bits
    EXPECT_EQ(ReadInteger("99999999999999999999999"), ReadInteger("99999999999999999999999"));
}

TEST(OptionNumbers, CountsAreDigitsUpToTheirLargest) {
    const std::pair<const char*, uint64_t> counts[] = {
        {"1", 1},          {"07", 7},         {"2147483647", 2147483647},
        {"2147483648", 0}, {"4294967297", 0}, {"0", 0},
        {"", 0},           {"-3", 0},         {"+3", 0},
        {"3x", 0},         {" 3", 0},         {"99999999999999999999999", 0}};
    for (const auto& [text, expected] : counts) {
        EXPECT_EQ(ReadCount(text, INT32_MAX).value_or(0), expected) << text;
    }
    EXPECT_EQ(ReadCount("9", 9).value_or(0), 9u);
    EXPECT_FALSE(ReadCount("10", 9));
}

TEST(OptionNumbers, Decimals) {
    EXPECT_FLOAT_EQ(ReadDecimal("9.99"), 9.99f);
    EXPECT_FLOAT_EQ(ReadDecimal("-0.5"), -0.5f);
    EXPECT_FLOAT_EQ(ReadDecimal(".25"), 0.25f);
    EXPECT_FLOAT_EQ(ReadDecimal("1e1"), 10.0f);
    EXPECT_EQ(ReadDecimal("abc"), 0.0f);
    EXPECT_EQ(ReadDecimal("inf"), 0.0f);
    EXPECT_FLOAT_EQ(ReadDecimal(" 2.5\t"), 2.5f);
    EXPECT_FLOAT_EQ(ReadDecimal("+5."), 5.0f);
    // Only a whole number counts: a typo must not pass for the number it starts with.
    EXPECT_EQ(ReadDecimal("9,99"), 0.0f);
    EXPECT_EQ(ReadDecimal("1.5x"), 0.0f);
    EXPECT_EQ(ReadDecimal("1e"), 0.0f);
    EXPECT_EQ(ReadDecimal("."), 0.0f);
    EXPECT_EQ(ReadDecimal("NaNa"), 0.0f);
    EXPECT_TRUE(std::isinf(ReadDecimal("+INFINITY")) && ReadDecimal("+Infinity") > 0);
    EXPECT_TRUE(std::isinf(ReadDecimal("-infinity")) && ReadDecimal("-Infinity") < 0);
    EXPECT_TRUE(std::isnan(ReadDecimal("nan")));
    EXPECT_TRUE(std::isinf(ReadDecimal("1e300"))); // beyond the float range, not undefined
}

TEST(UsageText, FitsATerminalAndNamesTheBatchOptionsLast) {
    const std::vector<std::string> lines = UsageLines("millconv");
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 79u) << line;
    }
    const auto block = std::find(lines.begin(), lines.end(), "Batch and texture options:");
    ASSERT_NE(block, lines.end());
    // Every option of the block is one the parser knows.
    for (auto line = block + 1; line != lines.end(); ++line) {
        if (line->starts_with("  --")) {
            const std::string option = line->substr(2, line->find_first_of("= ", 2) - 2);
            EXPECT_TRUE(ParseParameters({"-i", "a.png", option + "=1"}).unknownOptions.empty())
                << option;
        }
    }
}

TEST(KeywordTables, LookupInBothDirections) {
    EXPECT_EQ(LookupKeyword("progressive", KeywordTable::JpegSave), 3);
    EXPECT_EQ(LookupKeyword("  PROGRESSIVE ", KeywordTable::JpegSave), 3);
    EXPECT_EQ(LookupKeyword("fast", KeywordTable::JpegSave), 0);
    EXPECT_EQ(LookupKeyword("48hs", KeywordTable::RawLoad), 4);
    EXPECT_EQ(LookupKeyword("48", KeywordTable::RawLoad), 5);
    EXPECT_EQ(LookupKeyword("zlib9", KeywordTable::Compression), 3);
    EXPECT_EQ(LookupKeyword("lzw", KeywordTable::Compression), 6);
    EXPECT_EQ(LookupKeyword("scaled", KeywordTable::SizeMode), 0);
    EXPECT_EQ(LookupKeyword("bottomright", KeywordTable::Position), 8);

    // Compression numbers mean different things per format.
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 1, "tga"), "RLE");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 1, "bmp"), "RLE");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 2, "png"), "ZLIB6");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 1, "exr"), "ZIP");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 8, "tiff"), "LOGLUV");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, 2, "tga"), "");
    EXPECT_EQ(KeywordText(KeywordTable::Compression, -1, "tga"), "");
    EXPECT_EQ(KeywordText(KeywordTable::Position, 4), "MIDDLECENTER");
    EXPECT_EQ(KeywordText(KeywordTable::WatermarkKind, 2), "IMAGE");
    EXPECT_EQ(KeywordText(KeywordTable::FontEffect, 3), "");
}

// Every option must write a setting of a type its class can hold, or it silently stores
// nothing.
TEST(OptionTableRows, EveryRowNamesAFittingSetting) {
    int depthRows = 0;
    for (const OptionDef& option : OptionTable()) {
        SCOPED_TRACE(std::string(option.word));
        const SettingDef* setting = option.setting;
        ASSERT_NE(setting, nullptr);
        const SettingField field = setting->field(gSettings);
        switch (option.valueClass) {
        case OptionClass::Text:
            EXPECT_TRUE(std::holds_alternative<std::string*>(field));
            break;
        case OptionClass::Decimal:
            EXPECT_TRUE(std::holds_alternative<float*>(field));
            break;
        default:
            EXPECT_TRUE(std::holds_alternative<int32_t*>(field) ||
                        std::holds_alternative<int8_t*>(field));
        }
        EXPECT_EQ(option.valueClass == OptionClass::Keyword, option.table != KeywordTable::None);
        if (option.also != nullptr) {
            EXPECT_EQ(option.also->group, setting->group);
        }
        EXPECT_EQ(FindOption(option.word), &option) << "duplicate option word";
        depthRows += option.word.ends_with("-BPP") ? 1 : 0;
    }
    EXPECT_EQ(depthRows, static_cast<int>(std::size(kOutputFormats)));
    EXPECT_EQ(std::size(kOutputFormats), 23u);
    EXPECT_EQ(FindProfileOption("--FR-SOLID-OPACITY"), nullptr);
    ASSERT_NE(FindProfileOption("--WM-SOLID-OPACITY"), nullptr);
    EXPECT_EQ(FindProfileOption("--WM-SOLID-OPACITY")->setting->key, "Solid Opacity");
    EXPECT_EQ(FindOption("--INPUT"), nullptr);
    EXPECT_EQ(FindProfileOption("--PROFILE"), nullptr);
}

class ParseLoop : public testing::Test {
  protected:
    void SetUp() override {
        BuildInputCatalogue();
        BuildOutputCatalogue();
        ResetJobState();
        gJob.runMode.clear();
        SetDefaultSettings(true);
    }

    static ParseOutcome Parse(std::vector<std::string> parameters) {
        return ParseParameters(parameters);
    }
};

TEST_F(ParseLoop, TextureOptionsAndBatchInputs) {
    EXPECT_EQ(Parse({"--tga-alpha=Keep", "--tga-origin= top-left "}).error, "");
    EXPECT_EQ(gSettings.output.tgaAlpha, 1);
    EXPECT_EQ(gSettings.output.tgaOrigin, 1);
    EXPECT_EQ(Parse({"--tga-alpha=flatten", "--tga-origin=upside"}).error, "");
    EXPECT_EQ(gSettings.output.tgaAlpha, 0);
    EXPECT_EQ(gSettings.output.tgaOrigin, 0); // an unknown word reads as the default
    ASSERT_NE(FindProfileOption("--TGA-ALPHA"), nullptr);
    ASSERT_NE(FindProfileOption("--TGA-ORIGIN"), nullptr);
    EXPECT_EQ(FindProfileOption("--BATCH"), nullptr);
    EXPECT_EQ(FindProfileOption("--JOBS"), nullptr);

    const ParseOutcome batch =
        Parse({"a.png", "--batch", "-i", "/t/one", "--jobs=3", "b", "--input=/t/two.png", "-q"});
    EXPECT_EQ(batch.error, "");
    EXPECT_TRUE(batch.batch);
    EXPECT_TRUE(batch.quiet);
    EXPECT_EQ(batch.jobs, "3");
    EXPECT_EQ(batch.inputs, (std::vector<std::string>{"/t/one", "/t/two.png"}));
    EXPECT_EQ(batch.operands, (std::vector<std::string>{"a.png", "b"}));
    EXPECT_EQ(Parse({"--batch", "--jobs"}).error, "Incorrect number of parameters");
    EXPECT_FALSE(Parse({"a.png"}).batch);
}

TEST_F(ParseLoop, SettingsAndAlsoSets) {
    EXPECT_EQ(Parse({"--width-unit=percent"}).error, "");
    EXPECT_EQ(gSettings.transform.doImageResize, 0); // a unit never switches resizing on
    EXPECT_EQ(gSettings.transform.imageWidthUnit, 1);

    EXPECT_EQ(
        Parse({"--width=50", "--png-compression=zlib9", "--wm-text-size=5",
               "--wm-image=\"/tmp/w m.png\"", "--no-subfolders", "--fr-solid-top-color=FF0000",
               "--gamma=2.5", "--png-interlaced=0", "--jpg-save-as=PROGRESSIVE"})
            .error,
        "");
    EXPECT_EQ(gSettings.transform.doImageResize, 1);
    EXPECT_EQ(gSettings.transform.imageWidth, 50);
    EXPECT_EQ(gSettings.output.pngCompression, 3);
    EXPECT_EQ(gSettings.watermark.textSize, 0);
    EXPECT_EQ(gSettings.watermark.doWatermark, 2);
    EXPECT_EQ(gSettings.watermark.image, "/tmp/w m.png");
    EXPECT_EQ(gSettings.advanced.keepSubfolders, 0);
    EXPECT_EQ(gSettings.frame.doFrame, 0);
    EXPECT_EQ(gSettings.frame.solidTopColor, "FF0000");
    EXPECT_EQ(gSettings.adjustment.doImageColorCorrection, 1);
    EXPECT_FLOAT_EQ(gSettings.adjustment.imageGamma, 2.5f);
    EXPECT_EQ(gSettings.output.pngInterlaced, 1); // flags ignore their "=" value
    EXPECT_EQ(gSettings.output.jpgSaveAs, 3);

    // A later option overrides an earlier one; 8-bit settings keep their low 8 bits.
    EXPECT_EQ(Parse({"--wm-text=x", "--rotation=90", "--rotation=-45", "--threshold=300"}).error,
              "");
    EXPECT_EQ(gSettings.watermark.doWatermark, 1);
    EXPECT_EQ(gSettings.transform.imageRotation, -45);
    EXPECT_EQ(gSettings.adjustment.imageThreshold, 300);
    EXPECT_EQ(Parse({"--resize-algorithm=lanczos", "--wm-font-style=bolditalic"}).error, "");
    EXPECT_EQ(gSettings.transform.imageResizeAlgorithm, 5);
    EXPECT_EQ(gSettings.watermark.fontStyle, 3);
}

TEST_F(ParseLoop, JobFieldsAndGeneralOptions) {
    const ParseOutcome outcome =
        Parse({"-d", "-I", "\"/tmp/a", "b.png\"", "--OUTPUT=out", "-c", "tga", "--quiet", "-U"});
    EXPECT_EQ(outcome.error, "");
    EXPECT_TRUE(outcome.quiet);
    EXPECT_FALSE(outcome.pause);
    EXPECT_TRUE(gJob.inputGiven);
    EXPECT_EQ(gJob.baseFolder, "/tmp/a b.png");
    EXPECT_EQ(gJob.outputFolder, "out");
    EXPECT_EQ(gJob.conversion, "tga");
    EXPECT_EQ(gJob.runMode, "DEBUG");
}

TEST_F(ParseLoop, FirstErrorEndsTheLoop) {
    ParseOutcome outcome = Parse({"--input="});
    EXPECT_EQ(outcome.error, "Incorrect number of parameters");
    EXPECT_TRUE(gJob.inputGiven); // set before the value is refused

    outcome = Parse({"-p", "--brightness=--50", "--contrast=5"});
    EXPECT_EQ(outcome.error, "Incorrect number of parameters");
    EXPECT_TRUE(outcome.pause);
    EXPECT_EQ(gSettings.adjustment.imageContrast, 0);

    outcome = Parse({"--brightness=-50"});
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(gSettings.adjustment.imageBrightness, -50);

    // -c takes -p as its value and refuses it: the pause flag is never set.
    outcome = Parse({"-c", "-p"});
    EXPECT_EQ(outcome.error, "Incorrect number of parameters");
    EXPECT_FALSE(outcome.pause);

    EXPECT_EQ(Parse({"--profile"}).error, "Incorrect number of parameters");
    EXPECT_EQ(Parse({"--profile=\"\""}).error, "Invalid profile file");
    EXPECT_EQ(Parse({"--profile=/nonexistent/p.ini"}).error, "Invalid profile file");
}

TEST_F(ParseLoop, ValuesUpToTheLengthLimit) {
    const std::string limit(kMaxValueLength, 'w');
    EXPECT_EQ(Parse({"--wm-text=" + limit}).error, "");
    EXPECT_EQ(gSettings.watermark.text.size(), kMaxValueLength);
    // One byte more is refused, before the setting changes and whichever way it arrives.
    gSettings.watermark.text = "kept";
    EXPECT_EQ(Parse({"--wm-text=" + limit + "w"}).error,
              "Value of --wm-text is longer than 65536 bytes");
    EXPECT_EQ(gSettings.watermark.text, "kept");
    EXPECT_EQ(Parse({"--wm-text=\"" + limit, "w\""}).error,
              "Value of --wm-text is longer than 65536 bytes");
    EXPECT_EQ(Parse({"-o", limit + "o"}).error, "Value of -o is longer than 65536 bytes");
    EXPECT_EQ(Parse({"--profile=" + limit + "p"}).error,
              "Value of --profile is longer than 65536 bytes");
    EXPECT_EQ(Parse({"--brightness=" + limit}).error, "");
    EXPECT_EQ(Parse({"--brightness=" + limit + "0"}).error,
              "Value of --brightness is longer than 65536 bytes");
}

// Without -i nothing is printed and the window mode follows, whatever else was given.
TEST_F(ParseLoop, WindowModeFollowsWithoutInput) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunCommandLine({}), std::nullopt);
    EXPECT_EQ(RunCommandLine({"-o", "/tmp/out", "--width=5", "photo.png"}), std::nullopt);
    EXPECT_EQ(RunCommandLine({"-i=/tmp/a.png"}), std::nullopt); // the unknown option -I=...
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ParseLoop, ProfileKeysInFileOrderAtTheirPlace) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("millconv-profile-" + std::to_string(getpid()) + ".ini");
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF\r\n[CLI]\r\n--Tga-Compression =  rle \r\n--jpg-quality=\r\n"
               "--WM-TEXT =  \"hi\" \r\n--FLIP-VERTICAL = 0\r\n--width = 10\r\n--width = 30\r\n"
               "--fr-solid-opacity = 9\r\n--wm-solid-opacity = 128\r\n--wm-font-size\r\n";
    }
    EXPECT_EQ(Parse({"--jpg-quality=50", "--profile=" + path.string(), "--width=40"}).error, "");
    EXPECT_EQ(gSettings.output.tgaCompression, 1);
    EXPECT_EQ(gSettings.output.jpgQuality, 0);     // an empty profile value converts to 0
    EXPECT_EQ(gSettings.watermark.text, "\"hi\""); // only blanks are removed
    EXPECT_EQ(gSettings.transform.doImageFlipVertical, 1);
    EXPECT_EQ(gSettings.transform.imageWidth, 40);
    EXPECT_EQ(gSettings.frame.solidOpacity, 128);
    EXPECT_EQ(gSettings.watermark.fontSize, 0);

    EXPECT_EQ(Parse({"--profile=" + path.string()}).error, "");
    EXPECT_EQ(gSettings.transform.imageWidth, 30); // the last line of a key wins
    std::filesystem::remove(path);
}

TEST_F(ParseLoop, ProfileValuesUpToTheLengthLimit) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("millconv-long-" + std::to_string(getpid()) + ".ini");
    const auto load = [&path](const std::string& value) {
        std::ofstream(path, std::ios::binary) << "[CLI]\n--wm-text=" << value << "\n";
        return Parse({"--profile=" + path.string()}).error;
    };
    const std::string limit(kMaxValueLength, 'p');
    EXPECT_EQ(load(limit), "");
    EXPECT_EQ(gSettings.watermark.text, limit);
    gSettings.watermark.text = "kept";
    EXPECT_NE(load(limit + "p").find("longer than 65536 bytes"), std::string::npos);
    EXPECT_EQ(gSettings.watermark.text, "kept");
    std::filesystem::remove(path);
}

} // namespace
} // namespace millconv
