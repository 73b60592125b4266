// The desktop icons: the same windmill as the window's application image, the SVG included.
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "ui/artwork.h"
#include "ui/support/private_home.h"
#include "ui/theme_images.h"

namespace {

// Mean difference per channel (0..255) of two images of one size, premultiplied so fully
// transparent pixels compare equal whatever colour they hold.
double MeanDifference(const QImage& first, const QImage& second) {
    const QImage a = first.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = second.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return total / (4.0 * a.width() * a.height());
}

QImage BuiltIcon(int size) {
    const QString side = QString::number(size);
    return QImage(MILLCONV_BINARY_DIR "icons/hicolor/" + side + "x" + side + "/apps/millconv.png");
}

} // namespace

class DesktopIconTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        millconv::test::UsePrivateHome();
        millconv::test::ResetWindowSettings();
        millconv::ui::LoadBuiltInImages();
    }

    void WindowIconIsTheInstalledIcon() {
        const QImage window = millconv::ui::ApplicationImage().toImage();
        const QImage installed = BuiltIcon(64);
        QCOMPARE(installed.size(), QSize(64, 64));
        // The window's pixmap holds premultiplied pixels; compare in that form.
        QCOMPARE(window.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 installed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void IconsAreTheSameDrawingAtEverySize() {
        // Small sizes are drawn for their size, not scaled down from a large one.
        for (int size : {16, 24, 32, 48, 128, 256}) {
            const QImage icon = BuiltIcon(size);
            QCOMPARE(icon.size(), QSize(size, size));
            QCOMPARE(
                icon.convertToFormat(QImage::Format_ARGB32),
                millconv::ui::DrawApplicationImage(size).convertToFormat(QImage::Format_ARGB32));
        }
    }

    void ScalableIconMatchesTheDrawing() {
        const QString converter = QStandardPaths::findExecutable("rsvg-convert");
        QVERIFY2(!converter.isEmpty(), "rsvg-convert (librsvg2-bin) is missing");
        for (int size : {48, 256}) {
            QProcess render;
            render.start(converter, {"-w", QString::number(size), "-h", QString::number(size),
                                     MILLCONV_SOURCE_DIR "packaging/millconv.svg"});
            QVERIFY(render.waitForFinished(30000));
            QCOMPARE(render.exitCode(), 0);
            const QImage svg = QImage::fromData(render.readAllStandardOutput(), "PNG");
            QCOMPARE(svg.size(), QSize(size, size));
            const double difference = MeanDifference(svg, millconv::ui::DrawApplicationImage(size));
            QVERIFY2(difference < 2.0, qPrintable(QString::number(difference)));
        }
    }
};

QTEST_MAIN(DesktopIconTest)
#include "desktop_icon_test.moc"
