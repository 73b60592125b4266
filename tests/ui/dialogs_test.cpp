// About, Find a File Converter, the uninstall page and the Help menu's links.
#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "job/job_record.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/converter_dialog.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/uninstall_page.h"
#include "ui/dialogs/web_links.h"
#include "ui/support/fake_opener.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"
#include "ui/support/widget_lookup.h"
#include "ui/window_mode.h"

using namespace millconv;
using millconv::test::ControlFor;
using millconv::test::ShownText;
using millconv::ui::test::PrompterCall;
using millconv::ui::test::ScriptedPrompter;

namespace {

// Runs action on the modal window as soon as the event loop of exec() shows it; closes the
// window afterwards if the action failed half-way, so a failure never hangs the test.
void WhenModalShows(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        action(modal);
        if (modal->isVisible()) {
            modal->close();
        }
    });
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { test::UsePrivateHome(); }

  private slots:
    void FileTypesAreCleaned_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("upper case") << "JPG"
                                    << "jpg";
        QTest::newRow("blanks and marks") << "P N G!"
                                          << "png";
        QTest::newRow("cut to twelve") << "verylongextension"
                                       << "verylongexte";
        QTest::newRow("cut before filtering") << "a.b.c.d.e.f.g.h"
                                              << "abcdef";
        QTest::newRow("only marks") << "***"
                                    << "";
        QTest::newRow("non-ASCII letters dropped") << QString::fromUtf8("Ärger9") << "rger9";
        QTest::newRow("digits kept") << "Mp3"
                                     << "mp3";
    }

    void FileTypesAreCleaned() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(QString::fromStdString(ui::CleanFileType(typed)), cleaned);
    }

    void ConverterSearchOpensTheFindPage() {
        test::FakeOpener opener;
        ScriptedPrompter prompter;
        QWidget mainWindow;
        ui::FileConverterDialog dialog(&mainWindow);
        dialog.show();
        QCOMPARE(dialog.size(), QSize(370, 60));
        QCOMPARE(dialog.windowTitle(), QString("Find a File Converter"));
        auto* from = ControlFor<QLineEdit>(&dialog, "From:");
        auto* to = ControlFor<QLineEdit>(&dialog, "To:");
        QVERIFY(from != nullptr && to != nullptr && from != to);
        QCOMPARE(from->geometry(), QRect(50, 20, 80, 20));

        QTest::keyClicks(from, "JPG");
        QTest::keyClicks(to, "P N G!");
        // Enter in a field presses the default Search button.
        QTest::keyClick(to, Qt::Key_Return);

        QVERIFY(prompter.Calls().empty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ui::LastConverterSearch().source, std::string("jpg"));
        QCOMPARE(ui::LastConverterSearch().target, std::string("png"));
        test::ExpectOpenedExactly(opener, {"https://www.pixelmill.example/find/jpg-png/"});
    }

    void ConverterSearchWithAnEmptyTypeWarnsAndStays() {
        test::FakeOpener opener;
        ScriptedPrompter prompter;
        ui::FileConverterDialog dialog(nullptr);
        dialog.show();
        dialog.FromField()->setText("***");
        dialog.ToField()->setText("tga");
        QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);

        QCOMPARE(int(prompter.Calls().size()), 1);
        QCOMPARE(prompter.Calls()[0].kind, PrompterCall::Kind::Warning);
        QCOMPARE(prompter.Calls()[0].title, QString("Warning"));
        QCOMPARE(prompter.Calls()[0].text,
                 QString("Please, fill all required fields and try again!"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.FromField()->text(), QString("***"));
        QCOMPARE(dialog.ToField()->text(), QString("tga"));

        // An empty target warns the same way.
        dialog.FromField()->setText("bmp");
        dialog.ToField()->clear();
        QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
        QCOMPARE(int(prompter.Calls().size()), 2);
        QVERIFY(dialog.isVisible());
        test::ExpectOpenedExactly(opener, {});
    }

    void ConverterEscapeClosesWithoutSearching() {
        test::FakeOpener opener;
        ui::FileConverterDialog dialog(nullptr);
        dialog.show();
        dialog.FromField()->setText("png");
        dialog.ToField()->setText("tga");
        QTest::keyClick(dialog.FromField(), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        test::ExpectOpenedExactly(opener, {});
    }

    void ConverterWindowRunsModallyFromTheMenu() {
        test::FakeOpener opener;
        QWidget mainWindow;
        mainWindow.show();
        WhenModalShows([&mainWindow](QWidget* modal) {
            auto* dialog = qobject_cast<ui::FileConverterDialog*>(modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->parentWidget(), &mainWindow);
            // The From field has the focus, so typing goes straight into it.
            QCOMPARE(dialog->focusWidget(), dialog->FromField());
            dialog->FromField()->setText("tif");
            dialog->ToField()->setText("tga");
            QTest::keyClick(dialog->ToField(), Qt::Key_Enter);
        });
        ui::ShowFileConverterWindow(&mainWindow);
        test::ExpectOpenedExactly(opener, {"https://www.pixelmill.example/find/tif-tga/"});
    }

    void AboutShowsTitleAndLinks() {
        ui::AboutDialog dialog(nullptr);
        QCOMPARE(dialog.size(), QSize(360, 240));
        QCOMPARE(dialog.windowTitle(), QString("About..."));
        QStringList texts;
        const auto labels = dialog.findChildren<QLabel*>();
        for (const QLabel* label : labels) {
            texts << ShownText(label->text());
        }
        QVERIFY(texts.contains("Pixelmill PNG to TGA 2.9"));
        QCOMPARE(ControlFor<ui::LinkLabel>(&dialog, "Web:"), dialog.HomepageLink());
        QCOMPARE(ControlFor<ui::LinkLabel>(&dialog, "E-mail:"), dialog.MailLink());
        QCOMPARE(dialog.HomepageLink()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(dialog.MailLink()->geometry(), QRect(140, 120, 215, 20));
        QCOMPARE(ShownText(dialog.OkButton()->text()), QString("OK"));
        QVERIFY(dialog.OkButton()->isDefault());
    }

    void AboutLinksOpenAndLeaveTheWindowOpen() {
        test::FakeOpener opener;
        ui::AboutDialog dialog(nullptr);
        dialog.show();
        QTest::mouseClick(dialog.HomepageLink(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(dialog.MailLink(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        // Both land, in whichever order the two openers finish.
        QTRY_COMPARE(opener.Opened().size(), 2);
        QStringList opened = opener.Opened();
        opened.sort();
        QCOMPARE(opened, (QStringList{"https://www.pixelmill.example/",
                                      "mailto:support@pixelmill.example"}));
    }

    void AboutClosesOnEnterAndEscape_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter);
        QTest::newRow("escape") << int(Qt::Key_Escape);
    }

    void AboutClosesOnEnterAndEscape() {
        QFETCH(int, key);
        QWidget mainWindow;
        mainWindow.show();
        bool closed = false;
        WhenModalShows([key, &closed](QWidget* modal) {
            QVERIFY(qobject_cast<ui::AboutDialog*>(modal) != nullptr);
            QTest::keyClick(modal, Qt::Key(key));
            closed = !modal->isVisible();
        });
        ui::ShowAboutBox(&mainWindow);
        QVERIFY(closed);
    }

    void UninstallPageStartsTicked() {
        ui::UninstallPage page;
        QCOMPARE(page.size(), QSize(300, 100));
        QCOMPARE(page.windowTitle(), QString("Uninstall"));
        QVERIFY(page.VisitBox()->isChecked());
        QCOMPARE(ShownText(page.VisitBox()->text()),
                 QString("Full Uninstall - Visit Uninstall Center"));
        QCOMPARE(ShownText(page.NextButton()->text()), QString("Next"));
        QVERIFY(page.NextButton()->isDefault());
    }

    void UninstallNextOpensTheCentreOnlyWhenTicked_data() {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("ticked") << true
                                << QStringList{"https://www.pixelmill.example/millconv/"
                                               "uninstall.html"};
        QTest::newRow("unticked") << false << QStringList{};
    }

    void UninstallNextOpensTheCentreOnlyWhenTicked() {
        QFETCH(bool, ticked);
        QFETCH(QStringList, opened);
        test::FakeOpener opener;
        const QStringList before = test::EntriesBelow(test::UsePrivateHome());
        WhenModalShows([ticked](QWidget* modal) {
            auto* page = qobject_cast<ui::UninstallPage*>(modal);
            QVERIFY(page != nullptr);
            if (!ticked) {
                QTest::mouseClick(page->VisitBox(), Qt::LeftButton);
            }
            QCOMPARE(page->VisitBox()->isChecked(), ticked);
            // Ticking does nothing by itself: the page is still there.
            QVERIFY(page->isVisible());
            QTest::keyClick(page, Qt::Key_Return);
        });
        QCOMPARE(ui::RunUninstallPage(), 0);
        test::ExpectOpenedExactly(opener, opened);
        // No settings file (nor anything else) appeared in the private home.
        QCOMPARE(test::EntriesBelow(test::UsePrivateHome()), before);
    }

    void UninstallCloseBoxEndsWithoutOpening() {
        test::FakeOpener opener;
        bool hasIcon = false;
        WhenModalShows([&hasIcon](QWidget* modal) {
            // The page carries the program's icon, as every window of millconv does.
            hasIcon = !modal->windowIcon().isNull();
            modal->close();
        });
        QCOMPARE(ui::RunUninstallPage(), 0);
        QVERIFY(hasIcon);
        test::ExpectOpenedExactly(opener, {});
    }

    void DisplayCheckLooksAtAllThreeVariables() {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        const bool none = ui::DisplayAvailable();
        qputenv("DISPLAY", "");
        const bool empty = ui::DisplayAvailable();
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        const bool withWayland = ui::DisplayAvailable();
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":0");
        const bool withX = ui::DisplayAvailable();
        qunsetenv("DISPLAY");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const bool withPlatform = ui::DisplayAvailable();
        qputenv("QT_QPA_PLATFORM", platform);
        if (!display.isNull()) {
            qputenv("DISPLAY", display);
        }
        if (!wayland.isNull()) {
            qputenv("WAYLAND_DISPLAY", wayland);
        }
        QVERIFY(!none);
        QVERIFY(!empty);
        QVERIFY(withWayland);
        QVERIFY(withX);
        QVERIFY(withPlatform);
    }

    void HelpLinks() {
        test::FakeOpener opener;
        ui::SendFeedback();
        QTRY_COMPARE(
            opener.Opened(),
            QStringList{"mailto:support@pixelmill.example?subject=Pixelmill%20PNG%20to%20TGA%20"
                        "2.9%20Feedback"});
        ui::VisitHomepage();
        QTRY_COMPARE(opener.Opened().size(), 2);
        QCOMPARE(opener.Opened().at(1), QString("https://www.pixelmill.example/millconv/"));
    }

    void ManualIsFoundBesideABuildTreeProgramElseInstalled() {
        QTemporaryDir program;
        const std::string folder = program.path().toStdString() + "/";
        const std::string installed = ui::UserManualPath(folder);
        QVERIFY(installed.ends_with("/share/doc/millconv/millconv.html"));
        QVERIFY(installed.starts_with("/"));

        QDir(program.path()).mkdir("docs");
        QFile manual(program.filePath("docs/millconv.html"));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        QCOMPARE(ui::UserManualPath(folder), folder + "docs/millconv.html");
    }

    void UserManualCommandOpensTheManualPath() {
        test::FakeOpener opener;
        ui::OpenUserManual();
        QTRY_COMPARE(opener.Opened(),
                     QStringList{QString::fromStdString(ui::UserManualPath(ProgramFolder()))});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
