// config.ini: folder creation, loading with defaults and migrations, saving order and safety.
#include "settings/settings_file.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "settings/format_catalogue.h"
#include "settings/preference_file.h"

namespace millconv {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "millconv-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "xdg").c_str(), 1);
        settings.settingsFilePath = (root / "config.ini").string();
    }
    void TearDown() override {
        SetDesktopSizeHook(nullptr);
        fs::remove_all(root);
    }

    void WriteFile(const std::string& bytes) {
        std::ofstream(settings.settingsFilePath, std::ios::binary) << bytes;
    }
    std::string ReadFile() const {
        std::ifstream in(settings.settingsFilePath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    Settings Load(const std::string& bytes) {
        WriteFile(bytes);
        Settings loaded;
        loaded.settingsFilePath = settings.settingsFilePath;
        LoadSettings(loaded);
        return loaded;
    }

    fs::path root;
    Settings settings;
};

TEST_F(SettingsFile, FolderLevelsAreCreated) {
    const std::string folder = SettingsFolder("Pixelmill", "millconv");
    EXPECT_EQ(folder, (root / "xdg/Pixelmill/millconv/").string());
    EXPECT_TRUE(fs::is_directory(folder));

    unsetenv("XDG_CONFIG_HOME");
    const std::string fallback = SettingsFolder("Pixelmill", "millconv");
    EXPECT_EQ(fallback, (root / ".config/Pixelmill/millconv/").string());
    EXPECT_TRUE(fs::is_directory(fallback));
}

TEST_F(SettingsFile, MissingFileGivesWindowDefaults) {
    SetDesktopSizeHook([] { return DesktopSize{1920, 1080}; });
    LoadSettings(settings);
    EXPECT_EQ(settings.general.cfg, 18);
    EXPECT_EQ(settings.transform.keepAspectRatio, 1);
    EXPECT_EQ(settings.window.x, 705);
    EXPECT_EQ(settings.advanced.filenameMask, "%filename%.%ext%");
}

TEST_F(SettingsFile, MissingKeysOfAnExistingFile) {
    SetDesktopSizeHook([] { return DesktopSize{1920, 1080}; });
    const Settings loaded = Load("[Window]\r\nWidth = 12px\r\nHeight = tall\r\n"
                                 "[advanced]\r\nout folders number = 300\r\n");
    EXPECT_EQ(loaded.window.x, 100); // not centred, unlike the no-file defaults
    EXPECT_EQ(loaded.window.y, 100);
    EXPECT_EQ(loaded.window.width, 12);
    EXPECT_EQ(loaded.window.height, 0);
    EXPECT_EQ(loaded.advanced.outFoldersNumber, 44);
    EXPECT_EQ(loaded.general.cfg, 0);
    EXPECT_EQ(loaded.watermark.fontSize, 14);
    EXPECT_EQ(loaded.output.format, "tga");
}

TEST_F(SettingsFile, TextValuesAreTrimmedAndLatin1IsConverted) {
    const Settings loaded = Load("[Watermark]\r\nText =   Caf\xE9 \t\r\n");
    EXPECT_EQ(loaded.watermark.text, "Caf\xC3\xA9");
}

TEST_F(SettingsFile, OldMasksGainTheExtension) {
    EXPECT_EQ(Load("[General]\nCFG = 9\n[Advanced]\nFilename Mask = %filename%_small\n")
                  .advanced.filenameMask,
              "%filename%_small.%ext%");
    EXPECT_EQ(Load("[General]\nCFG = 12\n[Advanced]\nFilename Mask = %filename%_small\n")
                  .advanced.filenameMask,
              "%filename%_small");
    // The check is case-sensitive, as the naming is.
    EXPECT_EQ(
        Load("[General]\nCFG = 9\n[Advanced]\nFilename Mask = a.%EXT%\n").advanced.filenameMask,
        "a.%EXT%.%ext%");
}

TEST_F(SettingsFile, OldRawChoicesMoveUpByTwo) {
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 1\n").input.rawLoadAs, 3);
    EXPECT_EQ(Load("[General]\nCFG = 14\n[Input]\nRAW Load As = 1\n").input.rawLoadAs, 1);
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 0\n").input.rawLoadAs, 0);
    // A file without a version is treated as the oldest.
    EXPECT_EQ(Load("[Input]\nRAW Load As = 2\n").input.rawLoadAs, 4);
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 1\n").general.cfg, 13);
    EXPECT_EQ(Load("[General]\nCFG = 13\n[Input]\nRAW Load As = 99999999999\n").input.rawLoadAs,
              INT32_MAX);
}

TEST_F(SettingsFile, EachMigrationStopsAtItsOwnVersion) {
    struct Case {
        int version;
        const char* mask;  // Filename Mask after loading "%filename%_small"
        int32_t rawLoadAs; // RAW Load As after loading 1
    };
    for (const Case& c : {Case{10, "%filename%_small.%ext%", 3}, Case{11, "%filename%_small", 3},
                          Case{13, "%filename%_small", 3}, Case{14, "%filename%_small", 1}}) {
        const Settings loaded =
            Load("[General]\nCFG = " + std::to_string(c.version) +
                 "\n[Input]\nRAW Load As = 1\n[Advanced]\nFilename Mask = %filename%_small\n");
        EXPECT_EQ(loaded.advanced.filenameMask, c.mask) << c.version;
        EXPECT_EQ(loaded.input.rawLoadAs, c.rawLoadAs) << c.version;
    }
}

TEST_F(SettingsFile, DefaultFileStartsAsDocumented) {
    SetDefaultSettings(false, settings);
    settings.general.updateDate = 1234567;
    const std::string text = SettingsFileText(settings);
    EXPECT_TRUE(text.starts_with(
        "\xEF\xBB\xBF\r\n[General]\r\nCFG = 18\r\nLanguage = en\r\n"
        "Update Range = 2\r\nUpdate Date = 1234567\r\n"
        "Save Window Position = 1\r\n; \r\n"
        "[Window]\r\nIsMaximized = 0\r\nWidth = 510\r\nHeight = 260\r\n"
        "X = 100\r\nY = 100\r\n; \r\n"
        "[Interface]\r\nUI Theme = handdrawn\r\nUI Size = 2\r\n; \r\n"
        "[Input]\r\nFormat = png\r\n; \r\n"
        "[Output]\r\nFormat = tga\r\nTGA BPP = 0\r\n"
        "TGA Compression = 0\r\nTGA Alpha = 0\r\nTGA Origin = 0\r\n; \r\n[Transform]\r\n"))
        << text;
    EXPECT_TRUE(text.ends_with("[File]\r\nRecent Out Folders = \r\nRecent Files = \r\n; \r\n"
                               "[Privacy]\r\nClean Recent Files = 0\r\n; \r\n"));
    EXPECT_NE(text.find("\r\nImage Gamma = 1.000000\r\n"), std::string::npos);
}

TEST_F(SettingsFile, WindowGroupIsEmptyWithoutSavedPosition) {
    SetDefaultSettings(false, settings);
    settings.general.saveWindowPosition = 0;
    settings.window.width = 800;
    settings.window.x = 5;
    settings.adjustment.imageGamma = 1.5f;
    settings.general.cfg = 9;
    ASSERT_TRUE(SaveSettings(settings));
    const std::string text = ReadFile();
    EXPECT_NE(text.find("\r\n; \r\n[Window]\r\n; \r\n[Interface]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nImage Gamma = 1.500000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nCFG = 18\r\n"), std::string::npos);

    Settings loaded;
    loaded.settingsFilePath = settings.settingsFilePath;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.window.width, 510);
    EXPECT_EQ(loaded.window.height, 260);
    EXPECT_EQ(loaded.window.x, 100);
    EXPECT_EQ(loaded.window.y, 100);
}

