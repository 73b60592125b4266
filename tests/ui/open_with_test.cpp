// "Open with": a file given as the only parameter becomes the window's input, as a drop would.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <string>
#include <vector>

#include "base/product.h"
#include "platform/hand_over.h"
#include "platform/instance_lock.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/process.h"
#include "ui/hand_over_server.h"
#include "ui/main_window.h"
#include "ui/support/private_home.h"
#include "ui/window_mode.h"

using millconv::ui::MainWindow;
using millconv::ui::OpenWithFile;

namespace {

QString WriteFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("not empty");
    return path;
}

// OpenWithFile on a command line given as words (the program name first).
QString OpenWith(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return OpenWithFile(static_cast<int>(words.size()), argv.data());
}

} // namespace

class OpenWithTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        home_ = millconv::test::UsePrivateHome();
        QVERIFY(QDir().mkpath(home_ + "pics"));
        picture_ = WriteFile(home_ + "pics/Sunset 3.png");
    }

    void init() { millconv::test::ResetWindowSettings(); }

    void OnlyASingleExistingFileCounts() {
        const std::string picture = picture_.toStdString();
        QCOMPARE(OpenWith({"millconv", picture}), picture_);
        QCOMPARE(OpenWith({"millconv"}), QString());
        QCOMPARE(OpenWith({"millconv", picture, picture}), QString());
        QCOMPARE(OpenWith({"millconv", "-i", picture}), QString());
        QCOMPARE(OpenWith({"millconv", "-v"}), QString());
        QCOMPARE(OpenWith({"millconv", (home_ + "pics").toStdString()}), QString());
        QCOMPARE(OpenWith({"millconv", (home_ + "pics/missing.png").toStdString()}), QString());
    }

    void RelativePathIsMadeAbsolute() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(home_));
        const QString found = OpenWith({"millconv", "pics/Sunset 3.png"});
        QDir::setCurrent(previous);
        QCOMPARE(found, picture_);
    }

    void FileShowsUpInTheInputFieldAsADropWould() {
        MainWindow window;
        QSignalSpy dropped(&window, &MainWindow::InputFileDropped);
        millconv::ui::ShowWindow(window, picture_);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.Controls().inputField->text(), picture_);
        QCOMPARE(dropped.size(), 1);
        // With no output folder chosen yet, the picture's folder becomes it.
        QCOMPARE(window.Controls().outputFolderBox->currentText(), home_ + "pics/");
    }

    void FileTheInputCheckRefusesStaysOut() {
        const QString text = WriteFile(home_ + "pics/notes.txt");
        MainWindow window;
        millconv::ui::ShowWindow(window, text);
        QCOMPARE(window.Controls().inputField->text(), QString());

        MainWindow plain;
        millconv::ui::ShowWindow(plain, QString());
        QCOMPARE(plain.Controls().inputField->text(), QString());
    }

    void ExecutableOpensTheWindowWithTheFile() {
        // The real program: no console conversion, the window takes the file and, closing at
        // once, remembers its folder as the output folder.
        const QString childHome = home_ + "child/";
        QVERIFY(QDir().mkpath(childHome));
        QFile::setPermissions(childHome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const std::string path = childHome.toStdString();
        const std::map<std::string, std::string> environment = {
            {"HOME", path},
            {"XDG_CONFIG_HOME", path + ".config"},
            {"XDG_RUNTIME_DIR", path},
            {"QT_QPA_PLATFORM", "offscreen"},
            {millconv::ui::kExitAfterShowVariable, "1"}};
        const auto run = millconv::test::RunProgram(millconv::test::MillconvPath(),
                                                    {picture_.toStdString()}, environment);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, std::string());
        QCOMPARE(run.err, std::string());
        QVERIFY(!QFile::exists(home_ + "pics/Sunset 3.tga"));
        millconv::Settings stored;
        stored.settingsFilePath = path + ".config/Pixelmill/millconv/config.ini";
        millconv::LoadSettings(stored);
        QVERIFY2(QString::fromStdString(stored.file.recentOutFolders).contains(home_ + "pics/"),
                 stored.file.recentOutFolders.c_str());
    }

    void SecondStartHandsTheFileToTheRunningWindow() {
        // This process plays the running window: it holds the lock and listens.
        millconv::InstanceLock running;
        QVERIFY(running.Acquire(millconv::AppTitle()));
        MainWindow window;
        millconv::ui::ShowWindow(window, QString());
        millconv::ui::HandOverServer server(window);
        QVERIFY(server.Listen(
            QString::fromStdString(millconv::HandOverSocketPath(millconv::AppTitle()))));

        struct Start {
            const char* name;
            QStringList arguments;
            int status; // 0: the window took the file into its input field
        };
        const Start starts[] = {
            // Named from the file's own folder: the window gets the whole path.
            {"file", {"Sunset 3.png"}, 0},
            {"option", {"-v"}, 75},
            {"two files", {"Sunset 3.png", "Sunset 3.png"}, 75},
            {"missing file", {"gone.png"}, 75},
        };
        for (const Start& start : starts) {
            window.NewForm();
            QProcess second;
            second.setWorkingDirectory(home_ + "pics");
            second.start(QString::fromStdString(millconv::test::MillconvPath()), start.arguments);
            // The window answers from this event loop while the second start waits.
            QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
            QVERIFY2(second.exitCode() == start.status, start.name);
            const QString expected = start.status == 0 ? picture_ : QString();
            QVERIFY2(window.Controls().inputField->text() == expected, start.name);
            QVERIFY2(second.readAllStandardOutput().isEmpty(), start.name);
        }
    }

  private:
    QString home_;
    QString picture_;
};

QTEST_MAIN(OpenWithTest)
#include "open_with_test.moc"
