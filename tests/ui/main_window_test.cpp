// The main window on real widgets: gadget geometry, menus and toolbars, boxes, New form, drops.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "job/job_record.h"
#include "settings/settings.h"
#include "ui/commands.h"
#include "ui/main_window.h"
#include "ui/support/private_home.h"
#include "ui/support/widget_lookup.h"

using millconv::gJob;
using millconv::gSettings;
using millconv::test::ControlFor;
using millconv::test::ShownText;
using millconv::ui::MainWindow;

namespace {

// "Text" or "Text\tShortcut" per action, "-" per separator, joined by "|".
QString Describe(const QList<QAction*>& actions, bool withTooltips = false) {
    QStringList items;
    for (const QAction* action : actions) {
        if (action->isSeparator()) {
            items << "-";
        } else if (withTooltips) {
            items << action->toolTip();
        } else if (action->shortcut().isEmpty()) {
            items << ShownText(action->text());
        } else {
            items << ShownText(action->text()) + '\t' + action->shortcut().toString();
        }
    }
    return items.join('|');
}

QString TouchFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("not empty");
    return path;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void initTestCase() { home_ = millconv::test::UsePrivateHome(); }

    void init() {
        millconv::test::ResetWindowSettings();
        gSettings.window.x = 30;
        gSettings.window.y = 40;
    }

    void GadgetsFollowTheWidthAndKeepTheHeight() {
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.size(), QSize(510, 260));
        const auto controls = window.Controls();

        // Every control is found through its label.
        QCOMPARE(ControlFor(&window, "Input File:"), controls.inputField);
        QCOMPARE(ControlFor(&window, "Output Folder:"), controls.outputFolderBox);
        QCOMPARE(ControlFor(&window, "Output Format:"), controls.outputFormatBox);

        for (int widening : {0, 100}) {
            window.resize(510 + widening, 260);
            QTRY_COMPARE(window.width(), 510 + widening);
            QCOMPARE(controls.inputField->geometry(), QRect(10, 20, 350 + widening, 20));
            QCOMPARE(controls.outputFolderBox->geometry(), QRect(10, 60, 350 + widening, 21));
            QCOMPARE(controls.outputFormatBox->geometry(), QRect(10, 100, 350 + widening, 21));
            QCOMPARE(window.CommandToolBar(0)->geometry(), QRect(364 + widening, 19, 24, 24));
            QCOMPARE(window.CommandToolBar(1)->geometry(), QRect(364 + widening, 59, 24, 24));
            QCOMPARE(window.CommandToolBar(2)->geometry(), QRect(364 + widening, 99, 24, 24));
            QCOMPARE(window.ConvertButton()->geometry(), QRect(400 + widening, 20, 100, 100));
            QCOMPARE(window.Panel()->width(), 510 + widening);
        }

