// The preferences dialog frame: geometry, start page, OK, Cancel, Defaults and what OK changes.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include "engine/conversion_run.h"
#include "engine/output_parameters.h"
#include "job/job_record.h"
#include "settings/settings_file.h"
#include "ui/preferences/pages.h"
#include "ui/preferences/preferences_dialog.h"
#include "ui/preferences/row_controls.h"
#include "ui/support/preferences_form.h"
#include "ui/support/scripted_prompter.h"
#include "ui/support/widget_lookup.h"

using namespace millconv;
using namespace millconv::ui;
using namespace millconv::ui::test;
using millconv::test::ControlFor;
using millconv::test::ShownText;
using Kind = PrompterCall::Kind;

namespace {

std::map<std::string, std::string> gThemes;
const std::map<std::string, std::string>& TestThemes() { return gThemes; }

// Runs the modal dialog; check sees it open, then the dialog is closed with closeKey.
bool RunAndClose(const std::function<void(PreferencesDialog*)>& check,
                 const std::function<void(PreferencesDialog*)>& close, int startPage = 0) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        ran = true;
        check(dialog);
        close(dialog);
    });
    const bool result = RunPreferencesDialog(nullptr, startPage).changed;
    if (!ran) {
        qWarning("the dialog did not open modally");
    }
    return result;
}

// Reads the width and height of a TGA header.
QSize TgaSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray header = file.read(18);
    if (header.size() < 18) {
        return {};
    }
    auto word = [&header](int at) {
        return static_cast<uint8_t>(header[at]) | static_cast<uint8_t>(header[at + 1]) << 8;
    };
    return QSize(word(12), word(14));
}

} // namespace

class PreferencesDialogTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void init() {
        UsePrivateSettings();
        prompter_.emplace();
        gThemes = {{"handdrawn", "Hand Drawn"}, {"Crisp", "Crisp Lines"}, {"bold", "Bold"}};
        SetThemeListSource(&TestThemes);
    }
    void cleanup() {
        prompter_.reset();
        SetThemeListSource(nullptr);
    }

    void frameHasItsPlacesAndTexts() {
        PreferencesDialog dialog(nullptr);
        QCOMPARE(dialog.size(), QSize(600, 350));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences..."));
        QCOMPARE(dialog.PageList()->geometry(), QRect(10, 10, 120, 295));
        QCOMPARE(dialog.PageTitle()->parentWidget()->geometry(), QRect(140, 10, 450, 30));
        QCOMPARE(dialog.PageTitle()->geometry(), QRect(10, 7, 330, 20));
        QVERIFY(dialog.PageTitle()->font().bold());
        QCOMPARE(dialog.Page(0)->parentWidget()->geometry(), QRect(140, 50, 450, 255));
        QCOMPARE(dialog.DefaultsButton()->geometry(), QRect(10, 315, 80, 25));
        QCOMPARE(dialog.OkButton()->geometry(), QRect(420, 315, 80, 25));
        QCOMPARE(dialog.CancelButton()->geometry(), QRect(510, 315, 80, 25));
        QCOMPARE(ShownText(dialog.DefaultsButton()->text()), QStringLiteral("Defaults"));
        QCOMPARE(ShownText(dialog.CancelButton()->text()), QStringLiteral("Cancel"));

        const QStringList names = {"General",    "Interface", "Input",     "Output",  "Transform",
                                   "Adjustment", "Frame",     "Watermark", "Advanced"};
        QCOMPARE(dialog.PageList()->count(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(dialog.PageList()->item(i)->text(), names[i]);
        }
        // Choosing a page in the list shows it under its title.
        dialog.PageList()->setCurrentRow(6);
        QCOMPARE(dialog.CurrentPage(), 6);
        QCOMPARE(dialog.PageTitle()->text(), QStringLiteral("Frame"));
    }

    void rowsOfEveryShapeSitOnTheirLines() {
        PreferencesDialog dialog(nullptr);
        auto* general = dialog.Page(kGeneralPage);
        auto* updates = ControlFor<QComboBox>(general, "Check for Updates:");
        QVERIFY(updates);
        QCOMPARE(updates->geometry(), QRect(170, 40, 240, 21));
        auto* saveWindow = ControlFor<QCheckBox>(general, "Save Window's Coords:");
        QVERIFY(saveWindow);
        QCOMPARE(saveWindow->geometry(), QRect(170, 70, 240, 20));
        for (QLabel* label : general->findChildren<QLabel*>()) {
            if (label->buddy() == saveWindow) {
                QCOMPARE(label->geometry(), QRect(10, 73, 160, 20));
            }
        }

        auto* mask = ControlFor<QLineEdit>(dialog.Page(kAdvancedPage), "Filename Mask:");
        QVERIFY(mask);
        QCOMPARE(mask->geometry(), QRect(170, 10, 240, 20));

        auto* raw = dialog.findChild<QWidget*>("Input-raw");
        QVERIFY(raw);
        QCOMPARE(raw->geometry(), QRect(0, 40, 450, 215));
        auto* header = ControlFor<QLineEdit>(raw, "Header Size:");
        QVERIFY(header);
        QCOMPARE(header->geometry(), QRect(170, 40, 160, 20));
        const auto units = raw->findChildren<QComboBox*>();
        const auto unit = std::ranges::find_if(
            units, [](QComboBox* c) { return c->geometry() == QRect(340, 39, 70, 21); });
        QVERIFY(unit != units.end());
        QCOMPARE((*unit)->itemText(0), QStringLiteral("bytes"));

        auto* jpg = dialog.findChild<QWidget*>("Output-jpg");
        QVERIFY(jpg);
        auto* quality = ControlFor<CoupledSpinBox>(jpg, "Image Quality:");
        QVERIFY(quality);
        QCOMPARE(quality->geometry(), QRect(340, 40, 70, 20));
        QCOMPARE(quality->Slider()->geometry(), QRect(170, 40, 170, 20));

        auto* transform = dialog.findChild<QWidget*>("Transform-rows");
        QVERIFY(transform);
        QCOMPARE(transform->size(), QSize(420, 375));
        auto* swatch = ControlFor<QPushButton>(transform, "Background Color:");
        QVERIFY(swatch);
        QCOMPARE(swatch->geometry(), QRect(170, 99, 44, 22));
        QVERIFY(transform->childAt(230, 105) != nullptr);
        QCOMPARE(qobject_cast<QLineEdit*>(transform->childAt(230, 105))->geometry(),
                 QRect(220, 100, 190, 20));

        auto* text = dialog.findChild<QWidget*>("Watermark-text");
        QVERIFY(text);
        QCOMPARE(text->size(), QSize(420, 610));
        auto* font = ControlFor<QComboBox>(text, "Font:");
        QVERIFY(font);
        QCOMPARE(font->geometry(), QRect(170, 40, 214, 21));
        auto* picker = qobject_cast<QPushButton*>(text->childAt(395, 45));
        QVERIFY(picker);
        QCOMPARE(picker->geometry(), QRect(389, 39, 22, 22));
        QCOMPARE(picker->text(), QStringLiteral("..."));
    }

    void startPageIsUsedOnceThenGeneral() {
        int shown = -1;
        QString title;
        bool focused = false;
        RunAndClose(
            [&](PreferencesDialog* dialog) {
                shown = dialog->CurrentPage();
                title = dialog->PageTitle()->text();
                focused = dialog->focusWidget() == dialog->PageList();
            },
            [](PreferencesDialog* dialog) { dialog->CancelButton()->click(); }, kOutputPage);
        QCOMPARE(shown, 3);
        QCOMPARE(title, QStringLiteral("Output"));
        QVERIFY(focused);

        RunAndClose([&](PreferencesDialog* dialog) { shown = dialog->CurrentPage(); },
                    [](PreferencesDialog* dialog) { dialog->CancelButton()->click(); });
        QCOMPARE(shown, 0);
    }

    void escapeAndCloseBoxStoreNothing() {
        const std::string before = Dump(gSettings);
        const bool escaped = RunAndClose(
            [](PreferencesDialog* dialog) {
                ControlFor<QComboBox>(dialog->Page(kGeneralPage), "Check for Updates:")
                    ->setCurrentIndex(5);
            },
            [](PreferencesDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QVERIFY(!escaped);
        const bool closed = RunAndClose(
            [](PreferencesDialog* dialog) {
                ControlFor<QComboBox>(dialog->Page(kGeneralPage), "Check for Updates:")
                    ->setCurrentIndex(5);
            },
            [](PreferencesDialog* dialog) { dialog->close(); });
        QVERIFY(!closed);
        QCOMPARE(Dump(gSettings), before);
        QVERIFY(!QFile::exists(QString::fromStdString(gSettings.settingsFilePath)));
    }

    void cancelAfterChangingEveryPageKeepsTheRecord() {
        gSettings.output.tgaBpp = 24;
        gSettings.watermark.fontColors = "000000,FFFFFF";
        const std::string before = Dump(gSettings);
        PreferencesDialog dialog(nullptr);
        ChangeEveryPage(dialog);
        dialog.CancelButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        // Only the picker's addition to the colour list survives.
        Settings expected = gSettings;
        expected.watermark.fontColors = "000000,FFFFFF";
        QCOMPARE(Dump(expected), before);
        QCOMPARE(gSettings.watermark.fontColors, std::string("000000,FFFFFF,12AB34"));
        QCOMPARE(dialog.ThemeRefresh(), 0);
    }

    void okStoresEveryPageAndSaves() {
        gSettings.general.language = "de";
        gSettings.output.tgaBpp = 24;
        PreferencesDialog dialog(nullptr);
        ChangeEveryPage(dialog);
        auto* mask = ControlFor<QLineEdit>(dialog.Page(kAdvancedPage), "Filename Mask:");
        mask->setText(QStringLiteral("  %filename%\t_small.%ext% \r\n"));
        dialog.OkButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QCOMPARE(gSettings.general.language, std::string("en"));
        QCOMPARE(gSettings.general.updateRange, 5);
        QCOMPARE(gSettings.general.saveWindowPosition, int8_t{0});
        QCOMPARE(gSettings.interface.uiTheme, std::string("Crisp"));
        QCOMPARE(gSettings.output.tgaBpp, 0);
        QCOMPARE(gSettings.output.tgaCompression, 1);
        QCOMPARE(gSettings.input.rawLoadAs, 5);
        QCOMPARE(gSettings.transform.doImageResize, int8_t{1});
        QCOMPARE(gSettings.transform.imageWidth, 321);
        QCOMPARE(gSettings.transform.imageHeightUnit, int8_t{1});
        QCOMPARE(gSettings.adjustment.imageBrightness, -30);
        QCOMPARE(gSettings.adjustment.doImageColorCorrection, int8_t{1});
        QCOMPARE(gSettings.frame.doFrame, int8_t{1});
        QCOMPARE(gSettings.frame.solidOpacity, 77);
        QCOMPARE(gSettings.watermark.doWatermark, int8_t{2});
        QCOMPARE(gSettings.watermark.fontColor, std::string("12AB34"));
        QCOMPARE(gSettings.advanced.filenameMask, std::string("%filename%_small.%ext%"));
        QCOMPARE(gSettings.advanced.outFoldersNumber, int8_t{9});
        QCOMPARE(dialog.ThemeRefresh(), 1);

        Settings reloaded;
        reloaded.settingsFilePath = gSettings.settingsFilePath;
        LoadSettings(reloaded);
        QCOMPARE(reloaded.transform.imageWidth, 321);
        QCOMPARE(reloaded.output.tgaCompression, 1);
        QCOMPARE(reloaded.advanced.filenameMask, std::string("%filename%_small.%ext%"));
    }

    void colorCorrectionFollowsItsFourValues() {
        gSettings.adjustment.doImageColorCorrection = 1; // stale: every value is neutral
        PreferencesDialog neutral(nullptr);
        neutral.OkButton()->click();
        QCOMPARE(gSettings.adjustment.doImageColorCorrection, int8_t{0});

        PreferencesDialog inverted(nullptr);
        ControlFor<QCheckBox>(inverted.Page(kAdjustmentPage), "Invert Image:")->setChecked(true);
        inverted.OkButton()->click();
        QCOMPARE(gSettings.adjustment.doImageColorCorrection, int8_t{1});

        gSettings.adjustment.imageInvert = 0;
        gSettings.adjustment.imageGamma = 1.01f;
        PreferencesDialog gamma(nullptr);
        gamma.OkButton()->click();
        QCOMPARE(gSettings.adjustment.doImageColorCorrection, int8_t{1});
    }

    void themesAreSortedWithoutRegardToCase() {
        gSettings.interface.uiTheme = "handdrawn";
        PreferencesDialog dialog(nullptr);
        auto* themes = ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Theme:");
        QVERIFY(themes);
        QCOMPARE(themes->count(), 3);
        QCOMPARE(themes->itemText(0), QStringLiteral("Bold"));
        QCOMPARE(themes->itemText(1), QStringLiteral("Crisp Lines"));
        QCOMPARE(themes->itemText(2), QStringLiteral("Hand Drawn"));
        QCOMPARE(themes->currentIndex(), 2);
        auto* sizes = ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Icon Size:");
        QCOMPARE(sizes->count(), 3);
        QCOMPARE(sizes->currentIndex(), 2);
    }

    void withoutThemesTheListSaysNoneAndKeepsTheSetting() {
        gThemes.clear();
        gSettings.interface.uiTheme = "handdrawn";
        PreferencesDialog dialog(nullptr);
        auto* themes = ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Theme:");
        QCOMPARE(themes->count(), 1);
        QCOMPARE(themes->itemText(0), QStringLiteral("None"));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.interface.uiTheme, std::string("handdrawn"));
        QCOMPARE(dialog.ThemeRefresh(), 0);
    }

    void themeRefreshRequest_data() {
        QTest::addColumn<int>("theme");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("request");
        QTest::newRow("nothing changed") << 2 << 2 << 0;
        QTest::newRow("icon size only") << 2 << 0 << 2;
        QTest::newRow("theme only") << 0 << 2 << 1;
        QTest::newRow("theme wins over size") << 1 << 1 << 1;
    }
    void themeRefreshRequest() {
        QFETCH(int, theme);
        QFETCH(int, size);
        QFETCH(int, request);
        gSettings.interface.uiTheme = "handdrawn";
        gSettings.interface.uiSize = 2;
        PreferencesDialog dialog(nullptr);
        ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Theme:")->setCurrentIndex(theme);
        ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Icon Size:")->setCurrentIndex(size);
        dialog.OkButton()->click();
        QCOMPARE(dialog.ThemeRefresh(), request);
        QCOMPARE(gSettings.interface.uiSize, size);
    }

    void defaultsAnsweredNoChangesNothing() {
        gSettings.output.jpgQuality = 40;
        gSettings.file.recentOutFolders = "/tmp/a";
        const std::string before = Dump(gSettings);
        PreferencesDialog dialog(nullptr);
        dialog.show();
        prompter_->answers = {false};
        dialog.DefaultsButton()->click();
        const auto questions = prompter_->CallsOf(Kind::Question);
        QCOMPARE(questions.size(), size_t(1));
        QCOMPARE(questions[0].title, QStringLiteral("Reset to Defaults"));
        QCOMPARE(questions[0].text, QStringLiteral("Are you sure you want to reset all your "
                                                   "settings to the default values?"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(Dump(gSettings), before);
        QVERIFY(!QFile::exists(QString::fromStdString(gSettings.settingsFilePath)));
    }

    void defaultsAnsweredYesResetsAndSaves() {
        gSettings.output.jpgQuality = 40;
        gSettings.interface.uiTheme = "Crisp";
        gSettings.file.recentOutFolders = "/tmp/a";
        const std::string path = gSettings.settingsFilePath;
        PreferencesDialog dialog(nullptr);
        // The dialog's own choice already shows the default theme: the reset must still refresh.
        ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Theme:")->setCurrentIndex(2);
        prompter_->answers = {true};
        dialog.DefaultsButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(gSettings.output.jpgQuality, 95);
        QCOMPARE(gSettings.interface.uiTheme, std::string("handdrawn"));
        QCOMPARE(gSettings.file.recentOutFolders, std::string());
        QCOMPARE(gSettings.transform.keepAspectRatio, int8_t{1});
        QCOMPARE(gSettings.settingsFilePath, path);
        QCOMPARE(dialog.ThemeRefresh(), 1);
        Settings reloaded;
        reloaded.settingsFilePath = path;
        LoadSettings(reloaded);
        QCOMPARE(reloaded.output.jpgQuality, 95);
    }

    void nextConversionUsesTheDialogsResize() {
        QTemporaryDir work;
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(0x12, 0x34, 0x56));
        const QString input = work.path() + QStringLiteral("/picture.png");
        QVERIFY(picture.save(input));

        PreferencesDialog dialog(nullptr);
        auto* transform = dialog.findChild<QWidget*>("Transform-rows");
        ControlFor<QCheckBox>(transform, "Image Resize:")->setChecked(true);
        ControlFor<QLineEdit>(transform, "Image Width:")->setText("17");
        ControlFor<QLineEdit>(transform, "Image Height:")->setText("11");
        ControlFor<QCheckBox>(transform, "Keep Proportions:")->setChecked(false);
        dialog.OkButton()->click();

        ResetJobState();
        gJob.conversion = gSettings.output.format;
        gJob.outputFolder = (work.path() + QStringLiteral("/out/")).toStdString();
        QVERIFY(QDir().mkpath(QString::fromStdString(gJob.outputFolder)));
        PrepareOutputParameters();
        QVERIFY(AddInputFile(input.toStdString()));
        QCOMPARE(ConversionRun(JobRunRequest()).Run().converted, 1);
        QCOMPARE(TgaSize(work.path() + QStringLiteral("/out/picture.tga")), QSize(17, 11));
        ClearInputSet();
    }

  private:
    // One change on every page, the kind a user makes.
    void ChangeEveryPage(PreferencesDialog& dialog) {
        ControlFor<QComboBox>(dialog.Page(kGeneralPage), "Check for Updates:")->setCurrentIndex(5);
        ControlFor<QCheckBox>(dialog.Page(kGeneralPage), "Save Window's Coords:")
            ->setChecked(false);
        ControlFor<QComboBox>(dialog.Page(kInterfacePage), "Theme:")->setCurrentIndex(1);
        ControlFor<QComboBox>(dialog.findChild<QWidget*>("Input-raw"), "Load As:")
            ->setCurrentIndex(5);
        auto* tga = dialog.findChild<QWidget*>("Output-tga");
        ControlFor<QComboBox>(tga, "Bits Per Pixel:")->setCurrentIndex(0);
        ControlFor<QComboBox>(tga, "Compression:")->setCurrentIndex(1);
        auto* transform = dialog.findChild<QWidget*>("Transform-rows");
        ControlFor<QCheckBox>(transform, "Image Resize:")->setChecked(true);
        ControlFor<QLineEdit>(transform, "Image Width:")->setText("321");
        auto* heightUnit = qobject_cast<QComboBox*>(transform->childAt(350, 190));
        QVERIFY(heightUnit);
        heightUnit->setCurrentIndex(1);
        ControlFor<QSpinBox>(dialog.Page(kAdjustmentPage), "Image Brightness:")->setValue(-30);
        ControlFor<QComboBox>(dialog.Page(kFramePage), "Frame:")->setCurrentIndex(1);
        ControlFor<QSpinBox>(dialog.findChild<QWidget*>("Frame-solid"), "Opacity:")->setValue(77);
        ControlFor<QComboBox>(dialog.Page(kWatermarkPage), "Watermark:")->setCurrentIndex(2);
        prompter_->colors = {QColor(0x12, 0xAB, 0x34)};
        auto* text = dialog.findChild<QWidget*>("Watermark-text");
        qobject_cast<QPushButton*>(text->childAt(395, 135))->click();
        ControlFor<QSpinBox>(dialog.Page(kAdvancedPage), "Output Folders Number:")->setValue(9);
    }

    std::optional<ScriptedPrompter> prompter_;
};

QTEST_MAIN(PreferencesDialogTest)
#include "preferences_dialog_test.moc"
