// The window by keyboard and wheel: mnemonics, menus by Alt, Tab and Enter, Escape, the focus
// after a box, and the wheel over controls that do not have the focus.
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <map>

#include "settings/message_catalogue.h"
#include "ui/commands.h"
#include "ui/conversion_controller.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/converter_dialog.h"
#include "ui/dialogs/uninstall_page.h"
#include "ui/main_window.h"
#include "ui/mnemonics.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/preferences_dialog.h"
#include "ui/support/preferences_form.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"

using namespace millconv;
using namespace millconv::ui;

namespace {

// Every mnemonic letter shown at once below root (labels that name a control, buttons with a
// text), and the shown texts that have letters but no mnemonic.
struct Mnemonics {
    std::multimap<QChar, QString> letters;
    QStringList unmarked;
};

void Collect(const QWidget* root, Mnemonics& found) {
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root)) {
            continue;
        }
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy()) {
            text = label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            const auto* tool = qobject_cast<const QToolButton*>(button);
            text = tool && tool->defaultAction() ? QString() : button->text();
        }
        if (!text.contains(QRegularExpression(QStringLiteral("[A-Za-z0-9]")))) {
            continue;
        }
        const QChar letter = MnemonicOf(text);
        if (letter.isNull()) {
            found.unmarked << text;
        } else {
            found.letters.emplace(letter, ShownText(text));
        }
    }
}

// "x: A, B" for every letter two shown texts share, and the unmarked texts.
QStringList Problems(const Mnemonics& found, const QString& where) {
    QStringList problems;
    for (auto it = found.letters.begin(); it != found.letters.end();) {
        const auto range = found.letters.equal_range(it->first);
        if (std::distance(range.first, range.second) > 1) {
            QStringList texts;
            for (auto same = range.first; same != range.second; ++same) {
                texts << same->second;
            }
            problems << where + ": '" + it->first + "' on " + texts.join(", ");
        }
        it = range.second;
    }
    // A text goes without only when every letter it has is taken by another one shown.
    for (const QString& text : found.unmarked) {
        for (const QChar c : ShownText(text)) {
            if (c.isLetterOrNumber() && !found.letters.contains(c.toLower())) {
                problems << where + ": no mnemonic on " + text;
                break;
            }
        }
    }
    return problems;
}

QStringList MenuProblems(const QMenu* menu) {
    Mnemonics found;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            const QChar letter = MnemonicOf(action->text());
            letter.isNull() ? void(found.unmarked << action->text())
                            : void(found.letters.emplace(letter, ShownText(action->text())));
        }
    }
    return Problems(found, menu->title());
}

