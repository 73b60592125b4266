// theme.cfg values, display names, the theme scan and the size-capped archive reader.
#include <QtTest>

#include <fstream>
#include <string>

#include "resources/theme_archive.h"
#include "resources/zip_writer.h"
#include "ui/support/private_home.h"

using namespace std::string_literals;
using millconv::ThemeArchive;
using millconv::ThemeConfigValue;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void PatchLittleEndian(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

// Rewrites the uncompressed size that the local header and the central directory state for an
// entry (the data descriptor keeps the true one).
void ClaimSize(const std::string& zipPath, const std::string& name, uint32_t size) {
    std::string bytes = ReadFile(zipPath);
    struct Header {
        std::string signature;
        size_t nameOffset;
        size_t sizeOffset;
    };
    const Header headers[] = {{std::string("PK\x03\x04", 4), 30, 22},
                              {std::string("PK\x01\x02", 4), 46, 24}};
    for (const Header& header : headers) {
        for (size_t at = bytes.find(header.signature); at != std::string::npos;
             at = bytes.find(header.signature, at + 4)) {
            if (bytes.compare(at + header.nameOffset, name.size(), name) == 0) {
                PatchLittleEndian(bytes, at + header.sizeOffset, size);
            }
        }
    }
    WriteFile(zipPath, bytes);
}

} // namespace

class ThemeArchiveTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private:
    std::string gfx_;

    std::string Zip(const std::string& package,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
        std::string path = gfx_ + package + ".zip";
        if (!millconv::WriteZipArchive(path, entries)) {
            qFatal("cannot write %s", path.c_str());
        }
        return path;
    }

  private slots:
    void initTestCase() {
        gfx_ = millconv::test::UsePrivateHome().toStdString() + "gfx/";
        QVERIFY(QDir().mkpath(QString::fromStdString(gfx_)));
    }

    void ConfigValueIsFoundInItsSection() {
        std::string text = "[Theme]\r\nName=Dark Night\r\n\r\n[Icons]\r\nNew=new\r\nAdd=plus\r\n";
        QCOMPARE(ThemeConfigValue(text, "Theme", "Name"), "Dark Night");
        QCOMPARE(ThemeConfigValue(text, "icons", "ADD"), "plus");
        // A key of another section, and a section that is missing, give nothing.
        QCOMPARE(ThemeConfigValue(text, "Theme", "New"), "");
        QCOMPARE(ThemeConfigValue(text, "Buttons", "New"), "");
        QCOMPARE(ThemeConfigValue(text, "Icons", "Name"), "");
    }

    void ConfigValueIsCutAndTrimmed() {
        QCOMPARE(ThemeConfigValue("[Icons]\r\nNew=new=old\r\n", "Icons", "New"), "new");
        QCOMPARE(ThemeConfigValue("[Icons]\r\nNew = \tnew.png\t \r\n", "Icons", "New"), "new.png");
        QCOMPARE(ThemeConfigValue("[Icons]\r\nNew\r\n", "Icons", "New"), "");
    }

    void ConfigValueNeedsCrLfOnBothSidesOfItsLine() {
        QCOMPARE(ThemeConfigValue("[Theme]\nName=Dark\n", "Theme", "Name"), "");
        QCOMPARE(ThemeConfigValue("[Theme]\r\nName=Dark", "Theme", "Name"), "");
        QCOMPARE(ThemeConfigValue("[Theme]\r\nName=Dark\r\n", "Theme", "Name"), "Dark");
    }

    void IconPixelSizeMapsUiSize() {
        const std::pair<int, int> cases[] = {{-1, 16}, {0, 16}, {1, 24}, {2, 32},
                                             {3, 48},  {4, 64}, {5, 16}, {7, 16}};
        for (auto [uiSize, pixels] : cases) {
            QCOMPARE(millconv::IconPixelSize(uiSize), pixels);
        }
    }

    void EntryNameFollowsTheSizeRule() {
        QCOMPARE(millconv::ThemeEntryName("open", 48), "open_48.png");
        QCOMPARE(millconv::ThemeEntryName("open", 16), "open_16.png");
        QCOMPARE(millconv::ThemeEntryName("Open.PNG", 48), "Open.PNG");
        QCOMPARE(millconv::ThemeEntryName("icons/open.png", 24), "icons/open.png");
    }

    void ScanListsEveryArchiveWithItsDisplayName() {
        Zip("dark", {{"theme.cfg", "[Theme]\r\nName=Dark Night\r\n"}});
        Zip("noname", {{"theme.cfg", "[Theme]\r\nAuthor=Someone\r\n"}});
        Zip("lfonly", {{"theme.cfg", "[Theme]\nName=Lines\n"}});
        Zip("unended", {{"theme.cfg", "[Theme]\r\nName=Unended"}});
        Zip("nocfg", {{"new_16.png", "x"}});
        // Only the first 255 bytes count, and reading stops at a zero byte.
        Zip("far",
            {{"theme.cfg", "[Other]\r\n" + std::string(250, ';') + "\r\n[Theme]\r\nName=Far\r\n"}});
        Zip("zero", {{"theme.cfg", "[Theme]\r\nA=1\r\n\0\r\nName=Hidden\r\n"s}});
        WriteFile(gfx_ + "broken.zip", "this is not a zip archive");
        WriteFile(gfx_ + "empty.zip", "");
        WriteFile(gfx_ + "readme.txt", "not a theme");
        QVERIFY(QDir().mkpath(QString::fromStdString(gfx_ + "folder.zip")));

        std::map<std::string, std::string> expected = {
            {"broken", "broken"}, {"dark", "Dark Night"}, {"empty", "empty"},
            {"far", ""},          {"lfonly", ""},         {"nocfg", ""},
            {"noname", ""},       {"unended", ""},        {"zero", ""}};
        QCOMPARE(millconv::ScanThemes(gfx_), expected);
        QCOMPARE(millconv::ThemeDisplayName(gfx_, "missing"), "missing");
    }

    void ScanOfAMissingFolderIsEmpty() { QVERIFY(millconv::ScanThemes(gfx_ + "nowhere/").empty()); }

    void ArchiveNotesEntriesAndExtractsByExactName() {
        std::string path = Zip("entries", {{"Open.png", "upper"},
                                           {"open.png", "lower!"},
                                           {"icons/open.png", "nested"},
                                           {"blank.png", ""}});
        ThemeArchive archive;
        QVERIFY(archive.Open(path));
        std::map<std::string, int64_t> expected = {
            {"Open.png", 5}, {"icons/open.png", 6}, {"open.png", 6}};
        QCOMPARE(archive.Entries(), expected);
        QCOMPARE(archive.Extract("Open.png").value_or(""), "upper");
        QCOMPARE(archive.Extract("open.png").value_or(""), "lower!");
        QVERIFY(!archive.Extract("OPEN.png").has_value());
        QVERIFY(!archive.Extract("blank.png").has_value());
        auto many = archive.ExtractMany({"icons/open.png", "open.png", "nothing.png"});
        QCOMPARE(many.size(), size_t(2));
        QCOMPARE(many["icons/open.png"], "nested");
    }

    void ArchiveThatCannotBeReadHasNoEntries() {
        WriteFile(gfx_ + "garbage.zip", std::string(300, 'z'));
        ThemeArchive archive;
        QVERIFY(!archive.Open(gfx_ + "garbage.zip"));
        QVERIFY(!archive.Open(gfx_ + "absent.zip"));
        QVERIFY(archive.Entries().empty());
    }

    void EntriesAboveTheCapAreSkipped() {
        const size_t cap = static_cast<size_t>(millconv::kMaxThemeEntryBytes);
        std::string path = Zip("big", {{"at_cap.png", std::string(cap, 'a')},
                                       {"over_cap.png", std::string(cap + 1, 'b')},
                                       {"small.png", "c"}});
        ThemeArchive archive;
        QVERIFY(archive.Open(path));
        QVERIFY(archive.Contains("at_cap.png"));
        QVERIFY(!archive.Contains("over_cap.png"));
        QCOMPARE(archive.Extract("at_cap.png").value_or("").size(), cap);
        QVERIFY(!archive.Extract("over_cap.png").has_value());
        QCOMPARE(archive.Extract("small.png").value_or(""), "c");
    }

    void EntryLyingAboutItsSizeIsSkipped() {
        std::string data(5000, 'q');
        std::string path =
            Zip("lying", {{"short.png", data}, {"long.png", data}, {"true.png", data}});
        ClaimSize(path, "short.png", 100); // delivers more than it claims
        ClaimSize(path, "long.png", 9000); // delivers less than it claims
        ThemeArchive archive;
        QVERIFY(archive.Open(path));
        QCOMPARE(archive.Entries().at("short.png"), 100);
        QVERIFY(!archive.Extract("short.png").has_value());
        QVERIFY(!archive.Extract("long.png").has_value());
        QCOMPARE(archive.Extract("true.png").value_or(""), data);
    }
};

QTEST_GUILESS_MAIN(ThemeArchiveTest)
#include "theme_archive_test.moc"