        // The height is fixed; narrowing stops at 510.
        window.resize(700, 400);
        QTRY_COMPARE(window.width(), 700);
        QCOMPARE(window.height(), 260);
        window.resize(300, 200);
        QTRY_COMPARE(window.width(), 510);
        QCOMPARE(window.height(), 260);
        // The footer stays inside the window, above the status bar.
        const QRect footer(window.Footer()->mapTo(&window, QPoint(0, 0)), window.Footer()->size());
        QCOMPARE(footer.top(), 260 - 70);
        QVERIFY(footer.bottom() < window.statusBar()->geometry().top());
    }

    void StoredPlacementAndTitle() {
        gSettings.window.x = 123;
        gSettings.window.y = 77;
        gSettings.window.width = 655;
        gSettings.window.height = 999;
        MainWindow window;
        QCOMPARE(window.windowTitle(), QString("Pixelmill PNG to TGA 2.9"));
        QCOMPARE(window.pos(), QPoint(123, 77));
        QCOMPARE(window.size(), QSize(655, 260));
    }

    void ToolbarIconsFollowUiSize() {
        const std::pair<int, int> cases[] = {{0, 16}, {2, 32}, {3, 48}, {4, 64},
                                             {5, 16}, {7, 16}, {-1, 16}};
        for (const auto& [uiSize, pixels] : cases) {
            gSettings.interface.uiSize = uiSize;
            MainWindow window;
            QCOMPARE(window.MainToolBar()->iconSize(), QSize(pixels, pixels));
            // The one-button toolbars carry menu icons whatever the size.
            QCOMPARE(window.CommandToolBar(1)->iconSize(), QSize(16, 16));
        }
    }

    void ToolbarRefreshRequestRebuildsAtTheNewSize() {
        gSettings.interface.uiSize = 2;
        MainWindow window;
        window.InitialiseAndShow();
        gSettings.interface.uiSize = 1;
        window.ApplyThemeRefreshRequest(2);
        QCOMPARE(window.MainToolBar()->iconSize(), QSize(24, 24));
        QCOMPARE(window.findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
        // A full refresh rebuilds the menus and the one-button toolbars as well.
        window.ApplyThemeRefreshRequest(1);
        QCOMPARE(window.menuBar()->actions().size(), 3);
        QCOMPARE(window.Panel()->findChildren<QToolBar*>().size(), 3);
        QCOMPARE(window.CommandToolBar(2)->geometry(), QRect(364, 99, 24, 24));
    }

    void MenusToolbarAndTooltips() {
        MainWindow window;
        const QList<QAction*> menus = window.menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(ShownText(menus[0]->text()), QString("File"));
        QCOMPARE(Describe(menus[0]->menu()->actions()),
                 QString("New\tCtrl+N|Add Input File...|Select Output Folder...|-|Exit\tAlt+X"));
        QCOMPARE(ShownText(menus[1]->text()), QString("Converter"));
        QCOMPARE(Describe(menus[1]->menu()->actions()),
                 QString("Convert\tF5|Preview...\tF6|-|Find a File Converter...|-|Preferences..."));
        QCOMPARE(ShownText(menus[2]->text()), QString("Help"));
        QCOMPARE(Describe(menus[2]->menu()->actions()),
                 QString("User Manual...\tF1|-|Send Feedback|Visit the Program's Homepage|"
                         "Check For a New Version|-|About..."));
        QCOMPARE(Describe(window.MainToolBar()->actions(), true),
                 QString("New|Add Input File...|Select Output Folder...|-|Preferences...|-|"
                         "Convert|Preview...|-|User Manual...|Send Feedback|"
                         "Visit the Program's Homepage|"
                         "Check For a New Version"));
        QCOMPARE(Describe(window.CommandToolBar(0)->actions(), true), QString("Add Input File..."));
        QCOMPARE(Describe(window.CommandToolBar(1)->actions(), true),
                 QString("Select Output Folder..."));
        QCOMPARE(Describe(window.CommandToolBar(2)->actions(), true), QString("Options..."));
    }

    void ShortcutsRunNewFormAndExit() {
        MainWindow window;
        window.InitialiseAndShow();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto controls = window.Controls();
        controls.inputField->setText("/tmp/pics/a.png");
        window.SetStatusText("Conversion complete");
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(controls.inputField->text(), QString());
        QCOMPARE(window.StatusText(), QString("Ready"));
        QTRY_VERIFY(controls.inputField->hasFocus());

        QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!window.isVisible());
    }

    void OutputFormatBoxShowsAndStoresTheFormat() {
        gSettings.output.format = "tga";
        {
            MainWindow window;
            window.InitialiseAndShow();
            QComboBox* box = window.Controls().outputFormatBox;
            QCOMPARE(box->count(), 1);
            QCOMPARE(box->itemText(0), QString("TGA (Truevision Targa)"));
            QCOMPARE(box->itemData(0).toInt(), 0);
            QCOMPARE(box->currentIndex(), 0);
        }
        // A format that is not listed selects nothing; picking an item stores its extension.
        gSettings.output.format = "bmp";
        MainWindow window;
        window.InitialiseAndShow();
        QComboBox* box = window.Controls().outputFormatBox;
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(gSettings.output.format, std::string("bmp"));
        box->setCurrentIndex(0);
        QCOMPARE(gSettings.output.format, std::string("tga"));
    }

    void OutputFolderBoxDrivesTheJobFolder() {
        MainWindow window;
        window.InitialiseAndShow();
        QComboBox* box = window.Controls().outputFolderBox;
        box->addItem("/tmp/first/");
        box->addItem("/tmp/second/");
        box->setCurrentIndex(1);
        QCOMPARE(gJob.outputFolder, std::string("/tmp/second/"));
        window.NewForm();
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(gJob.outputFolder, std::string());
        QCOMPARE(window.StatusText(), QString("Ready"));
    }

    void StatusTextSurvivesHoveringCommands() {
        MainWindow window;
        window.InitialiseAndShow();
        window.SetStatusText("Files converted: 1 of 1");
        QStatusTipEvent tip(QString{});
        QCoreApplication::sendEvent(&window, &tip);
        QCOMPARE(window.StatusText(), QString("Files converted: 1 of 1"));
    }

    void DropTakesOnlyTheFirstFile() {
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy dropped(&window, &MainWindow::InputFileDropped);
        const QString first = TouchFile(home_ + "first.png");
        const QString second = TouchFile(home_ + "second.png");
        const QString third = TouchFile(home_ + "third.png");
        auto data = std::make_unique<QMimeData>();
        data->setUrls(
            {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(third)});
        QCOMPARE(MainWindow::FirstDroppedFile(*data), first);

        const QPointF inside(100, 80);
        QDragEnterEvent enter(inside.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(inside, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped.at(0).at(0).toString(), first);
        QCOMPARE(window.Controls().inputField->text(), first);

        // Drops without a local file as their first entry are ignored.
        QMimeData text;
        text.setText("/tmp/pics/a.png");
        QCOMPARE(MainWindow::FirstDroppedFile(text), QString());
        QMimeData web;
        web.setUrls({QUrl("https://www.pixelmill.example/a.png"), QUrl::fromLocalFile(first)});
        QCOMPARE(MainWindow::FirstDroppedFile(web), QString());
        QDropEvent ignored(inside, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &ignored);
        QCOMPARE(dropped.size(), 1);
    }

    void ClosingStoresTheNormalPlacement() {
        gSettings.window.isMaximized = 1;
        MainWindow window;
        window.show();
        window.move(210, 130);
        window.resize(733, 260);
        QTRY_COMPARE(window.size(), QSize(733, 260));
        QTRY_COMPARE(window.pos(), QPoint(210, 130));
        window.close();
        QCOMPARE(gSettings.window.isMaximized, int8_t{0});
        QCOMPARE(gSettings.window.x, 210);
        QCOMPARE(gSettings.window.y, 130);
        QCOMPARE(gSettings.window.width, 733);
        QCOMPARE(gSettings.window.height, 260);
    }

    void StoredMaximisedStateOpensMaximised() {
        gSettings.window.isMaximized = 1;
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(window.windowState().testFlag(Qt::WindowMaximized));
    }

  private:
    QString home_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
