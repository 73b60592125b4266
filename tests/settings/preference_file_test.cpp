// Preference-file reading (encodings, line ends, matching, numbers) and writing.
#include "settings/preference_file.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace millconv {
namespace {

TEST(PreferenceFile, TextWithoutByteOrderMarkIsLatin1) {
    PreferenceFile file = PreferenceFile::Parse("[Watermark]\r\nText = Caf\xE9\r\n");
    ASSERT_TRUE(file.SelectGroup("Watermark"));
    EXPECT_EQ(file.ReadString("Text", ""), "Caf\xC3\xA9");

    PreferenceFile utf8 =
        PreferenceFile::Parse("\xEF\xBB\xBF\r\n[Watermark]\r\nText = Caf\xC3\xA9\r\n");
    ASSERT_TRUE(utf8.SelectGroup("Watermark"));
    EXPECT_EQ(utf8.ReadString("Text", ""), "Caf\xC3\xA9");
}

TEST(PreferenceFile, GroupsAndKeysMatchInAnyCaseAndTheFirstWins) {
    PreferenceFile file = PreferenceFile::Parse("[general]\ncfg = 9\n"
                                                "[Window]\nWidth = 600\nWIDTH = 700\n"
                                                "[WINDOW]\nHeight = 300\n");
    ASSERT_TRUE(file.SelectGroup("General"));
    EXPECT_EQ(file.ReadInteger("CFG", -1), 9);
    ASSERT_TRUE(file.SelectGroup("window"));
    EXPECT_EQ(file.ReadInteger("Width", -1), 600);
    // Only the first group of a name is searched, and never past its end.
    EXPECT_EQ(file.ReadInteger("Height", -1), -1);
    EXPECT_EQ(file.ReadInteger("cfg", -1), -1);
    EXPECT_FALSE(file.SelectGroup("Missing"));
    EXPECT_EQ(file.ReadInteger("Width", 42), 42);
    EXPECT_TRUE(file.GroupEntries().empty());
}

TEST(PreferenceFile, LinesEndAtCrLfOrCrLfAndAreTrimmed) {
    PreferenceFile file = PreferenceFile::Parse("\r\n  \t[CLI\r"
                                                "  ; a comment = 1\n"
                                                "\t--WIDTH \t=\t 640 \t\r\n"
                                                "\r\n"
                                                "-q\n"
                                                "--TEXT=a = b\r"
                                                "--Last = tail");
    ASSERT_TRUE(file.SelectGroup("cli"));
    const auto entries = file.GroupEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].key, "--WIDTH");
    EXPECT_EQ(entries[0].value, "640");
    EXPECT_EQ(entries[1].key, "-q"); // a line without "=" is a key with an empty value
    EXPECT_EQ(entries[1].value, "");
    EXPECT_EQ(entries[2].key, "--TEXT");
    EXPECT_EQ(entries[2].value, "a = b");
    EXPECT_EQ(entries[3].value, "tail");
}

TEST(PreferenceFile, ReadsWholeFilesAndRefusesFolders) {
    EXPECT_FALSE(PreferenceFile::Open("/nonexistent/config.ini").has_value());
    EXPECT_FALSE(PreferenceFile::Open("/tmp").has_value());
}

TEST(PreferenceNumbers, IntegersTakeTheLeadingDigits) {
    EXPECT_EQ(ParseInteger("12px"), 12);
    EXPECT_EQ(ParseInteger("word"), 0);
    EXPECT_EQ(ParseInteger("  -5"), -5);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("- 7"), 0);
    EXPECT_EQ(ParseInteger(""), 0);
    EXPECT_EQ(ParseInteger("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParseInteger("-99999999999999999999999"), INT64_MIN);
}

TEST(PreferenceNumbers, FloatsTakeTheLongestNumberOrASpecialWord) {
    EXPECT_DOUBLE_EQ(ParseFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(ParseFloat("-.25"), -0.25);
    EXPECT_DOUBLE_EQ(ParseFloat("+2e3x"), 2000.0);
    EXPECT_DOUBLE_EQ(ParseFloat("3.5.1"), 3.5);
    EXPECT_DOUBLE_EQ(ParseFloat("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseFloat("0x10"), 0.0); // no hexadecimal
    EXPECT_DOUBLE_EQ(ParseFloat("inf"), 0.0);  // only the full words count
    EXPECT_EQ(ParseFloat("+infinity"), INFINITY);
    EXPECT_EQ(ParseFloat("-Infinity"), -INFINITY);
    EXPECT_TRUE(std::isnan(ParseFloat("nan")));
    EXPECT_EQ(ParseFloat("1e400"), INFINITY);
    EXPECT_DOUBLE_EQ(ParseFloat("1e-400"), 0.0);
}

TEST(PreferenceWriter, WritesExactBytes) {
    PreferenceWriter writer;
    writer.SetGroup("Empty");
    writer.SetGroup("General");
    writer.WriteInteger("CFG", 18);
    writer.WriteInteger("Negative", -3);
    writer.WriteComment("");
    writer.SetGroup("Window");
    writer.WriteComment("");
    writer.SetGroup("Adjustment");
    writer.WriteFloat("Image Gamma", 1.5);
    writer.WriteFloat("Up", INFINITY);
    writer.WriteFloat("Down", -INFINITY);
    writer.WriteFloat("Nothing", NAN);
    EXPECT_EQ(writer.Text(), "\xEF\xBB\xBF\r\n"
                             "[General]\r\nCFG = 18\r\nNegative = -3\r\n; \r\n"
                             "[Window]\r\n; \r\n"
                             "[Adjustment]\r\nImage Gamma = 1.500000\r\nUp = +Infinity\r\n"
                             "Down = -Infinity\r\nNothing = NaN\r\n");
}

TEST(PreferenceWriter, ValuesCannotForgeFurtherLines) {
    PreferenceWriter writer;
    writer.SetGroup("File");
    writer.WriteString("Recent Out Folders", "/tmp/a\r\n[General]\nCFG = 1");
    PreferenceFile file = PreferenceFile::Parse(writer.Text());
    EXPECT_FALSE(file.SelectGroup("General"));
    ASSERT_TRUE(file.SelectGroup("File"));
    EXPECT_EQ(file.GroupEntries().size(), 1u);
}

} // namespace
} // namespace millconv