TEST_F(SettingsFile, KeysOfUnlistedFormatsAreReadButNotWritten) {
    Settings loaded = Load("[General]\nCFG = 18\n[Output]\nJPG Quality = 50\nTGA Compression = 1\n"
                           "[Input]\nGIF Frame Loading = 3\n");
    EXPECT_EQ(loaded.output.jpgQuality, 50);
    EXPECT_EQ(loaded.output.tgaCompression, 1);
    EXPECT_EQ(loaded.input.gifFrameLoading, 3);
    ASSERT_TRUE(SaveSettings(loaded));
    const std::string text = ReadFile();
    EXPECT_EQ(text.find("JPG"), std::string::npos);
    EXPECT_EQ(text.find("GIF"), std::string::npos);
    EXPECT_NE(text.find("\r\nTGA Compression = 1\r\n"), std::string::npos);
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFileIntact) {
    const std::string old = "[General]\r\nCFG = 17\r\n";
    WriteFile(old);
    SetDefaultSettings(false, settings);

    // Cap the size of files this process may write: every settings write then fails.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit capped = previous;
    capped.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
    const bool saved = SaveSettings(settings);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(), old);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root)) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "a temporary file was left behind";

    settings.settingsFilePath = (root / "missing/config.ini").string();
    EXPECT_FALSE(SaveSettings(settings));
}

