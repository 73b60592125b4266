// Window mode start-up and exit: settings folder, default position, placement, history, saving.
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/process.h"
#include "ui/support/private_home.h"
#include "ui/window_mode.h"

using millconv::gSettings;
using millconv::Settings;

namespace {

Settings PlacedSettings() {
    Settings settings;
    settings.window = {0, 11, 22, 633, 260};
    return settings;
}

} // namespace

class WindowModeTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void initTestCase() { home_ = millconv::test::UsePrivateHome(); }
    void init() { millconv::test::ResetWindowSettings(); }

    void PlacementRulesOnClose() {
        const QRect normal(140, 90, 712, 260);

        Settings settings = PlacedSettings();
        millconv::ui::StoreWindowPlacement(Qt::WindowNoState, normal, settings);
        QCOMPARE(settings.window.x, 140);
        QCOMPARE(settings.window.y, 90);
        QCOMPARE(settings.window.width, 712);
        QCOMPARE(settings.window.height, 260);

        // Maximised: only the flag; the normal placement stays for the restore.
        settings = PlacedSettings();
        millconv::ui::StoreWindowPlacement(Qt::WindowMaximized, normal, settings);
        QCOMPARE(settings.window.isMaximized, int8_t{1});
        QCOMPARE(settings.window.x, 11);
        QCOMPARE(settings.window.y, 22);
        QCOMPARE(settings.window.width, 633);

        // Minimised: nothing at all, not even a stored maximised flag.
        for (Qt::WindowStates state :
             {Qt::WindowStates(Qt::WindowMinimized), Qt::WindowMinimized | Qt::WindowMaximized}) {
            settings = PlacedSettings();
            settings.window.isMaximized = 1;
            millconv::ui::StoreWindowPlacement(state, normal, settings);
            QCOMPARE(settings.window.isMaximized, int8_t{1});
            QCOMPARE(settings.window.x, 11);
            QCOMPARE(settings.window.height, 260);
        }

        // Back to normal clears the flag.
        settings.window.isMaximized = 1;
        millconv::ui::StoreWindowPlacement(Qt::WindowActive, normal, settings);
        QCOMPARE(settings.window.isMaximized, int8_t{0});
        QCOMPARE(settings.window.width, 712);
    }

    void SettingsFolderAndCentredDefaultPosition() {
        millconv::ui::PrepareWindowSettings();
        QCOMPARE(QString::fromStdString(gSettings.settingsFilePath),
                 home_ + ".config/Pixelmill/millconv/config.ini");
        // No config.ini yet: the defaults centre the window on the primary screen.
        const QSize desktop = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(desktop.width() > 510 && desktop.height() > 260);
        QCOMPARE(gSettings.window.x, (desktop.width() - 510) / 2);
        QCOMPARE(gSettings.window.y, (desktop.height() - 260) / 2);
        QCOMPARE(gSettings.window.width, 510);
    }

    void ExitSavesAndForgetsFoldersWithoutHistory() {
        millconv::ui::PrepareWindowSettings();
        gSettings.window.width = 777;
        gSettings.file.recentOutFolders = "/tmp/pics/|/tmp/other/";
        gSettings.advanced.outFoldersHistory = 1;
        millconv::ui::EndWindowMode();
        Settings stored;
        stored.settingsFilePath = gSettings.settingsFilePath;
        millconv::LoadSettings(stored);
        QCOMPARE(stored.window.width, 777);
        QCOMPARE(stored.file.recentOutFolders, std::string("/tmp/pics/|/tmp/other/"));

        gSettings.advanced.outFoldersHistory = 0;
        millconv::ui::EndWindowMode();
        QCOMPARE(gSettings.file.recentOutFolders, std::string());
        millconv::LoadSettings(stored);
        QCOMPARE(stored.file.recentOutFolders, std::string());
    }

    void WindowStartsShowsAndSavesOnExit() {
        // The executable loads the module, shows the window, closes it at once and saves.
        const QString childHome = home_ + "child/";
        QVERIFY(QDir().mkpath(childHome));
        QFile::setPermissions(childHome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto environment = millconv::test::ChildEnvironment(childHome);
        environment[millconv::ui::kExitAfterShowVariable] = "1";
        const auto run =
            millconv::test::RunProgram(millconv::test::MillconvPath(), {}, environment);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, std::string());
        Settings stored;
        stored.settingsFilePath =
            (childHome + ".config/Pixelmill/millconv/config.ini").toStdString();
        QVERIFY(QFile::exists(QString::fromStdString(stored.settingsFilePath)));
        millconv::LoadSettings(stored);
        QCOMPARE(stored.window.width, 510);
        QCOMPARE(stored.window.height, 260);
        QCOMPARE(stored.window.isMaximized, int8_t{0});
    }

  private:
    QString home_;
};

QTEST_MAIN(WindowModeTest)
#include "window_mode_test.moc"
