// The window mode's start-up and orderly exit around Qt's event loop.
#include "ui/window_mode.h"

#include <string>

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include "base/product.h"
#include "platform/hand_over.h"
#include "settings/message_catalogue.h"
#include "settings/settings_file.h"
#include "ui/dialogs/help_commands.h"
#include "ui/hand_over_server.h"
#include "ui/main_window.h"
#include "ui/theme_images.h"

namespace millconv::ui {

namespace {

// The default window position is centred on the primary screen's free area.
DesktopSize PrimaryDesktopSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QSize size = screen->availableGeometry().size();
    return {size.width(), size.height()};
}

} // namespace

void PrepareWindowSettings() {
    SetDesktopSizeHook(&PrimaryDesktopSize);
    const std::string folder = SettingsFolder(MakerWord(), kProgramName);
    gSettings.settingsFilePath =
        folder.empty() ? std::string() : folder + std::string(kSettingsFileName);
    LoadSettings();
    BuildMessageCatalogue();
}

void PrepareTheme() {
    LoadBuiltInImages();
    ScanThemes();
    LoadTheme(true, true, true);
}

void ForgetRecentFoldersWithoutHistory(Settings& settings) {
    if (settings.advanced.outFoldersHistory == 0) {
        settings.file.recentOutFolders.clear();
    }
}

void EndWindowMode() {
    ForgetRecentFoldersWithoutHistory(gSettings);
    SaveSettings();
}

QString OpenWithFile(int argc, char** argv) {
    if (argc != 2 || argv[1] == nullptr || argv[1][0] == '-') {
        return {};
    }
    const QFileInfo file(QString::fromLocal8Bit(argv[1]));
    return file.isFile() ? file.absoluteFilePath() : QString();
}

void ShowWindow(MainWindow& window, const QString& inputFile) {
    window.InitialiseAndShow();
    if (!inputFile.isEmpty()) {
        window.AcceptDroppedFile(inputFile);
    }
}

int RunWindowMode(int argc, char** argv) {
    // Read before Qt takes its own options out of argv.
    const QString inputFile = OpenWithFile(argc, argv);
    std::unique_ptr<QApplication> application = StartQt(argc, argv);
    if (application == nullptr) {
        return 1;
    }
    PrepareWindowSettings();
    PrepareTheme();
    {
        // The window stores its placement when it closes (see MainWindow::closeEvent).
        MainWindow window;
        ShowWindow(window, inputFile);
        // Files opened with the program from now on come to this window.
        HandOverServer handOver(window);
        handOver.Listen(QString::fromStdString(HandOverSocketPath(AppTitle())));
        if (VariableSet(kExitAfterShowVariable)) {
            QTimer::singleShot(0, &window, &QWidget::close);
        } else {
            AutoUpdateCheck(&window);
        }
        application->exec();
    }
    EndWindowMode();
    return 0;
}

} // namespace millconv::ui
