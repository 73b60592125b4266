// Fixed geometry that survives fonts and screens: the scale of a larger dialog font, texts that
// fit at it, a stored position brought back on screen and the footer through a toolbar change.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "job/job_record.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/converter_dialog.h"
#include "ui/dialogs/uninstall_page.h"
#include "ui/form_metrics.h"
#include "ui/main_window.h"
#include "ui/mnemonics.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/preferences_dialog.h"
#include "ui/support/private_home.h"
#include "ui/theme_images.h"
#include "ui/window_placement.h"

using namespace millconv;
using namespace millconv::ui;

namespace {

// The application font at a size, with the form scale measured again; restored on destruction.
class FontSize {
  public:
    explicit FontSize(double points) : saved_(QApplication::font()) {
        QFont font = saved_;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        RefreshFormScale();
    }
    ~FontSize() {
        QApplication::setFont(saved_);
        RefreshFormScale();
    }
    FontSize(const FontSize&) = delete;
    FontSize& operator=(const FontSize&) = delete;

  private:
    QFont saved_;
};

// Every label, button and check box text below root that its widget cuts, as "text (w x h in
// W x H)".
QStringList CutTexts(const QWidget* root) {
    QStringList cut;
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        QString text;
        int margin = 0;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            text = label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            const auto* tool = qobject_cast<const QToolButton*>(button);
            if (tool != nullptr) {
                continue; // picture buttons
            }
            text = button->text();
            // Room for the frame or the check mark beside the text.
            margin = qobject_cast<const QPushButton*>(button) ? 6 : 20;
        }
        text = ShownText(text);
        if (text.isEmpty() || text.contains('\n')) {
            continue;
        }
        const QFontMetrics metrics(widget->font());
        const QSize needed(metrics.horizontalAdvance(text) + margin, metrics.height());
        const QSize room = widget->contentsRect().size();
        if (needed.width() > room.width() || needed.height() > room.height()) {
            cut << QStringLiteral("%1 (%2 x %3 in %4 x %5)")
                       .arg(text)
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(room.width())
                       .arg(room.height());
        }
    }
    return cut;
}

} // namespace

class FormScaleTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void initTestCase() { LoadBuiltInImages(); }

    void init() {
        millconv::test::ResetWindowSettings();
        gSettings.window.x = 30;
        gSettings.window.y = 40;
    }

    void ScaleFollowsTheFontSize() {
        const QFont font = QApplication::font();
        QCOMPARE(font.pointSizeF(), kDesignPointSize);
        const FormScale design = ScaleOf(font);
        QCOMPARE(design.x, 1.0);
        QCOMPARE(design.y, 1.0);
        QFont larger = font;
        larger.setPointSizeF(kDesignPointSize * 1.5);
        const FormScale scale = ScaleOf(larger);
        QVERIFY2(scale.x > 1.3 && scale.x < 1.7, qPrintable(QString::number(scale.x)));
        QVERIFY2(scale.y > 1.3 && scale.y < 1.7, qPrintable(QString::number(scale.y)));
        // A smaller font keeps the design geometry.
        larger.setPointSizeF(kDesignPointSize * 0.7);
        QCOMPARE(ScaleOf(larger).x, 1.0);
        QCOMPARE(ScaleOf(larger).y, 1.0);

        // Edges are scaled, so two controls that meet in the design still meet.
        const FontSize size(kDesignPointSize * 1.5);
        const QRect left = Scaled(QRect(10, 13, 160, 20));
        const QRect right = Scaled(QRect(170, 10, 240, 21));
        QCOMPARE(left.right() + 1, right.left());
        QCOMPARE(Scaled(QRect(0, 0, 10, 10)).topLeft(), QPoint(0, 0));
    }

    void EveryTextFitsAtTheDesignFontAndLarger() {
        for (const double points : {kDesignPointSize, kDesignPointSize * 1.5}) {
            const FontSize size(points);
            QStringList cut;
            MainWindow window;
            window.InitialiseAndShow();
            cut << CutTexts(&window);
            // The format box shows its whole item.
            const QComboBox* format = window.Controls().outputFormatBox;
            QVERIFY(QFontMetrics(format->font()).horizontalAdvance(format->currentText()) <
                    format->width() - 40);
            PreferencesDialog preferences(&window);
            cut << CutTexts(&preferences);
            cut << CutTexts(std::make_unique<AboutDialog>(&window).get());
            cut << CutTexts(std::make_unique<FileConverterDialog>(&window).get());
            cut << CutTexts(std::make_unique<UninstallPage>().get());
            QVERIFY2(cut.isEmpty(),
                     qPrintable(QString::number(points) + " pt:\n" + cut.join('\n')));
        }
    }

    void DesignGeometryGrowsWithTheFont() {
        const FontSize size(kDesignPointSize * 1.5);
        const FormScale scale = CurrentFormScale();
        MainWindow window;
        window.InitialiseAndShow();
        QTRY_VERIFY(window.height() > 260);
        QCOMPARE(window.minimumWidth(), ScaledX(510));
        QCOMPARE(window.Controls().inputField->geometry().topLeft(), Scaled(QPoint(10, 20)));
        QCOMPARE(window.ConvertButton()->height(), ScaledY(100));
        QVERIFY(scale.x > 1.3);
    }

    void StoredPositionComesBackOnScreen() {
        const QRect primary(0, 0, 1024, 768);
        const QRect second(1024, 0, 800, 600);
        struct Case {
            const char* name;
            QRect placement;
            QPoint expected;
        };
        const Case cases[] = {
            {"inside stays", {100, 50, 510, 260}, {100, 50}},
            {"off the right of both", {2000, 50, 510, 260}, {1024 - 510, 50}},
            {"mostly off the bottom", {100, 700, 510, 260}, {100, 768 - 260}},
            {"above and left", {-300, -40, 510, 260}, {0, 0}},
            {"across both, more on the second", {900, 100, 510, 260}, {1024, 100}},
            {"larger than the screen keeps its corner", {-50, -50, 1200, 900}, {0, 0}},
            {"far away goes to the primary", {-5000, 9000, 510, 260}, {0, 768 - 260}},
        };
        for (const Case& c : cases) {
            QCOMPARE(OnScreenPosition(c.placement, {primary, second}), c.expected);
        }

        // A window stored at a position of a larger screen opens on this one.
        gSettings.window.x = 3000;
        gSettings.window.y = 2000;
        MainWindow window;
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(available.contains(QRect(window.pos(), window.size())));
    }

    void IconSizeChangeKeepsTheFooter() {
        gSettings.interface.uiSize = 0;
        MainWindow window;
        window.InitialiseAndShow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint footer = window.Footer()->mapTo(&window, QPoint(0, 0));
        const int toolbarHeight = window.MainToolBar()->height();
        gSettings.interface.uiSize = 2;
        window.ApplyThemeRefreshRequest(2);
        QTRY_VERIFY(window.MainToolBar()->height() > toolbarHeight);
        QCOMPARE(window.Footer()->mapTo(&window, QPoint(0, 0)), footer);
        QVERIFY(window.Footer()->isVisible());
    }
};

QTEST_MAIN(FormScaleTest)
#include "form_scale_test.moc"