QWheelEvent WheelDown(const QWidget* over) {
    const QPointF centre = QRectF(over->rect()).center();
    return QWheelEvent(centre, over->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
}

// Closes the next modal box to open with a key, once it is up.
void PressInNextModal(Qt::Key key) {
    QTimer::singleShot(0, [key] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        QTest::keyClick(modal, key);
    });
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void init() { ui::test::UsePrivateSettings(); }

    void MarksPreferWordStartsAndFreeLetters() {
        struct Case {
            const char* reserved;
            QStringList texts;
            QStringList marked;
        };
        const Case cases[] = {
            {"", {"File", "Filter", "Fix"}, {"&File", "F&ilter", "Fi&x"}},
            {"x", {"Exit", "Export"}, {"&Exit", "Ex&port"}},
            {"o", {"Output Folder", "Output Format"}, {"Output &Folder", "O&utput Format"}},
            // A literal ampersand is doubled, before and after the mark.
            {"", {"Save & Close", "S&Co"}, {"&Save && Close", "S&&&Co"}},
            {"", {"...", "ab", "ab"}, {"...", "&ab", "a&b"}},
            {"ab", {"ab", "2a"}, {"ab", "&2a"}},
        };
        for (const Case& c : cases) {
            MnemonicSet taken(QString::fromLatin1(c.reserved));
            for (qsizetype i = 0; i < c.texts.size(); ++i) {
                const QString marked = taken.Mark(c.texts[i]);
                QCOMPARE(marked, c.marked[i]);
                QCOMPARE(ShownText(marked), c.texts[i]);
            }
        }
        // Texts shown together: a text gives way when another has no other letter left.
        QCOMPARE(MnemonicSet().MarkAll({"Ab", "A", "Bx"}), QStringList({"A&b", "&A", "B&x"}));
        QCOMPARE(MnemonicSet("q").MarkAll({"Top", "Tx", "T"}), QStringList({"T&op", "T&x", "&T"}));
        QCOMPARE(MnemonicOf("Save && &Close"), QChar('c'));
        QCOMPARE(MnemonicOf("Save && Close"), QChar());
    }

    void AltOpensTheMenus() {
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QList<QAction*> titles = window.menuBar()->actions();
        const std::pair<Qt::Key, QString> keys[] = {
            {Qt::Key_F, "File"}, {Qt::Key_C, "Converter"}, {Qt::Key_H, "Help"}};
        for (const auto& [key, title] : keys) {
            QMenu* menu = nullptr;
            for (QAction* action : titles) {
                if (ShownText(action->text()) == title) {
                    menu = action->menu();
                }
            }
            QVERIFY(menu != nullptr);
            QTest::keyClick(&window, key, Qt::AltModifier);
            QTRY_VERIFY2(menu->isVisible(), qPrintable(title));
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }

    void NoMnemonicClashInAnyMenuOrDialog() {
        QStringList problems;
        MainWindow window;
        window.InitialiseAndShow();
        for (const QAction* title : window.menuBar()->actions()) {
            problems << MenuProblems(title->menu());
        }
        // The window's controls share Alt with the menu titles.
        Mnemonics main;
        Collect(window.Panel(), main);
        for (const QAction* title : window.menuBar()->actions()) {
            main.letters.emplace(MnemonicOf(title->text()), ShownText(title->text()));
        }
        main.letters.emplace(QChar('x'), QStringLiteral("Alt+X"));
        problems << Problems(main, "main window");

        const auto check = [&problems](const QWidget* dialog, const QString& where) {
            Mnemonics found;
            Collect(dialog, found);
            problems << Problems(found, where);
        };
        check(std::make_unique<AboutDialog>(&window).get(), "About");
        check(std::make_unique<FileConverterDialog>(&window).get(), "Find a File Converter");
        check(std::make_unique<UninstallPage>().get(), "Uninstall");

        // Preferences: each page, with each of its panels that are shown one at a time.
        PreferencesDialog preferences(&window);
        for (int page = 0; page < kPageCount; ++page) {
            preferences.ShowPage(page);
            const QString where = QStringLiteral("Preferences/") + PageKey(page);
            QComboBox* panels = page == kInputPage || page == kOutputPage
                                    ? static_cast<FormatPage*>(preferences.Page(page))->FormatList()
                                : page == kFramePage || page == kWatermarkPage
                                    ? preferences.Page(page)->findChild<QComboBox*>()
                                    : nullptr;
            for (int item = 0; item < (panels ? panels->count() : 1); ++item) {
                if (panels != nullptr) {
                    panels->setCurrentIndex(item);
                }
                check(&preferences, where + QStringLiteral(" #") + QString::number(item));
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void TabAndEnterOnTheMainWindow() {
        ui::test::ScriptedPrompter prompter;
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const WindowControls controls = window.Controls();
        const auto smallButton = [&window](int i) {
            QToolBar* bar = window.CommandToolBar(i);
            return bar->widgetForAction(bar->actions().constFirst());
        };
        const QWidget* order[] = {
            controls.inputField,      smallButton(0), controls.outputFolderBox, smallButton(1),
            controls.outputFormatBox, smallButton(2), window.ConvertButton()};
        controls.inputField->setFocus();
        for (size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        // Enter on the focused Convert converts: with no input that is the empty-input warning.
        QTest::keyClick(window.ConvertButton(), Qt::Key_Return);
        QCOMPARE(prompter.CallsOf(ui::test::PrompterCall::Kind::Warning).size(), size_t{1});
        QCOMPARE(prompter.Calls().back().text,
                 QString::fromStdString(CatalogueText("Msg", "Empty input files")));
    }

    void FocusComesBackWhenABoxCloses() {
        struct Case {
            const char* name;
            Qt::Key key;
            std::function<void(MainWindow&)> open;
        };
        const Case cases[] = {
            {"About, Escape", Qt::Key_Escape, [](MainWindow& w) { RunCommand(w, kCommandAbout); }},
            {"Preferences, Enter is OK", Qt::Key_Return,
             [](MainWindow& w) { RunCommand(w, kCommandPreferences); }},
            {"Preferences, Escape is Cancel", Qt::Key_Escape,
             [](MainWindow& w) { RunCommand(w, kCommandPreferences); }},
            {"Find a File Converter, Escape", Qt::Key_Escape,
             [](MainWindow& w) { RunCommand(w, kCommandCustomConverter); }},
            {"warning box, Escape", Qt::Key_Escape,
             [](MainWindow& w) { ShowWarning(&w, QStringLiteral("Something is wrong")); }},
        };
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Not the control New form focuses, so a window that only refocuses itself is caught.
        QWidget* focused = window.Controls().outputFormatBox;
        for (const Case& c : cases) {
            focused->setFocus();
            QCOMPARE(QApplication::focusWidget(), focused);
            PressInNextModal(c.key);
            c.open(window);
            QVERIFY2(QApplication::activeModalWidget() == nullptr, c.name);
            QTRY_VERIFY2(QApplication::focusWidget() == focused, c.name);
        }
        // Enter stored the dialog (its file was written); Escape changed nothing after it.
        QVERIFY(QFile::exists(QString::fromStdString(gSettings.settingsFilePath)));
    }

    void WheelChangesOnlyAFocusedControl() {
        PreferencesDialog dialog(nullptr);
        dialog.ShowPage(kTransformPage);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* area = dialog.Page(kTransformPage)->findChild<QScrollArea*>();
        QVERIFY(area != nullptr);
        const auto value = [](QWidget* control) {
            if (auto* combo = qobject_cast<QComboBox*>(control)) {
                return combo->currentIndex();
            }
            if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
                return slider->value();
            }
            return static_cast<QAbstractSpinBox*>(control)->text().toInt();
        };
        // A list, a slider and a spin box of the page, each enabled and able to move down.
        auto* list = area->widget()->findChildren<QComboBox*>().constFirst();
        list->setCurrentIndex(0);
        auto* slider = area->widget()->findChild<QAbstractSlider*>();
        slider->setValue(100);
        auto* spin = area->widget()->findChildren<QAbstractSpinBox*>().constLast();
        spin->stepBy(5);
        QWidget* controls[] = {list, slider, spin};
        for (QWidget* control : controls) {
            control->setEnabled(true);
            dialog.PageList()->setFocus();
            area->verticalScrollBar()->setValue(0);
            const int before = value(control);
            QWheelEvent wheel = WheelDown(control);
            QApplication::sendEvent(control, &wheel);
            QCOMPARE(value(control), before);
            // The page scrolls instead.
            QVERIFY(area->verticalScrollBar()->value() > 0);

            control->setFocus();
            QWheelEvent focusedWheel = WheelDown(control);
            QApplication::sendEvent(control, &focusedWheel);
            QVERIFY2(value(control) != before, control->metaObject()->className());
        }
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
