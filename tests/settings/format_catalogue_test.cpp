// Format catalogues: sizes and order, look-ups, accepted extensions, filters, per-format keys.
#include "settings/format_catalogue.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "settings/output_formats.h"
#include "settings/settings.h"

namespace millconv {
namespace {

std::vector<std::string> Keys(const std::vector<FormatEntry>& catalogue) {
    std::vector<std::string> keys;
    for (const FormatEntry& entry : catalogue) {
        keys.push_back(entry.key);
    }
    return keys;
}

TEST(FormatCatalogue, HoldsEveryKeyOnceInInsertionOrder) {
    const auto input = Keys(InputCatalogue());
    ASSERT_EQ(input.size(), 79u);
    EXPECT_EQ(std::set<std::string>(input.begin(), input.end()).size(), 79u);
    EXPECT_EQ(input.front(), "bmp");
    EXPECT_EQ(input[30], "apm");
    EXPECT_EQ(input[31], "raw");
    EXPECT_EQ(input.back(), "rwl");

    const auto output = Keys(OutputCatalogue());
    ASSERT_EQ(output.size(), 20u);
    EXPECT_EQ(output.front(), "bmp");
    EXPECT_EQ(output[15], "tga");
    EXPECT_EQ(output.back(), "xpm");
}

TEST(FormatCatalogue, AliasesCarryTheirFormatsExtension) {
    const FormatEntry* tif = FindInputFormat("tif");
    ASSERT_NE(tif, nullptr);
    EXPECT_EQ(tif->extension, "tiff");
    EXPECT_EQ(tif->description, "Tagged Image File Format");

    const FormatEntry* apm = FindInputFormat("apm");
    ASSERT_NE(apm, nullptr);
    EXPECT_EQ(apm->extension, "wmf");
    EXPECT_EQ(apm->description, "Aldus Placeable Metafile");

    const FormatEntry* cr2 = FindInputFormat("cr2");
    ASSERT_NE(cr2, nullptr);
    EXPECT_EQ(cr2->extension, "raw");
    EXPECT_EQ(cr2->formatId, 0);
}

TEST(FormatCatalogue, OutputEntriesCarryFreeImageIdsAndDepths) {
    const FormatEntry* tga = FindOutputFormat("tga");
    ASSERT_NE(tga, nullptr);
    EXPECT_EQ(tga->formatId, 17);
    EXPECT_EQ(tga->depths, "8,16,24,32");
    EXPECT_EQ(tga->extension, "tga");
    EXPECT_EQ(FindOutputFormat("bmp")->formatId, 0);
    EXPECT_EQ(FindOutputFormat("jpg")->formatId, 2);
    // Depth settings exist for dds, pcx and psd, but nothing writes them.
    EXPECT_EQ(FindOutputFormat("dds"), nullptr);
    EXPECT_EQ(FindOutputFormat("pcx"), nullptr);
    EXPECT_EQ(FindOutputFormat("jpeg"), nullptr);
}

// The console path looks output formats up in the format rows without building the catalogue;
// both must give the same answer for every row, in any case, and for names of no row.
TEST(FormatCatalogue, WritableFormatRowsMatchTheOutputCatalogue) {
    std::vector<std::string> names = {"jpeg", "", "tgaa", "Tga", "TGA", "pNg"};
    for (const OutputFormat& row : kOutputFormats) {
        names.emplace_back(row.extension);
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const FormatEntry* entry = FindOutputFormat(name);
        const OutputFormat* row = FindWritableFormat(name);
        ASSERT_EQ(row == nullptr, entry == nullptr);
        if (row != nullptr) {
            EXPECT_EQ(row->formatId, entry->formatId);
            EXPECT_EQ(row->depths, entry->depths);
        }
    }
    ASSERT_NE(FindWritableFormat("TGA"), nullptr);
    EXPECT_EQ(FindWritableFormat("TGA")->formatId, 17);
    EXPECT_EQ(FindWritableFormat("dds"), nullptr);
}

TEST(FormatCatalogue, AcceptsOnlyExtensionsOfListedFormats) {
    BuildAcceptedExtensions();
    EXPECT_EQ(AcceptedExtensions(), std::vector<std::string>{"png"});
    EXPECT_NE(FindInputFormat("jpg"), nullptr); // known, but not accepted by this product
}

TEST(FormatCatalogue, DialogFiltersAreExact) {
    EXPECT_EQ(InputFileFilter(),
              "All Supported Files|*.png|Portable Network Graphics|*.png|All Files (*.*)|*.*");
    EXPECT_EQ(WatermarkImageFilter(),
              "All Supported Files|*.png;*.bmp;*.rle;*.dib;*.jpg;*.jpeg;*.jpe;*.jif|"
              "Portable Network Graphics|*.png|Windows or OS/2 Bitmap|*.bmp;*.rle;*.dib|"
              "JPEG File|*.jpg;*.jpeg;*.jpe;*.jif|All Files (*.*)|*.*");
}

std::vector<std::string_view> OwnedKeys(FormatSide side, std::string_view format) {
    std::vector<std::string_view> keys;
    for (const SettingDef* def : FormatSettings(side, format)) {
        keys.push_back(def->key);
    }
    return keys;
}

TEST(FormatCatalogue, FormatsOwnTheKeysStartingWithTheirName) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(OwnedKeys(FormatSide::Output, "tga"), (V{"TGA BPP", "TGA Compression", "TGA Alpha", "TGA Origin"}));
    EXPECT_EQ(OwnedKeys(FormatSide::Output, "jpg"),
              (V{"JPG BPP", "JPG Quality", "JPG Chroma", "JPG Save As"}));
    // "tiff" must not pick up keys of another side, nor "tif" anything at all.
    EXPECT_EQ(OwnedKeys(FormatSide::Output, "tiff"),
              (V{"TIFF BPP", "TIFF Compression", "TIFF Color Model"}));
    EXPECT_EQ(OwnedKeys(FormatSide::Input, "tiff"), (V{"TIFF Frame Loading"}));
    EXPECT_EQ(OwnedKeys(FormatSide::Input, "raw").size(), 5u);
    EXPECT_EQ(OwnedKeys(FormatSide::Output, "dds"), (V{"DDS BPP"}));
    EXPECT_TRUE(OwnedKeys(FormatSide::Input, "png").empty());
    EXPECT_TRUE(OwnedKeys(FormatSide::Output, "jpeg").empty());
    EXPECT_TRUE(OwnedKeys(FormatSide::Output, "").empty());
}

} // namespace
} // namespace millconv
