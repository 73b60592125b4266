// The -T screenshot mode: sample data, both JPEGs, the thumbnail's size rule, the homepage text.
#include <QImage>
#include <QtTest>

#include "support/process.h"
#include "ui/screenshot_mode.h"
#include "ui/support/private_home.h"

using millconv::ui::ThumbnailHeight;

namespace {

// Dark pixels in a strip: the homepage text drawn over the light status bar.
int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
        }
    }
    return dark;
}

} // namespace

class ScreenshotModeTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void initTestCase() { home_ = millconv::test::UsePrivateHome(); }
    void init() { millconv::test::ResetWindowSettings(); }

    void ThumbnailHeightIsRounded() {
        QCOMPARE(ThumbnailHeight(QSize(510, 260)), 92);  // 91.76
        QCOMPARE(ThumbnailHeight(QSize(518, 289)), 100); // 100.42
        QCOMPARE(ThumbnailHeight(QSize(360, 181)), 91);  // 90.5 rounds up
        QCOMPARE(ThumbnailHeight(QSize(180, 97)), 97);
        QCOMPARE(ThumbnailHeight(QSize(0, 97)), 0);
    }

    void SevenSampleNames() {
        const QStringList names = millconv::ui::ScreenshotSampleNames();
        QCOMPARE(names.size(), 7);
        QCOMPARE(names.at(3), QString("/home/user/images/pixelmill.png"));
        QCOMPARE(names.first(), QString("/home/user/images/pic0102.png"));
        QCOMPARE(names.last(), QString("/home/user/images/winter.png"));
    }

    void WritesBothPictures() {
        const QString folder = home_ + "shots";
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(millconv::ui::TakeScreenshots(folder), 0); // no trailing '/': added

        // The window with whatever frame the platform draws around it (offscreen: 2 pixels).
        const QImage picture(folder + "/millconv1.jpg");
        QVERIFY(picture.width() >= 510 && picture.width() <= 530);
        QVERIFY(picture.height() >= 260 && picture.height() <= 300);
        const QImage thumbnail(folder + "/millconv1x.jpg");
        QCOMPARE(thumbnail.size(), QSize(180, ThumbnailHeight(picture.size())));
        // The homepage text sits right-aligned 35 pixels from the edge, 26 from the bottom.
        const int right = picture.width() - 35;
        const int top = picture.height() - 26;
        QVERIFY(DarkPixels(picture, QRect(right - 60, top, 60, 12)) > 20);
        QCOMPARE(DarkPixels(picture, QRect(right + 3, top, 28, 12)), 0);
    }

    void MissingFolderWritesNothing() {
        QCOMPARE(millconv::ui::TakeScreenshots(home_ + "missing/"), 1);
        QVERIFY(!QFile::exists(home_ + "missing"));
    }

    void ProgramWritesThePictures() {
        const QString folder = home_ + "program/";
        QVERIFY(QDir().mkpath(folder));
        const auto run =
            millconv::test::RunProgram(millconv::test::MillconvPath(), {"-T", folder.toStdString()},
                                       millconv::test::ChildEnvironment(home_));
        QCOMPARE(run.status, 0);
        const QImage picture(folder + "millconv1.jpg");
        QVERIFY(picture.width() >= 510);
        QCOMPARE(QImage(folder + "millconv1x.jpg").size(),
                 QSize(180, ThumbnailHeight(picture.size())));
        // The screenshot mode never writes the settings file.
        QVERIFY(!QFile::exists(home_ + ".config/Pixelmill/millconv/config.ini"));
    }

  private:
    QString home_;
};

QTEST_MAIN(ScreenshotModeTest)
#include "screenshot_mode_test.moc"
