// Output format rows against their readers: the output catalogue, the settings table and the
// keys each format owns.
#include "settings/output_formats.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/format_catalogue.h"
#include "settings/settings.h"
#include "support/ascii_case.h"

namespace millconv {
namespace {

using test::Upper;

std::vector<int> DepthsOf(std::string_view list) {
    std::vector<int> depths;
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        int depth = -1;
        std::from_chars(item.data(), item.data() + item.size(), depth);
        depths.push_back(depth);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return depths;
}

const void* FieldAddress(const SettingDef& def, Settings& settings) {
    return std::visit([](auto* p) -> const void* { return p; }, def.field(settings));
}

TEST(OutputFormatRows, CatalogueHoldsTheWritableRowsInRowOrder) {
    size_t next = 0;
    for (const OutputFormat& row : kOutputFormats) {
        SCOPED_TRACE(std::string(row.extension));
        if (row.formatId == kNoFormatId) {
            EXPECT_EQ(FindOutputFormat(row.extension), nullptr);
            EXPECT_TRUE(row.description.empty() && row.depths.empty());
            continue;
        }
        ASSERT_LT(next, OutputCatalogue().size());
        const FormatEntry& entry = OutputCatalogue()[next++];
        EXPECT_EQ(entry.key, row.extension);
        EXPECT_EQ(entry.extension, row.extension);
        EXPECT_EQ(entry.formatId, row.formatId);
        EXPECT_EQ(entry.description, row.description);
        EXPECT_EQ(entry.depths, row.depths);
    }
    EXPECT_EQ(next, OutputCatalogue().size());
    EXPECT_EQ(next, 20u);
}

TEST(OutputFormatRows, DepthListsAreAscendingAndOfKnownDepths) {
    const std::vector<int> known = {1, 4, 8, 16, 24, 32, 48, 96};
    for (const OutputFormat& row : kOutputFormats) {
        if (row.formatId == kNoFormatId) {
            continue;
        }
        SCOPED_TRACE(std::string(row.extension));
        const std::vector<int> depths = DepthsOf(row.depths);
        ASSERT_FALSE(depths.empty());
        for (size_t i = 0; i < depths.size(); ++i) {
            EXPECT_NE(std::ranges::find(known, depths[i]), known.end()) << depths[i];
            if (i > 0) {
                EXPECT_LT(depths[i - 1], depths[i]);
            }
        }
    }
}

// A key spelt differently from its format's prefix would be lost from config.ini, because the
// settings file writes only the keys a listed format owns by name.
TEST(OutputFormatRows, EveryKeyIsASettingTheFormatOwns) {
    Settings settings;
    for (const OutputFormat& row : kOutputFormats) {
        SCOPED_TRACE(std::string(row.extension));
        EXPECT_EQ(row.depthKey, Upper(row.extension) + " BPP");
        const SettingDef* depth = FindSetting("Output", row.depthKey);
        ASSERT_NE(depth, nullptr);
        EXPECT_EQ(depth->type, SettingType::Int32);
        EXPECT_EQ(FieldAddress(*depth, settings), &(settings.output.*row.depth));

        std::vector<std::string_view> expected = {row.depthKey};
        for (const FormatOption& option : row.options) {
            expected.push_back(option.key);
            const SettingDef* def = FindSetting("Output", option.key);
            ASSERT_NE(def, nullptr) << option.key;
            const void* member = std::visit(
                [&settings](auto pointer) -> const void* { return &(settings.output.*pointer); },
                option.member);
            EXPECT_EQ(FieldAddress(*def, settings), member) << option.key;
            EXPECT_EQ(def->defaultValue, option.defaultValue) << option.key;
        }
        std::vector<std::string_view> owned;
        for (const SettingDef* def : FormatSettings(FormatSide::Output, row.extension)) {
            owned.push_back(def->key);
        }
        EXPECT_EQ(owned, expected);
    }
}

TEST(OutputFormatRows, CompressionWordsStartWithNoneAndAreDistinct) {
    int formats = 0;
    for (const OutputFormat& row : kOutputFormats) {
        const std::span<const FlagChoice> choices = CompressionChoices(row);
        if (choices.empty()) {
            continue;
        }
        ++formats;
        SCOPED_TRACE(std::string(row.extension));
        ASSERT_GE(choices.size(), 2u);
        EXPECT_EQ(choices[0].word, "NONE");
        for (size_t i = 0; i < choices.size(); ++i) {
            for (size_t j = i + 1; j < choices.size(); ++j) {
                EXPECT_NE(choices[i].word, choices[j].word);
                EXPECT_NE(choices[i].flag, choices[j].flag);
            }
        }
    }
    EXPECT_EQ(formats, 5); // bmp, exr, png, tga, tiff
}

} // namespace
} // namespace millconv
