// The desktop icons: the same windmill as the window's application image, the SVG included.
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "ui/artwork.h"
#include "ui/support/private_home.h"
#include "ui/theme_images.h"

namespace {

// The share of pixels (0..1) whose colour differs clearly, by more than a sixth of the range
// in some channel; edge smoothing of two renderers stays below that. Premultiplied, so fully
// transparent pixels compare equal whatever colour they hold.
double ClearlyDifferentShare(const QImage& first, const QImage& second) {
    const QImage a = first.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = second.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int most =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            different += most > 40 ? 1 : 0;
        }
    }
    return static_cast<double>(different) / (a.width() * a.height());
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

    void ScalableIconMatchesTheDrawing() {
        // At the largest size, where edge smoothing is the smallest share of the picture.
        const QString converter = QStandardPaths::findExecutable("rsvg-convert");
        QVERIFY2(!converter.isEmpty(), "rsvg-convert (librsvg2-bin) is missing");
        QProcess render;
        render.start(converter,
                     {"-w", "256", "-h", "256", MILLCONV_SOURCE_DIR "packaging/millconv.svg"});
        QVERIFY(render.waitForFinished(30000));
        QCOMPARE(render.exitCode(), 0);
        const QImage svg = QImage::fromData(render.readAllStandardOutput(), "PNG");
        QCOMPARE(svg.size(), QSize(256, 256));
        const double share = ClearlyDifferentShare(svg, millconv::ui::DrawApplicationImage(256));
        QVERIFY2(share < 0.008, qPrintable(QString::number(share)));
    }
};

QTEST_MAIN(DesktopIconTest)
#include "desktop_icon_test.moc"
