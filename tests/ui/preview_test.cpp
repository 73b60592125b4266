// The Preview window on real widgets: what Before and After show, live updates, placement,
// nothing written, and a main window that stays responsive while a large picture renders.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "engine/draw_module.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/commands.h"
#include "ui/main_window.h"
#include "ui/preferences/preferences_dialog.h"
#include "ui/preview/preview_canvas.h"
#include "ui/preview/preview_info.h"
#include "ui/preview/preview_window.h"
#include "ui/support/preferences_form.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"
#include "ui/support/widget_lookup.h"

using namespace millconv;
using namespace millconv::ui;

namespace {

// Quarter colours whose three channels all differ, so a swapped channel shows.
const QColor kTopLeft(220, 40, 90);
const QColor kTopRight(30, 180, 60);
const QColor kBottomLeft(40, 70, 210);
const QColor kBottomRight(250, 200, 20);

bool WriteQuarters(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            image.setPixelColor(x, y,
                                bottom ? (right ? kBottomRight : kBottomLeft)
                                       : (right ? kTopRight : kTopLeft));
        }
    }
    return image.save(path, "PNG");
}

bool Shows(const QImage& shown, const QColor& colour) {
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixelColor(x, y).rgb() == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

// A solid frame of that width and colour ("RRGGBB") on every side.
void UseFrame(int32_t width, const char* colour) {
    gSettings.frame.doFrame = 1;
    for (int32_t* side : {&gSettings.frame.solidLeft, &gSettings.frame.solidRight,
                          &gSettings.frame.solidTop, &gSettings.frame.solidBottom}) {
        *side = width;
    }
    for (std::string* sideColour :
         {&gSettings.frame.solidLeftColor, &gSettings.frame.solidRightColor,
          &gSettings.frame.solidTopColor, &gSettings.frame.solidBottomColor}) {
        *sideColour = colour;
    }
}

QRgb PixelAt(const PreviewCanvas* canvas, int x, int y) { return canvas->Picture().pixel(x, y); }

// How long the calling thread has waited in the scheduler's run queue (ready to run, but
// another thread had the processor), from the kernel's per-thread statistics; 0 without them.
qint64 QueuedMilliseconds() {
    QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stats.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = stats.readAll().split(' ');
    return fields.size() >= 2 ? fields[1].toLongLong() / 1000000 : 0;
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private:
    QTemporaryDir tmp_;
    std::unique_ptr<MainWindow> window_;

    QString Path(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }

    // The main window with the input in its form and the preview opened by F6's command.
    PreviewWindow* OpenPreview(const QString& input) {
        window_ = std::make_unique<MainWindow>();
        window_->InitialiseAndShow();
        window_->Controls().inputField->setText(input);
        RunCommand(*window_, kCommandPreview);
        auto* preview = window_->findChild<PreviewWindow*>();
        if (preview != nullptr) {
            WaitUntilDone(preview);
        }
        return preview;
    }

    static void WaitUntilDone(PreviewWindow* preview) {
        QTRY_VERIFY_WITH_TIMEOUT(!preview->Busy(), 180000);
    }

  private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        SetDrawModulePath(MILLCONV_BINARY_DIR "millconv-draw.so");
        QVERIFY(WriteQuarters(Path("quarters.png"), 64, 48));
    }

    void init() { millconv::ui::test::UsePrivateSettings(); }
    void cleanup() { window_.reset(); }

    void beforeAndAfterShowEveryQuarterAndRotationSwapsAfter() {
        struct Case {
            int rotation;
            QSize after;
        };
        for (const Case& c : {Case{0, {64, 48}}, Case{90, {48, 64}}}) {
            gSettings.transform.doImageRotation = c.rotation != 0 ? 1 : 0;
            gSettings.transform.imageRotation = c.rotation;
            PreviewWindow* preview = OpenPreview(Path("quarters.png"));
            QVERIFY(preview != nullptr);
            QCOMPARE(preview->BeforeCanvas()->Picture().size(), QSize(64, 48));
            QCOMPARE(preview->AfterCanvas()->Picture().size(), c.after);
            // What is painted on screen, not only what is held.
            for (PreviewCanvas* canvas : {preview->BeforeCanvas(), preview->AfterCanvas()}) {
                const QImage shown = canvas->grab().toImage();
                for (const QColor& colour : {kTopLeft, kTopRight, kBottomLeft, kBottomRight}) {
                    QVERIFY2(Shows(shown, colour),
                             qPrintable(canvas->accessibleName() + " lacks " + colour.name()));
                }
            }
            QVERIFY2(
                preview->InfoLabel()->text().startsWith(
                    QStringLiteral("%1 \u00D7 %2, 24-bit, uncompressed, bottom-left \u2014 about ")
                        .arg(c.after.width())
                        .arg(c.after.height())),
                qPrintable(preview->InfoLabel()->text()));
        }
    }

    void framedAfterHasTheFrameColourAndPreferencesOkUpdatesIt() {
        UseFrame(3, "C8641E");
        PreviewWindow* preview = OpenPreview(Path("quarters.png"));
        QVERIFY(preview != nullptr);
        const PreviewCanvas* after = preview->AfterCanvas();
        const QRgb frame = qRgb(0xC8, 0x64, 0x1E);
        QCOMPARE(PixelAt(after, 0, 0), frame);
        QCOMPARE(PixelAt(after, 2, 24), frame); // left side, inner row of the frame
        QCOMPARE(PixelAt(after, 63, 47), frame);
        QCOMPARE(PixelAt(after, 3, 3), kTopLeft.rgb()); // first pixel inside
        QCOMPARE(PixelAt(preview->BeforeCanvas(), 0, 0), kTopLeft.rgb());

        // The left colour changed in the dialog, then OK: After follows without another step.
        ui::test::ScriptedPrompter prompter;
        prompter.colors = {QColor(0x12, 0x9A, 0xE4)};
        QSignalSpy updated(preview, &PreviewWindow::Updated);
        bool clicked = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            auto* solid = dialog->findChild<QWidget*>(QStringLiteral("Frame-solid"));
            auto* left = millconv::test::ControlFor<QPushButton>(solid, "Left Color:");
            if (left != nullptr) {
                left->click();
                clicked = true;
            }
            dialog->OkButton()->click();
        });
        window_->OpenPreferences(0);
        QVERIFY(clicked);
        QVERIFY(updated.wait(30000));
        WaitUntilDone(preview);
        QCOMPARE(PixelAt(after, 1, 24), qRgb(0x12, 0x9A, 0xE4));
        QCOMPARE(PixelAt(after, 63, 24), frame);
    }

    void failuresShowTheirTextInThePictureArea() {
        struct Case {
            std::function<void()> setUp;
            QString input;
            QString text;
        };
        const QString missing = Path("missing.png");
        const QString picture = Path("no-such-mark.png");
        const Case cases[] = {
            {[] {}, missing, QStringLiteral("Unable to open the file: %1!").arg(missing)},
            {[picture] {
                 gSettings.watermark.doWatermark = 2;
                 gSettings.watermark.image = picture.toStdString();
             },
             Path("quarters.png"),
             QStringLiteral("Unable to load selected file as a watermark image: %1").arg(picture)},
            {[] {
                 gSettings.transform.doImageResize = 1;
                 gSettings.transform.imageWidth = 0;
             },
             Path("quarters.png"), QStringLiteral("Invalid resize width value!")},
        };
        for (const Case& c : cases) {
            millconv::ui::test::UsePrivateSettings();
            c.setUp();
            ui::test::ScriptedPrompter prompter;
            PreviewWindow* preview = OpenPreview(c.input);
            QVERIFY(preview != nullptr);
            QVERIFY(preview->AfterCanvas()->Picture().isNull());
            QVERIFY2(preview->AfterCanvas()->Message().startsWith(c.text),
                     qPrintable(preview->AfterCanvas()->Message()));
            QVERIFY(prompter.Calls().empty()); // no message box
        }
    }

    void nothingIsWrittenButThePreviewsOwnPlacement() {
        QTemporaryDir output;
        QVERIFY(output.isValid());
        gSettings.file.recentOutFolders = output.path().toStdString();
        const QString config = QString::fromStdString(gSettings.settingsFilePath);
        QVERIFY(SaveSettings(gSettings));
        const QString before = ReadAll(config);
        QVERIFY(!before.contains(QStringLiteral("[Preview]")));

        PreviewWindow* preview = OpenPreview(Path("quarters.png"));
        QVERIFY(preview != nullptr);
        window_->Controls().outputFolderBox->setCurrentIndex(0);
        QCOMPARE(window_->Controls().outputFolderBox->currentText(), output.path());
        QTRY_VERIFY(preview->Busy());
        WaitUntilDone(preview);

        QVERIFY(millconv::test::EntriesBelow(output.path()).isEmpty());
        QCOMPARE(millconv::test::EntriesBelow(tmp_.path()), QStringList{"quarters.png"});
        QCOMPARE(ReadAll(config), before);
        // Saved now, the file differs only by the preview's group at its end.
        preview->resize(700, 450);
        QVERIFY(SaveSettings(gSettings));
        const QString after = ReadAll(config);
        QVERIFY2(after.startsWith(before), qPrintable(after));
        const QString added = after.mid(before.size());
        QVERIFY2(added.startsWith(QStringLiteral("[Preview]\r\n")), qPrintable(added));
        QVERIFY2(added.contains(QStringLiteral("Width = 700\r\n")), qPrintable(added));
        QVERIFY2(added.contains(QStringLiteral("Height = 450\r\n")), qPrintable(added));
    }

    void placementIsRestoredAndKeysWork() {
        gSettings.previewWindow = {40, 50, 640, 410};
        PreviewWindow* preview = OpenPreview(Path("quarters.png"));
        QVERIFY(preview != nullptr);
        QCOMPARE(preview->size(), QSize(640, 410));
        QCOMPARE(preview->windowTitle(), QStringLiteral("Preview"));
        QCOMPARE(preview->parentWidget(), window_.get());
        QVERIFY(preview->isWindow());

        QCOMPARE(preview->BeforeCanvas()->accessibleName(), QStringLiteral("Before"));
        QCOMPARE(preview->AfterCanvas()->accessibleName(), QStringLiteral("After"));
        for (QAbstractButton* button : preview->findChildren<QAbstractButton*>()) {
            QVERIFY2(button->text().contains('&'), qPrintable(button->text()));
        }

        // Zoom: Ctrl++ from the fitted scale, 100 %, then fit again.
        preview->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(preview));
        const double fitted = preview->AfterCanvas()->EffectiveScale();
        QTest::keyClick(preview, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(preview->AfterCanvas()->EffectiveScale(), fitted * 1.25);
        QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(preview->AfterCanvas()->EffectiveScale(), fitted);
        for (QPushButton* button : preview->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("100 &%")) {
                button->click();
            }
        }
        QCOMPARE(preview->AfterCanvas()->Zoom(), 1.0);

        // One view at a time by the toggle.
        for (QRadioButton* radio : preview->findChildren<QRadioButton*>()) {
            if (radio->text() == QStringLiteral("&After")) {
                radio->click();
            }
        }
        QVERIFY(!preview->BeforeCanvas()->isVisible());
        QVERIFY(preview->AfterCanvas()->isVisible());

        // Escape closes; the command brings the same window back.
        QTest::keyClick(preview, Qt::Key_Escape);
        QVERIFY(!preview->isVisible());
        RunCommand(*window_, kCommandPreview);
        QVERIFY(preview->isVisible());
        QCOMPARE(window_->findChildren<PreviewWindow*>().size(), 1);
    }

    void largeInputKeepsTheMainWindowResponsive() {
        QVERIFY(WriteQuarters(Path("large.png"), 6000, 4000));
        // A tick's gap less the time this thread only waited for a processor: other programs
        // on a loaded machine must not count, work or waiting done by the window must.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 lastQueued = QueuedMilliseconds();
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const qint64 queued = QueuedMilliseconds();
            longestGap = std::max(longestGap, now - last - (queued - lastQueued));
            last = now;
            lastQueued = queued;
        });
        window_ = std::make_unique<MainWindow>();
        window_->InitialiseAndShow();
        window_->Controls().inputField->setText(Path("large.png"));
        RunCommand(*window_, kCommandPreview);
        auto* preview = window_->findChild<PreviewWindow*>();
        QVERIFY(preview != nullptr);
        QVERIFY(preview->Busy());
        // From here the picture is being computed.
        clock.start();
        lastQueued = QueuedMilliseconds();
        ticker.start();
        WaitUntilDone(preview);
        QTest::qWait(50); // the first paints of the result
        ticker.stop();
        QCOMPARE(preview->AfterCanvas()->Picture().size(), QSize(6000, 4000));
        QVERIFY2(longestGap <= 100, qPrintable(QString::number(longestGap) + " ms"));
        QFile::remove(Path("large.png"));
    }

    void firstPlacementKeepsTheMainWindowInView() {
        struct Case {
            QRect area;
            QRect main;
            QRect preview;
        };
        const Case cases[] = {
            // Room below: the preferred size, centred under the main window.
            {{0, 0, 1920, 1080}, {700, 100, 510, 290}, {524, 397, 860, 520}},
            // A main window at the bottom: above it, as low as fits.
            {{0, 0, 1280, 1024}, {385, 700, 510, 290}, {209, 173, 860, 520}},
            // A band narrower than the preferred size still takes it, shrunk to the band.
            {{0, 0, 1280, 720}, {0, 0, 510, 290}, {517, 0, 763, 520}},
            // No band holds the smallest size: over the main window's middle.
            {{0, 0, 1024, 768}, {257, 239, 510, 290}, {81, 123, 860, 520}},
        };
        for (const Case& c : cases) {
            QCOMPARE(FirstPlacement(c.main, c.area), c.preview);
        }
    }

    // The manual's picture of the preview. Written into the build tree on every run; with
    // MILLCONV_UPDATE_MANUAL_PICTURES=1 also over docs/millconv-preview.png, which is committed.
    void manualPictureShowsAFramedAndMarkedPreview() {
        QImage scene(800, 600, QImage::Format_RGB32);
        {
            QPainter painter(&scene);
            painter.setRenderHint(QPainter::Antialiasing);
            QLinearGradient sky(0, 0, 0, 600);
            sky.setColorAt(0, QColor(70, 130, 210));
            sky.setColorAt(1, QColor(200, 225, 245));
            painter.fillRect(scene.rect(), sky);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(250, 210, 60));
            painter.drawEllipse(QPointF(590, 150), 70, 70);
            painter.setBrush(QColor(70, 150, 70));
            painter.drawEllipse(QPointF(220, 690), 480, 260);
            painter.setBrush(QColor(40, 110, 60));
            painter.drawEllipse(QPointF(700, 720), 420, 240);
        }
        QVERIFY(scene.save(Path("hills.png"), "PNG"));
        UseFrame(20, "F4ECD8");
        gSettings.watermark.doWatermark = 1;
        gSettings.watermark.text = "Pixelmill";
        gSettings.watermark.fontSize = 28;
        gSettings.watermark.textXOffset = 30;
        gSettings.watermark.textYOffset = 30;
        gSettings.watermark.fontColor = "FFFFFF";
        gSettings.transform.doImageRotation = 1;
        gSettings.transform.imageRotation = 90;
        gSettings.output.tgaCompression = 1;
        gSettings.previewWindow = {0, 0, 860, 460};
        PreviewWindow* preview = OpenPreview(Path("hills.png"));
        QVERIFY(preview != nullptr);
        QCOMPARE(preview->AfterCanvas()->Picture().size(), QSize(600, 800));
        QVERIFY(preview->InfoLabel()->text().contains(QStringLiteral("RLE")));
        const QImage shot = preview->grab().toImage();
        QVERIFY(QDir().mkpath(MILLCONV_BINARY_DIR "manual-pictures"));
        QVERIFY(shot.save(MILLCONV_BINARY_DIR "manual-pictures/millconv-preview.png"));
        if (qEnvironmentVariableIntValue("MILLCONV_UPDATE_MANUAL_PICTURES") == 1) {
            QVERIFY(shot.save(MILLCONV_SOURCE_DIR "docs/millconv-preview.png"));
        }
        QFile::remove(Path("hills.png"));
    }

    void infoLineSizesReadAsPeopleSayThem() {
        const std::pair<uint64_t, const char*> sizes[] = {
            {0, "0 bytes"},       {999, "999 bytes"}, {1000, "1.0 kB"},    {14249, "14.2 kB"},
            {999949, "999.9 kB"}, {999950, "1.0 MB"}, {1887437, "1.9 MB"}, {2500000000, "2.5 GB"},
        };
        for (const auto& [bytes, text] : sizes) {
            QCOMPARE(ReadableSize(bytes), QString::fromLatin1(text));
        }
        PreviewRender render;
        render.outputDepth = 32;
        render.transparent = true;
        render.estimatedBytes = 1887437;
        OutputParameters output;
        output.conversion = "tga";
        output.saveFlags = 2; // RLE
        output.topLeft = true;
        QCOMPARE(OutputInfoLine(render, 1024, 768, output),
                 QStringLiteral(
                     "1024 \u00D7 768, 32-bit, RLE, top-left, transparent \u2014 about 1.9 MB"));
        output.conversion = "png";
        render.transparent = false;
        render.estimatedBytes = 0; // the writer refused the picture: no estimate
        QCOMPARE(OutputInfoLine(render, 7, 5, output), QStringLiteral("7 \u00D7 5, 32-bit, PNG"));
    }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
