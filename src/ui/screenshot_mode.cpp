// The "-T FOLDER" screenshot mode: the main window with sample data, written as two JPEGs.
#include "ui/screenshot_mode.h"

#include <cmath>
#include <cstdio>
#include <random>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QImageWriter>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "platform/files.h"
#include "platform/random_seed.h"
#include "settings/format_catalogue.h"
#include "ui/commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/main_window.h"
#include "ui/theme_images.h"
#include "ui/window_mode.h"

namespace millconv::ui {

namespace {

constexpr const char* kSampleFolder = "/home/user/images/";
constexpr const char* kSampleStems[] = {"pic0102",     "picture_a", "picture_b", "pixelmill",
                                        "layout-haus", "summer",    "winter"};
constexpr const char* kSampleOutputFolder = "/tmp/converted/";
constexpr int kSettleMilliseconds = 500;
constexpr int kJpegQuality = 90;
// Text placement from the picture's bottom-right corner.
constexpr int kTextRightMargin = 35;
constexpr int kTextFromBottom = 26;
// "Tahoma" 8 pt at the 96 DPI of the desktop the pictures imitate.
constexpr int kTextPixelSize = 11;

void PrintFailure(const QString& line) {
    std::fprintf(stderr, "millconv: %s\n", line.toLocal8Bit().constData());
}

// The window's outer area: a screen grab of the frame where a window manager draws one,
// else the window's own rendering.
QImage CaptureWindow(QWidget& window) {
    const QRect frame = window.frameGeometry();
    QScreen* screen = window.screen();
    if (screen != nullptr && frame.size() != window.size()) {
        const QRect area = frame.translated(-screen->geometry().topLeft());
        const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (!shot.isNull()) {
            return shot.toImage().convertToFormat(QImage::Format_RGB32);
        }
    }
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void DrawHomepage(QImage& image) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(kTextPixelSize);
    font.setStyleStrategy(QFont::PreferQuality);
    const QString text = QString::fromLatin1(kProductPageUrl.data(), kProductPageUrl.size());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int x = image.width() - metrics.horizontalAdvance(text) - kTextRightMargin;
    const int top = image.height() - kTextFromBottom;
    painter.drawText(x, top + metrics.ascent(), text);
}

bool WriteJpeg(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(kJpegQuality);
    if (writer.write(image)) {
        return true;
    }
    PrintFailure("cannot write " + path + ": " + writer.errorString());
    return false;
}

// Waits for the window to settle, or until it is closed.
void Settle() {
    QEventLoop loop;
    QTimer::singleShot(kSettleMilliseconds, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

QStringList ScreenshotSampleNames() {
    static std::mt19937 generator{RandomSeed()};
    const auto& extensions = InputFormatList();
    QStringList names;
    for (const char* stem : kSampleStems) {
        QString extension;
        if (!extensions.empty()) {
            std::uniform_int_distribution<size_t> pick(0, extensions.size() - 1);
            extension = QString::fromStdString(extensions[pick(generator)]);
        }
        names << QString::fromLatin1(kSampleFolder) + stem + "." + extension;
    }
    return names;
}

int ThumbnailHeight(const QSize& size) {
    if (size.width() <= 0 || size.height() <= 0) {
        return 0;
    }
    const double ratio = static_cast<double>(size.width()) / size.height();
    return static_cast<int>(std::lround(kThumbnailWidth / ratio));
}

int TakeScreenshots(const QString& folder) {
    QString target = folder.isEmpty() ? QString::fromStdString(ProgramFolder()) : folder;
    if (!target.endsWith('/')) {
        target += '/';
    }
    if (!FolderExists(target.toStdString())) {
        PrintFailure("screenshot folder " + target + " does not exist");
        return 1;
    }

    const QStringList samples = ScreenshotSampleNames();
    MainWindow window;
    window.move(400, 400);
    window.resize(window.minimumSize());
    window.activateWindow();
    window.InitialiseAndShow();

    const WindowControls controls = window.Controls();
    controls.inputField->setText(samples.at(3));
    controls.outputFolderBox->addItem(QIcon(MenuIcon("FavFolder")),
                                      QString::fromLatin1(kSampleOutputFolder));
    controls.outputFolderBox->setCurrentIndex(controls.outputFolderBox->count() - 1);
    controls.outputFormatBox->setFocus();
    controls.outputFolderBox->setFocus();
    window.ConvertButton()->setFocus();
    Settle();

    QImage picture = CaptureWindow(window);
    DrawHomepage(picture);
    if (!WriteJpeg(picture, target + "millconv1.jpg")) {
        return 1;
    }
    const QImage thumbnail = picture.scaled(kThumbnailWidth, ThumbnailHeight(picture.size()),
                                            Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return WriteJpeg(thumbnail, target + "millconv1x.jpg") ? 0 : 1;
}

int RunScreenshotMode(const char* folder) {
    // QApplication keeps a reference to argc for its whole life.
    static int argc = 1;
    static char programName[] = "millconv";
    static char* argv[] = {programName, nullptr};
    std::unique_ptr<QApplication> application = StartQt(argc, argv);
    if (application == nullptr) {
        return 1;
    }
    PrepareTheme();
    return TakeScreenshots(QString::fromUtf8(folder != nullptr ? folder : ""));
}

} // namespace millconv::ui
