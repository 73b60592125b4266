// The window mode's start-up and orderly exit around Qt's event loop.
#include "ui/window_mode.h"

#include <cstdio>
#include <cstdlib>
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

bool VariableSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

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

bool DisplayAvailable() {
    return VariableSet("DISPLAY") || VariableSet("WAYLAND_DISPLAY") ||
           VariableSet("QT_QPA_PLATFORM");
}

const char* NoDisplayMessage() {
    return "millconv: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
           "set); use -i FILE to convert on the console";
}

std::unique_ptr<QApplication> StartQt(int& argc, char** argv) {
    // Qt aborts the process when it finds no display, so ask first.
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage());
        return nullptr;
    }
    return std::make_unique<QApplication>(argc, argv);
}

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

void StoreWindowPlacement(Qt::WindowStates state, const QRect& placement, Settings& settings) {
    if (state.testFlag(Qt::WindowMinimized)) {
        return;
    }
    if (state.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowFullScreen)) {
        // The normal placement stays as stored, so restoring next time has somewhere to go.
        settings.window.isMaximized = 1;
        return;
    }
    settings.window.isMaximized = 0;
    settings.window.x = placement.x();
    settings.window.y = placement.y();
    settings.window.width = placement.width();
    settings.window.height = placement.height();
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