TEST_F(SettingsFile, SaveReplacesTheLinkedFileAndKeepsItsPermissions) {
    const fs::path real = root / "dotfiles-config.ini";
    std::ofstream(real) << "[General]\r\nCFG = 17\r\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, settings.settingsFilePath);
    SetDefaultSettings(false, settings);
    ASSERT_TRUE(SaveSettings(settings));
    EXPECT_TRUE(fs::is_symlink(settings.settingsFilePath));
    EXPECT_NE(ReadFile().find("CFG = 18"), std::string::npos);
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SettingsFile, SaveThenLoadGivesTheSameSettings) {
    SetDefaultSettings(false, settings);
    // Give every saved field a value unlike its default.
    int n = 1;
    for (const SettingDef& def : SettingsTable()) {
        const SettingField field = def.field(settings);
        if (auto* s = std::get_if<std::string*>(&field)) {
            **s = "value " + std::to_string(n) + " \xC3\xA9\t%s1%";
        } else if (auto* f = std::get_if<float*>(&field)) {
            **f = 2.25f;
        } else {
            AssignInteger(field, def.type == SettingType::Int8 ? n % 100 : -1000 * n);
        }
        ++n;
    }
    settings.general.cfg = kSettingsVersion;
    settings.general.saveWindowPosition = 1;
    ASSERT_TRUE(SaveSettings(settings));

    Settings loaded;
    loaded.settingsFilePath = settings.settingsFilePath;
    LoadSettings(loaded);
    Settings defaults;
    SetDefaultSettings(false, defaults);
    auto writtenKeys = [](FormatSide side, const std::vector<std::string>& list) {
        std::vector<const SettingDef*> keys;
        for (const std::string& format : list) {
            auto owned = FormatSettings(side, format);
            keys.insert(keys.end(), owned.begin(), owned.end());
        }
        return keys;
    };
    auto written = writtenKeys(FormatSide::Input, InputFormatList());
    auto outputs = writtenKeys(FormatSide::Output, OutputFormatList());
    written.insert(written.end(), outputs.begin(), outputs.end());

    for (const SettingDef& def : SettingsTable()) {
        const bool perFormat =
            (def.group == "Input" || def.group == "Output") && def.key != "Format";
        const bool saved = !perFormat || std::ranges::find(written, &def) != written.end();
        const Settings& expected = saved ? settings : defaults;
        const bool same = std::visit(
            [&](auto* a) {
                auto* b = std::get<std::remove_reference_t<decltype(a)>>(
                    def.field(const_cast<Settings&>(expected)));
                return *a == *b;
            },
            def.field(loaded));
        EXPECT_TRUE(same) << def.group << "/" << def.key;
    }
}

} // namespace
} // namespace millconv
