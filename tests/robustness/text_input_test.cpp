// Every text parser fed with random bytes: under the sanitizers a stray read or write fails
// the run, and each parser must give its documented result for what it cannot use.
#include "base/text.h"
#include "cli/option_parsing.h"
#include "engine/naming.h"
#include "engine/watermark.h"
#include "job/job_record.h"
#include "settings/message_catalogue.h"
#include "settings/preference_file.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace millconv {
namespace {

// Random texts drawn mostly from the characters the parsers treat specially, with the odd
// arbitrary byte (UTF-8 and ISO-8859-1 lead bytes, NUL, control characters).
class RandomText {
  public:
    explicit RandomText(uint32_t seed) : generator_(seed) {}

    std::string Next(size_t maxLength = 40) {
        static constexpr std::string_view kSpecial =
            "[]=;#\r\n\t \"'$%-+.,eEfFxXnN0123456789aAiI_/";
        static constexpr std::string_view kWords[] = {
            "%filename%", "%ext%", "%EOL%",   "%n%",      "%rnd%", "%s1%",
            "%width%",    "[CLI]", "--GAMMA", "Infinity", "NaN",   "\xEF\xBB\xBF",
            "\xE9",       "%",     "%%",      "--",       "=\"",
        };
        std::string text;
        const size_t length = Pick(maxLength + 1);
        while (text.size() < length) {
            const size_t kind = Pick(10);
            if (kind < 6) {
                text += kSpecial[Pick(kSpecial.size())];
            } else if (kind < 9) {
                text += kWords[Pick(std::size(kWords))];
            } else {
                text += static_cast<char>(Pick(256));
            }
        }
        return text;
    }

    size_t Pick(size_t bound) {
        return std::uniform_int_distribution<size_t>(0, bound - 1)(generator_);
    }

  private:
    std::mt19937 generator_;
};

constexpr int kRounds = 3000;

TEST(RandomTextTest, PreferenceFilesParseAndWalk) {
    RandomText random(1);
    for (int i = 0; i < kRounds; ++i) {
        std::string bytes;
        for (int line = 0; line < 8; ++line) {
            bytes += random.Next();
            bytes += "\r\n"[random.Pick(2)];
        }
        PreferenceFile file = PreferenceFile::Parse(bytes);
        if (file.SelectGroup(random.Next(8))) {
            for (const PreferenceEntry& entry : file.GroupEntries()) {
                EXPECT_TRUE(file.Find(entry.key).has_value()) << entry.key;
            }
        }
        (void)file.ReadFloat(random.Next(6), 1.0);
    }
}

TEST(RandomTextTest, NumbersReadWithoutFault) {
    RandomText random(2);
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = random.Next(24);
        (void)ParseInteger(text);
        (void)ReadInteger(text);
        const double decimal = ParseFloat(text);
        const float option = ReadDecimal(text);
        // A formatted value always reads back as the same number.
        if (std::isfinite(decimal) && std::fabs(decimal) < 1e12) {
            EXPECT_NEAR(ParseFloat(FormatFloat(decimal)), decimal, 1e-6) << text;
        }
        // An option value counts only as a whole number: trailing junk makes it 0.
        EXPECT_EQ(ReadDecimal(text + "x"), 0.0f) << text;
        (void)option;
    }
}

TEST(RandomTextTest, OptionWordsAndQuotedValues) {
    RandomText random(3);
    for (int i = 0; i < kRounds; ++i) {
        std::vector<std::string> parameters;
        for (size_t n = 1 + random.Pick(5); n > 0; --n) {
            parameters.push_back(random.Next(16));
        }
        size_t index = random.Pick(parameters.size());
        const std::string name = OptionName(parameters[index]);
        if (!name.empty()) {
            EXPECT_EQ(name.front(), '-');
        }
        const std::string joined =
            JoinQuotedValue(OptionValue(parameters[index]), parameters, index);
        EXPECT_LT(index, parameters.size());
        (void)StripQuotes(joined);
        (void)TrimSpaces(joined);
    }
}

TEST(RandomTextTest, TemplatesAndMessagesExpand) {
    RandomText random(4);
    SetDefaultSettings(true);
    ResetJobState();
    gJob.currentInput = "/tmp/Some Photo.final.png";
    gJob.conversion = "tga";
    gJob.imageWidth = 640;
    gJob.imageHeight = 480;
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = random.Next();
        gSettings.advanced.filenameMask = text;
        (void)ExpandFilenameMask(text, FileContextFromJob(), gJob.conversion);
        (void)ExpandPlaceholders(text, FileContextFromJob(), gJob.conversion);
        (void)StripExtension(text);
        (void)RelativeSubfolder(text, random.Next(12));
        (void)ToTitleText(text);
        (void)SplitWatermarkLines(text);
        (void)CatalogueText(random.Next(10), random.Next(10));
        (void)FormatMessage(text, random.Next(6), random.Next(6), random.Next(6), random.Next(6));
    }
}

} // namespace
} // namespace millconv
