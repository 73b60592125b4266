// Settings table and defaults: the table's integrity, mode-dependent and centred defaults.
#include "settings/settings.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"

namespace millconv {
namespace {

TEST(SettingsTable, EveryRowHasItsOwnKeyAndField) {
    const auto table = SettingsTable();
    ASSERT_EQ(table.size(), 140u);
    Settings settings;
    std::set<std::pair<std::string, std::string>> keys;
    std::set<const void*> fields;
    for (const SettingDef& def : table) {
        EXPECT_TRUE(keys.emplace(std::string(def.group), std::string(def.key)).second)
            << def.group << "/" << def.key;
        const SettingField field = def.field(settings);
        const void* address = std::visit([](auto* p) -> const void* { return p; }, field);
        EXPECT_TRUE(fields.insert(address).second) << "shared field: " << def.key;
        // The declared type must match the field the accessor hands out.
        switch (def.type) {
        case SettingType::Int32:
        case SettingType::Date:
            EXPECT_TRUE(std::holds_alternative<int32_t*>(field)) << def.key;
            break;
        case SettingType::Int8:
            EXPECT_TRUE(std::holds_alternative<int8_t*>(field)) << def.key;
            break;
        case SettingType::Float:
            EXPECT_TRUE(std::holds_alternative<float*>(field)) << def.key;
            break;
        case SettingType::String:
            EXPECT_TRUE(std::holds_alternative<std::string*>(field)) << def.key;
            break;
        }
    }
}

TEST(SettingsTable, FindsKeysInAnyLetterCaseWithinTheirGroup) {
    const SettingDef* def = FindSetting("output", "tga COMPRESSION");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->key, "TGA Compression");
    // The same key in two groups must resolve by group.
    Settings settings;
    EXPECT_EQ(std::get<int32_t*>(FindSetting("Watermark", "Image Rotation")->field(settings)),
              &settings.watermark.imageRotation);
    EXPECT_EQ(std::get<int32_t*>(FindSetting("Transform", "Image Rotation")->field(settings)),
              &settings.transform.imageRotation);
    EXPECT_EQ(FindSetting("Output", "Nope"), nullptr);
    EXPECT_EQ(FindSetting("Input", "TGA BPP"), nullptr);
}

TEST(SettingsTable, IntegersKeepLowEightBitsOnlyInByteFields) {
    Settings settings;
    AssignInteger(&settings.advanced.outFoldersNumber, 300);
    EXPECT_EQ(settings.advanced.outFoldersNumber, 44);
    AssignInteger(&settings.advanced.outFoldersNumber, 255);
    EXPECT_EQ(settings.advanced.outFoldersNumber, -1);
    AssignInteger(&settings.window.width, 300);
    EXPECT_EQ(settings.window.width, 300);
}

class DefaultSettings : public ::testing::Test {
  protected:
    void TearDown() override { SetDesktopSizeHook(nullptr); }
};

TEST_F(DefaultSettings, KeepAspectRatioIsTheOnlyModeDependentDefault) {
    Settings console;
    Settings window;
    SetDefaultSettings(true, console);
    SetDefaultSettings(false, window);
    EXPECT_EQ(console.transform.keepAspectRatio, 0);
    EXPECT_EQ(window.transform.keepAspectRatio, 1);
    window.transform.keepAspectRatio = 0;
    // The date defaults may straddle a second boundary.
    window.general.updateDate = console.general.updateDate;
    window.advanced.customTimestamp = console.advanced.customTimestamp;
    for (const SettingDef& def : SettingsTable()) {
        EXPECT_EQ(def.field(console).index(), def.field(window).index());
        const bool same = std::visit(
            [&](auto* a) {
                auto* b = std::get<std::remove_reference_t<decltype(a)>>(def.field(window));
                return *a == *b;
            },
            def.field(console));
        EXPECT_TRUE(same) << def.key;
    }
}

TEST_F(DefaultSettings, OverwriteEveryFieldWithItsDefault) {
    Settings settings;
    settings.output.format = "bmp";
    settings.file.recentOutFolders = "/tmp/a\t/tmp/b";
    settings.advanced.outFoldersNumber = 9;
    settings.adjustment.imageGamma = 3.0f;
    settings.settingsFilePath = "/keep/this";
    const int64_t before = DateValueNow();
    SetDefaultSettings(false, settings);
    const int64_t after = DateValueNow();

    EXPECT_EQ(settings.general.cfg, 18);
    EXPECT_EQ(settings.input.format, "png");
    EXPECT_EQ(settings.output.format, "tga");
    EXPECT_EQ(settings.file.recentOutFolders, "");
    EXPECT_EQ(settings.advanced.outFoldersNumber, 5);
    EXPECT_FLOAT_EQ(settings.adjustment.imageGamma, 1.0f);
    EXPECT_EQ(settings.advanced.filenameMask, "%filename%.%ext%");
    EXPECT_EQ(settings.watermark.backOpacity, 1);
    EXPECT_EQ(settings.watermark.textPosition, 8);
    EXPECT_EQ(settings.output.jpgQuality, 95);
    EXPECT_EQ(settings.output.webpQuality, 100);
    EXPECT_FALSE(settings.watermark.text.empty());
    EXPECT_EQ(settings.watermark.text.find('\n'), std::string::npos);
    EXPECT_GE(settings.general.updateDate, before);
    EXPECT_LE(settings.general.updateDate, after);
    EXPECT_GE(settings.advanced.customTimestamp, before);
    EXPECT_EQ(settings.settingsFilePath, "/keep/this"); // runtime fields are not settings
}

TEST_F(DefaultSettings, WindowIsCentredOnTheDesktopWhenItsSizeIsKnown) {
    Settings settings;
    SetDefaultSettings(false, settings);
    EXPECT_EQ(settings.window.x, 100);
    EXPECT_EQ(settings.window.y, 100);
    EXPECT_EQ(settings.window.width, 510);
    EXPECT_EQ(settings.window.height, 260);

    SetDesktopSizeHook([] { return DesktopSize{1920, 1080}; });
    SetDefaultSettings(false, settings);
    EXPECT_EQ(settings.window.x, 705);
    EXPECT_EQ(settings.window.y, 410);

    // A desktop no wider than the window falls back to 100 on that axis only.
    SetDesktopSizeHook([] { return DesktopSize{400, 261}; });
    SetDefaultSettings(false, settings);
    EXPECT_EQ(settings.window.x, 100);
    EXPECT_EQ(settings.window.y, 0);
}

} // namespace
} // namespace millconv
