// Picture slots: built-in artwork, loading a theme's sets, the fallback theme, shipped themes.
#include <QtTest>

#include <QBuffer>
#include <QToolBar>

#include <fstream>
#include <set>

#include <sys/resource.h>
#include <zlib.h>

#include "resources/theme_archive.h"
#include "resources/zip_writer.h"
#include "settings/settings.h"
#include "ui/artwork.h"
#include "ui/support/private_home.h"
#include "ui/theme_images.h"

namespace ui = millconv::ui;
using millconv::gSettings;

namespace {

// A PNG of one colour; sizes and channel values differ per use so a mix-up shows.
std::string Png(QColor colour, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

QRgb Centre(const QPixmap& pixmap) {
    QImage image = pixmap.toImage();
    return image.pixel(image.width() / 2, image.height() / 2) | 0xff000000u;
}

QRgb Centre(const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); }

std::string LittleEndian(uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text += char((value >> (8 * i)) & 0xff);
    }
    return text;
}

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string PngChunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto crc =
        uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    return BigEndian(uint32_t(data.size())) + body + BigEndian(crc);
}

// A transparent RGBA PNG of that size. Without data it is a few hundred bytes that declare a
// picture of any size; with data its rows are all there, a quarter of a GiB at 8000 x 8000.
std::string ClearPng(uint32_t width, uint32_t height, bool withData) {
    const std::string header =
        BigEndian(width) + BigEndian(height) + "\x08\x06" + std::string(3, '\0');
    std::string data("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    if (withData) {
        z_stream stream{};
        deflateInit(&stream, 9);
        std::string rows(size_t(width) * 4 + 1, '\0');
        std::string chunk(1 << 16, '\0');
        data.clear();
        for (uint32_t y = 0; y <= height; ++y) {
            stream.next_in = reinterpret_cast<Bytef*>(rows.data());
            stream.avail_in = y < height ? uInt(rows.size()) : 0;
            do {
                stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
                stream.avail_out = uInt(chunk.size());
                deflate(&stream, y < height ? Z_NO_FLUSH : Z_FINISH);
                data.append(chunk, 0, chunk.size() - stream.avail_out);
            } while (stream.avail_out == 0);
        }
        deflateEnd(&stream);
    }
    return "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", header) + PngChunk("IDAT", data) +
           PngChunk("IEND", "");
}

// A zip without a central directory whose only entry, of unstated length, inflates to
// `gibibytes` GiB of zeros: a reader that streams must inflate all of it to find its end.
std::string StreamBomb(int gibibytes) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string zeros(1 << 20, '\0');
    std::string segment(64 * 1024, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(segment.data());
    stream.avail_out = uInt(segment.size());
    deflate(&stream, Z_FULL_FLUSH); // byte-aligned and independent: it can be repeated
    segment.resize(segment.size() - stream.avail_out);
    deflateEnd(&stream);
    const std::string name = "theme.cfg";
    std::string zip = std::string("PK\x03\x04", 4) + LittleEndian(20, 2) + LittleEndian(8, 2) +
                      LittleEndian(8, 2) + std::string(16, '\0') +
                      LittleEndian(uint32_t(name.size()), 2) + LittleEndian(0, 2) + name;
    zip.reserve(zip.size() + segment.size() * 1024 * size_t(gibibytes) + 2);
    for (int i = 0; i < 1024 * gibibytes; ++i) {
        zip += segment;
    }
    return zip + std::string("\x03\x00", 2); // the last block, empty
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const QColor kToolbar48(0x12, 0x9a, 0xe4);
const QColor kMenu16(0xd3, 0x41, 0x7c);
const QColor kOther32(0x5e, 0xc8, 0x27);
const QColor kExact(0x8b, 0x3f, 0xf1);
const QColor kButton(0xf4, 0xa7, 0x1d);

} // namespace

class ThemeImagesTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private:
    std::string gfx_;

    void Zip(const std::string& package,
             const std::vector<std::pair<std::string, std::string>>& entries) {
        QVERIFY(millconv::WriteZipArchive(gfx_ + package + ".zip", entries));
    }

    // A fresh gfx folder per test, so scans see only what the test made.
    void UseFreshFolder(const char* name) {
        gfx_ = millconv::test::UsePrivateHome().toStdString() + name + "/";
        QVERIFY(QDir().mkpath(QString::fromStdString(gfx_)));
        ui::SetThemeFolder(gfx_);
    }

    static QRgb BuiltInMenuCentre(const char* key) {
        return Centre(ui::DrawIcon(key, 16, ui::ArtStyle::BuiltIn)) | 0xff000000u;
    }

  private slots:
    void init() {
        millconv::SetDefaultSettings(false);
        gSettings.interface.uiSize = 3;
        ui::LoadBuiltInImages();
    }

    void cleanupTestCase() { ui::SetThemeFolder(""); }

    void BuiltInImagesFillEverySlot() {
        for (const QString& key : ui::IconKeys()) {
            QCOMPARE(ui::MenuIcon(key).size(), QSize(16, 16));
            QCOMPARE(ui::ToolbarIcon(key).size(), QSize(48, 48)); // UI Size 3
        }
        QCOMPARE(ui::ButtonImage("Convert").size(), QSize(64, 64));
        QCOMPARE(ui::ButtonImage("InFiles").size(), QSize(48, 48));
        QCOMPARE(ui::ButtonImage("InFolder").size(), QSize(48, 48));
        QCOMPARE(ui::BannerImage().size(), QSize(360, 40));
        QVERIFY(!ui::BannerImage().hasAlphaChannel());
        QCOMPARE(ui::AboutImage().size(), QSize(270, 75));
        QVERIFY(!ui::ApplicationImage().isNull());
        QVERIFY(ui::MenuIcon("Nothing").isNull());
        QVERIFY(ui::ButtonImage("New").isNull());
    }

    void BuiltInIconsAreDistinctAndVisible() {
        // Every key draws something of its own: no blank and no two alike at 16 px.
        std::set<QByteArray> seen;
        for (const QString& key : ui::IconKeys()) {
            QImage image = ui::DrawIcon(key, 16, ui::ArtStyle::BuiltIn);
            int opaque = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
                }
            }
            QVERIFY2(opaque > 40, qPrintable(key));
            QVERIFY2(seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                            image.sizeInBytes()))
                         .second,
                     qPrintable(key));
        }
    }

    void ThemeReplacesEachSetBySizeRule() {
        UseFreshFolder("sizes");
        Zip("test",
            {{"theme.cfg", "[Theme]\r\nName=Test\r\n[Buttons]\r\nConvert=go\r\nInFiles=in.png\r\n"
                           "[Icons]\r\nAdd=open\r\nCopy=Open.PNG\r\nDelete=bad\r\nNew=case\r\n"},
             {"open_48.png", Png(kToolbar48, 48, 48)},
             {"open_16.png", Png(kMenu16, 16, 16)},
             {"open_32.png", Png(kOther32, 32, 32)},
             {"Open.PNG", Png(kExact, 20, 20)},
             {"go_16.png", Png(kButton, 16, 16)},
             {"bad_16.png", "not a picture"},
             {"bad_48.png", "not a picture"},
             {"Case_16.png", Png(kOther32, 16, 16)}});
        gSettings.interface.uiTheme = "test";
        ui::ScanThemes();
        ui::LoadTheme(true, true, true);

        QCOMPARE(ui::ToolbarIcon("Add").size(), QSize(48, 48));
        QCOMPARE(Centre(ui::ToolbarIcon("Add")), kToolbar48.rgb());
        QCOMPARE(Centre(ui::MenuIcon("Add")), kMenu16.rgb());
        // A full entry name is used unchanged for both sets.
        QCOMPARE(Centre(ui::ToolbarIcon("Copy")), kExact.rgb());
        QCOMPARE(Centre(ui::MenuIcon("Copy")), kExact.rgb());
        // Button images take the 16-px entry of a base name; a missing entry keeps its picture.
        QCOMPARE(Centre(ui::ButtonImage("Convert")), kButton.rgb());
        QCOMPARE(ui::ButtonImage("InFiles").size(), QSize(48, 48));
        // Undecodable, wrongly cased and unconfigured entries keep the built-in pictures.
        QCOMPARE(Centre(ui::MenuIcon("Delete")), BuiltInMenuCentre("Delete"));
        QCOMPARE(Centre(ui::MenuIcon("New")), BuiltInMenuCentre("New"));
        QCOMPARE(Centre(ui::MenuIcon("Help")), BuiltInMenuCentre("Help"));
        QCOMPARE(gSettings.interface.uiTheme, "test");
    }

    void OnlyTheSelectedSetsChange() {
        UseFreshFolder("selected");
        Zip("test", {{"theme.cfg", "[Buttons]\r\nConvert=go\r\n[Icons]\r\nAdd=open\r\n"},
                     {"open_48.png", Png(kToolbar48, 48, 48)},
                     {"open_16.png", Png(kMenu16, 16, 16)},
                     {"go_16.png", Png(kButton, 16, 16)}});
        gSettings.interface.uiTheme = "test";
        ui::ScanThemes();
        QRgb menuBefore = Centre(ui::MenuIcon("Add"));
        QRgb buttonBefore = Centre(ui::ButtonImage("Convert"));
        ui::LoadTheme(false, false, true);
        QCOMPARE(Centre(ui::ToolbarIcon("Add")), kToolbar48.rgb());
        QCOMPARE(Centre(ui::MenuIcon("Add")), menuBefore);
        QCOMPARE(Centre(ui::ButtonImage("Convert")), buttonBefore);
    }

    void MissingThemeFallsBackToTheLastListed() {
        UseFreshFolder("fallback");
        Zip("alpha", {{"theme.cfg", "[Icons]\r\nAdd=a\r\n"}, {"a_16.png", Png(kMenu16, 16, 16)}});
        Zip("zeta", {{"theme.cfg", "[Icons]\r\nAdd=z\r\n"}, {"z_16.png", Png(kOther32, 16, 16)}});
        gSettings.interface.uiTheme = "gone";
        ui::ScanThemes();
        QCOMPARE(ui::ThemeList().size(), size_t(2));
        ui::LoadTheme(true, true, true);
        QCOMPARE(gSettings.interface.uiTheme, "zeta");
        QCOMPARE(Centre(ui::MenuIcon("Add")), kOther32.rgb());
    }

    void UnreadableOrAbsentThemeLeavesEverythingAlone() {
        UseFreshFolder("unreadable");
        std::ofstream(gfx_ + "broken.zip") << "not an archive";
        gSettings.interface.uiTheme = "broken";
        ui::ScanThemes();
        QCOMPARE(ui::ThemeList().at("broken"), "broken");
        QRgb before = Centre(ui::MenuIcon("Add"));
        ui::LoadTheme(true, true, true);
        QCOMPARE(gSettings.interface.uiTheme, "broken"); // it exists, so it is not replaced
        QCOMPARE(Centre(ui::MenuIcon("Add")), before);

        UseFreshFolder("empty");
        gSettings.interface.uiTheme = "gone";
        ui::ScanThemes();
        QVERIFY(ui::ThemeList().empty());
        ui::LoadTheme(true, true, true);
        QCOMPARE(gSettings.interface.uiTheme, "gone");
        QCOMPARE(Centre(ui::MenuIcon("Add")), before);
    }

    void HostileArchivesCostMilliseconds() {
        UseFreshFolder("hostile");
        std::ofstream(gfx_ + "bomb.zip", std::ios::binary) << StreamBomb(8);
        // A few hundred bytes that declare gigabytes, and a quarter of a GiB that decodes well.
        Zip("huge", {{"theme.cfg", "[Theme]\r\nName=Huge\r\n[Icons]\r\nAdd=open\r\n"},
                     {"open_16.png", ClearPng(30000, 30000, false)},
                     {"open_48.png", ClearPng(8000, 8000, true)}});
        // A plain-looking theme outside the folder, which a name with a path part would reach.
        Zip("../outside",
            {{"theme.cfg", "[Icons]\r\nAdd=open\r\n"}, {"open_16.png", Png(kExact, 16, 16)}});
        const QRgb builtIn = Centre(ui::MenuIcon("Add"));
        const QRgb builtInToolbar = Centre(ui::ToolbarIcon("Add"));
        const long peakBefore = PeakKiB();
        for (const char* theme : {"huge", "bomb", "../outside"}) {
            QElapsedTimer clock;
            clock.start();
            gSettings.interface.uiTheme = theme;
            ui::ScanThemes();
            ui::LoadTheme(true, true, true);
            QVERIFY2(clock.elapsed() < 200, theme);
            QCOMPARE(Centre(ui::MenuIcon("Add")), builtIn);
            QCOMPARE(Centre(ui::ToolbarIcon("Add")), builtInToolbar);
        }
        QVERIFY(PeakKiB() - peakBefore < 100 * 1024);
        QCOMPARE(ui::ThemeList().size(), size_t(2));
        // The name with a path part counts as missing: the last listed theme takes its place.
        QCOMPARE(gSettings.interface.uiTheme, "huge");
        QVERIFY(!millconv::IsPlainThemeName(".."));
        QVERIFY(!millconv::IsPlainThemeName(""));
        QVERIFY(!millconv::IsPlainThemeName("a/b"));
        QVERIFY(millconv::IsPlainThemeName("..a"));
    }

    void ShippedThemesHoldEveryKeyAtEverySize() {
        const std::string shipped = MILLCONV_BINARY_DIR "gfx/";
        QCOMPARE(millconv::ThemeDisplayName(shipped, "handdrawn"), "Hand Drawn");
        QCOMPARE(millconv::ThemeDisplayName(shipped, "flat"), "Flat Colours");
        for (const char* package : {"handdrawn", "flat"}) {
            millconv::ThemeArchive archive;
            QVERIFY(archive.Open(shipped + package + ".zip"));
            std::string config = archive.Extract("theme.cfg").value_or("");
            for (const QString& key : ui::IconKeys()) {
                std::string value = millconv::ThemeConfigValue(config, "Icons", key.toStdString());
                for (int uiSize = 0; uiSize < 5; ++uiSize) {
                    int pixels = millconv::IconPixelSize(uiSize);
                    std::string entry = millconv::ThemeEntryName(value, pixels);
                    std::string data = archive.Extract(entry).value_or("");
                    QImage image = QImage::fromData(QByteArray::fromStdString(data), "PNG");
                    QVERIFY2(image.size() == QSize(pixels, pixels), entry.c_str());
                }
            }
            for (const QString& key : ui::ButtonImageKeys()) {
                std::string value =
                    millconv::ThemeConfigValue(config, "Buttons", key.toStdString());
                std::string data =
                    archive.Extract(millconv::ThemeEntryName(value, 16)).value_or("");
                int pixels = key == "Convert" ? 64 : 48;
                QCOMPARE(QImage::fromData(QByteArray::fromStdString(data), "PNG").size(),
                         QSize(pixels, pixels));
            }
        }
    }

    void DefaultThemeIsTheShippedHandDrawnOne() {
        millconv::Settings defaults;
        millconv::SetDefaultSettings(false, defaults);
        QCOMPARE(defaults.interface.uiTheme, "handdrawn");
        ui::SetThemeFolder(MILLCONV_BINARY_DIR "gfx");
        ui::ScanThemes();
        QCOMPARE(ui::ThemeList().at("handdrawn"), "Hand Drawn");
        gSettings.interface.uiTheme = defaults.interface.uiTheme;
        gSettings.interface.uiSize = 1;
        ui::LoadTheme(true, true, true);
        QCOMPARE(ui::ToolbarIcon("Convert").size(), QSize(24, 24));
        QVERIFY(Centre(ui::MenuIcon("Help")) != BuiltInMenuCentre("Help"));
    }

    void ToolbarTakesTheIconSize() {
        QToolBar toolbar;
        ui::SetToolbarIconSize(&toolbar, millconv::IconPixelSize(3));
        QCOMPARE(toolbar.iconSize(), QSize(48, 48));
        ui::SetToolbarIconSize(&toolbar, millconv::IconPixelSize(7));
        QCOMPARE(toolbar.iconSize(), QSize(16, 16));
    }
};

QTEST_MAIN(ThemeImagesTest)
#include "theme_images_test.moc"
