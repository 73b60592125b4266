// The preferences pages: coupled sliders, gamma, enabling rules, catalogue items and pickers.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>

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
using Kind = PrompterCall::Kind;

namespace {

QWidget* Panel(const PreferencesDialog& dialog, const char* name) {
    return dialog.findChild<QWidget*>(QString::fromLatin1(name));
}

// The widget a row places at x on the line of row k of a panel.
template <typename Control> Control* At(QWidget* panel, int x, int k) {
    return qobject_cast<Control*>(panel->childAt(x, ControlTop(k) + 5));
}

bool RowEnabled(QWidget* panel, int k) {
    QWidget* label = panel->childAt(20, LabelTop(k) + 5);
    QWidget* control = panel->childAt(180, ControlTop(k) + 5);
    return label != nullptr && control != nullptr && label->isEnabled() &&
           control->isEnabled();
}

bool RowDisabled(QWidget* panel, int k) {
    QWidget* label = panel->childAt(20, LabelTop(k) + 5);
    QWidget* control = panel->childAt(180, ControlTop(k) + 5);
    return label != nullptr && control != nullptr && !label->isEnabled() &&
           !control->isEnabled();
}

} // namespace

class PreferencesPagesTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private slots:
    void init() {
        UsePrivateSettings();
        prompter_.emplace();
    }
    void cleanup() { prompter_.reset(); }

    void jpegQualityClampsTypedValues() {
        PreferencesDialog dialog(nullptr);
        auto* quality = ControlFor<CoupledSpinBox>(Panel(dialog, "Output-jpg"), "Image Quality:");
        QVERIFY(quality);
        QCOMPARE(quality->value(), 95);
        QCOMPARE(quality->Slider()->value(), 95);
        TypeInto(quality, "150");
        QCOMPARE(quality->value(), 100);
        QCOMPARE(quality->text(), QStringLiteral("100"));
        QCOMPARE(quality->Slider()->value(), 100);
        TypeInto(quality, "0");
        QCOMPARE(quality->value(), 1);
        QCOMPARE(quality->Slider()->value(), 1);
        quality->Slider()->setValue(42);
        QCOMPARE(quality->value(), 42);
        dialog.OkButton()->click();
        QCOMPARE(gSettings.output.jpgQuality, 42);
    }

    void brightnessSliderIsOffsetByAHundred() {
        gSettings.adjustment.imageBrightness = -30;
        PreferencesDialog dialog(nullptr);
        auto* page = dialog.Page(kAdjustmentPage);
        auto* brightness = ControlFor<CoupledSpinBox>(page, "Image Brightness:");
        QVERIFY(brightness);
        QCOMPARE(brightness->value(), -30);
        QCOMPARE(brightness->Slider()->value(), 70);
        QCOMPARE(brightness->Slider()->maximum(), 200);
        brightness->Slider()->setValue(151);
        QCOMPARE(brightness->value(), 51);
        TypeInto(brightness, "-300");
        QCOMPARE(brightness->value(), -100);
        QCOMPARE(brightness->Slider()->value(), 0);
        auto* contrast = ControlFor<CoupledSpinBox>(page, "Image Contrast:");
        QCOMPARE(contrast->value(), 0);
        QCOMPARE(contrast->Slider()->value(), 100); // a neutral value sits in the middle
        TypeInto(contrast, "17");
        QCOMPARE(contrast->Slider()->value(), 117);
        dialog.OkButton()->click();
        QCOMPARE(gSettings.adjustment.imageBrightness, -100);
        QCOMPARE(gSettings.adjustment.imageContrast, 17);
    }

    void gammaIsHeldInHundredths() {
        PreferencesDialog dialog(nullptr);
        auto* gamma = ControlFor<GammaSpinBox>(dialog.Page(kAdjustmentPage), "Gamma Correction:");
        QVERIFY(gamma);
        QCOMPARE(gamma->text(), QStringLiteral("1.00"));
        QCOMPARE(gamma->Slider()->value(), 100);

        TypeInto(gamma, "2.5");
        QTest::keyClick(gamma, Qt::Key_Return);
        QCOMPARE(gamma->Hundredths(), 250);
        QCOMPARE(gamma->Slider()->value(), 250);
        QCOMPARE(gamma->text(), QStringLiteral("2.50"));

        TypeInto(gamma, "12");
        QCOMPARE(gamma->Hundredths(), 999);
        QCOMPARE(gamma->text(), QStringLiteral("9.99"));
        QCOMPARE(gamma->Slider()->value(), 999);

        gamma->Slider()->setValue(7);
        QCOMPARE(gamma->text(), QStringLiteral("0.07"));
        gamma->stepBy(-10);
        QCOMPARE(gamma->Hundredths(), 1);
        gamma->stepBy(1);
        QCOMPARE(gamma->Hundredths(), 2);

        TypeInto(gamma, "2.5");
        dialog.OkButton()->click();
        QCOMPARE(gSettings.adjustment.imageGamma, 2.5f);
    }

    void gammaOfTheRecordIsRoundedOntoTheSlider() {
        gSettings.adjustment.imageGamma = 1.456f;
        PreferencesDialog dialog(nullptr);
        auto* gamma = ControlFor<GammaSpinBox>(dialog.Page(kAdjustmentPage), "Gamma Correction:");
        QCOMPARE(gamma->Hundredths(), 146);
        QCOMPARE(gamma->text(), QStringLiteral("1.46"));
    }

    void tgaDepthShowsItsNumberAndAutoStoresZero() {
        gSettings.output.tgaBpp = 24;
        PreferencesDialog dialog(nullptr);
        auto* depth = ControlFor<QComboBox>(Panel(dialog, "Output-tga"), "Bits Per Pixel:");
        QVERIFY(depth);
        QCOMPARE(depth->count(), 5);
        QCOMPARE(depth->itemText(0), QStringLiteral("Auto"));
        QCOMPARE(depth->currentText(), QStringLiteral("24"));
        depth->setCurrentIndex(2);
        dialog.OkButton()->click();
        QCOMPARE(gSettings.output.tgaBpp, 16);

        PreferencesDialog again(nullptr);
        auto* sixteen = ControlFor<QComboBox>(Panel(again, "Output-tga"), "Bits Per Pixel:");
        QCOMPARE(sixteen->currentText(), QStringLiteral("16"));
        sixteen->setCurrentIndex(0);
        again.OkButton()->click();
        QCOMPARE(gSettings.output.tgaBpp, 0);
    }

    void onlyTheChosenFormatsPanelShows() {
        PreferencesDialog dialog(nullptr);
        dialog.show();
        dialog.ShowPage(kOutputPage);
        QVERIFY(Panel(dialog, "Output-tga")->isVisible());
        QVERIFY(!Panel(dialog, "Output-jpg")->isVisible());
        auto* formats = ControlFor<QComboBox>(dialog.Page(kOutputPage), "Output Format:");
        QCOMPARE(formats->currentText(), QStringLiteral("TGA"));
        // The product reads PNG only, and PNG has no load options.
        dialog.ShowPage(kInputPage);
        auto* inputs = ControlFor<QComboBox>(dialog.Page(kInputPage), "Input Format:");
        QCOMPARE(inputs->currentText(), QStringLiteral("PNG"));
        for (QWidget* panel : dialog.Page(kInputPage)->findChildren<QWidget*>(
                 QRegularExpression("^Input-"), Qt::FindDirectChildrenOnly)) {
            QVERIFY2(!panel->isVisible(), qPrintable(panel->objectName()));
        }
    }

    void listItemsComeFromTheCatalogue() {
        PreferencesDialog dialog(nullptr);
        auto item = [&](const char* panel, const char* label, int index) {
            return ControlFor<QComboBox>(Panel(dialog, panel), label)->itemText(index);
        };
        QCOMPARE(item("Output-png", "Compression:", 2), QStringLiteral("ZLib Level 6"));
        QCOMPARE(item("Output-tiff", "Compression:", 1), QStringLiteral("CCITT Group 3 Fax"));
        QCOMPARE(item("Input-dds", "Load As:", 1), QStringLiteral("BGR 32-bit"));
        QCOMPARE(item("Input-gif", "Frame Loading:", 0), QStringLiteral("All"));
        QCOMPARE(item("Output-jpg", "Bits Per Pixel:", 2), QStringLiteral("24"));
        QCOMPARE(item("Transform-rows", "Resize Algorithm:", 4),
                 QStringLiteral("Catmull-Rom Spline"));
        QCOMPARE(item("Watermark-text", "Position:", 8), QStringLiteral("Bottom-Right"));
    }

    void rawLoadAsChoosesWhichRowsApply() {
        PreferencesDialog dialog(nullptr);
        QWidget* raw = Panel(dialog, "Input-raw");
        auto* loadAs = ControlFor<QComboBox>(raw, "Load As:");
        // Auto, the default: nothing of the layout or the tone mapping applies.
        for (int k = 1; k <= 4; ++k) {
            QVERIFY(RowDisabled(raw, k));
        }
        loadAs->setCurrentIndex(5); // RGB48
        QVERIFY(RowDisabled(raw, 1) && RowDisabled(raw, 2) && RowDisabled(raw, 3));
        QVERIFY(RowEnabled(raw, 4));
        loadAs->setCurrentIndex(1); // RGB8
        QVERIFY(RowEnabled(raw, 1) && RowEnabled(raw, 2) && RowEnabled(raw, 3));
        QVERIFY(RowDisabled(raw, 4));
        loadAs->setCurrentIndex(3); // RGB24
        QVERIFY(RowDisabled(raw, 1) && RowDisabled(raw, 4));
    }

    void untickingResizeGreysItsRowsButKeepsThem() {
        gSettings.transform.doImageResize = 1;
        gSettings.transform.imageWidth = 640;
        gSettings.transform.imageHeightUnit = 1;
        gSettings.transform.imageResizeAlgorithm = 5;
        PreferencesDialog dialog(nullptr);
        QWidget* rows = Panel(dialog, "Transform-rows");
        for (int k = 5; k <= 9; ++k) {
            QVERIFY(RowEnabled(rows, k));
        }
        ControlFor<QCheckBox>(rows, "Image Resize:")->setChecked(false);
        for (int k = 5; k <= 9; ++k) {
            QVERIFY2(RowDisabled(rows, k), qPrintable(QString::number(k)));
        }
        QVERIFY(!At<QComboBox>(rows, 350, 5)->isEnabled()); // the unit list greys too
        QVERIFY(RowEnabled(rows, 10));
        // Rotation is off by default: its three rows are grey.
        QVERIFY(RowDisabled(rows, 1) && RowDisabled(rows, 2) && RowDisabled(rows, 3));
        ControlFor<QCheckBox>(rows, "Image Rotation:")->setChecked(true);
        QVERIFY(RowEnabled(rows, 1) && RowEnabled(rows, 2) && RowEnabled(rows, 3));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.transform.doImageResize, int8_t{0});
        QCOMPARE(gSettings.transform.imageWidth, 640);
        QCOMPARE(gSettings.transform.imageHeightUnit, int8_t{1});
        QCOMPARE(gSettings.transform.imageResizeAlgorithm, int8_t{5});
    }

    void thresholdLevelFollowsItsCheckbox() {
        PreferencesDialog dialog(nullptr);
        QWidget* page = dialog.Page(kAdjustmentPage);
        QVERIFY(RowDisabled(page, 6));
        ControlFor<QCheckBox>(page, "Image Threshold:")->setChecked(true);
        QVERIFY(RowEnabled(page, 6));
    }

    void numberFieldsTakeDigitsOnly() {
        PreferencesDialog dialog(nullptr);
        QWidget* solid = Panel(dialog, "Frame-solid");
        auto* left = ControlFor<QLineEdit>(solid, "Left:");
        left->clear();
        QTest::keyClicks(left, "1a2-3 ");
        QCOMPARE(left->text(), QStringLiteral("123"));
        ControlFor<QLineEdit>(solid, "Top:")->clear();
        gSettings.frame.solidTop = 9;
        dialog.OkButton()->click();
        QCOMPARE(gSettings.frame.solidLeft, 123);
        QCOMPARE(gSettings.frame.solidTop, 0);
    }

    void frameSwatchesReadAndPickColours() {
        gSettings.frame.solidLeftColor = "12AB3"; // five characters: black
        gSettings.frame.solidRightColor = "a1b2c3";
        PreferencesDialog dialog(nullptr);
        QWidget* solid = Panel(dialog, "Frame-solid");
        auto* left = ControlFor<QPushButton>(solid, "Left Color:");
        QCOMPARE(At<QLineEdit>(solid, 230, 4)->text(), QStringLiteral("000000"));
        QCOMPARE(At<QLineEdit>(solid, 230, 5)->text(), QStringLiteral("A1B2C3"));
        prompter_->colors = {QColor(0x10, 0x20, 0x30)};
        left->click();
        QCOMPARE(prompter_->LastOf(Kind::PickColor).text, QColor(Qt::black).name());
        QCOMPARE(At<QLineEdit>(solid, 230, 4)->text(), QStringLiteral("102030"));
        // A cancelled picker changes nothing.
        ControlFor<QPushButton>(solid, "Top Color:")->click();
        QCOMPARE(At<QLineEdit>(solid, 230, 6)->text(), QStringLiteral("000000"));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.frame.solidLeftColor, std::string("102030"));
        QCOMPARE(gSettings.frame.solidRightColor, std::string("A1B2C3"));
    }

    void frameAreaShowsForSolidFramesOnly() {
        PreferencesDialog dialog(nullptr);
        dialog.show();
        dialog.ShowPage(kFramePage);
        QWidget* area = Panel(dialog, "Frame-solid");
        QVERIFY(!area->isVisible());
        ControlFor<QComboBox>(dialog.Page(kFramePage), "Frame:")->setCurrentIndex(1);
        QVERIFY(area->isVisible());
    }

    void newFontColourIsListedAtOnce() {
        gSettings.watermark.fontColors = "000000,FF0000";
        gSettings.watermark.fontColor = "FF0000";
        PreferencesDialog dialog(nullptr);
        QWidget* text = Panel(dialog, "Watermark-text");
        auto* colors = ControlFor<QComboBox>(text, "Font Color:");
        QCOMPARE(colors->count(), 2);
        QCOMPARE(colors->itemText(0), QStringLiteral("Black"));
        QCOMPARE(colors->currentText(), QStringLiteral("Red"));
        QCOMPARE(colors->itemIcon(1).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));

        prompter_->colors = {QColor(0x12, 0xAB, 0x34), QColor(0, 0, 0)};
        At<QPushButton>(text, 395, 4)->click();
        QCOMPARE(prompter_->LastOf(Kind::PickColor).text, QColor(Qt::red).name());
        QCOMPARE(colors->count(), 3);
        QCOMPARE(colors->currentText(), QStringLiteral("Color #12AB34"));
        QCOMPARE(gSettings.watermark.fontColors, std::string("000000,FF0000,12AB34"));
        // A colour already offered is selected, not added again.
        At<QPushButton>(text, 395, 4)->click();
        QCOMPARE(colors->count(), 3);
        QCOMPARE(colors->currentText(), QStringLiteral("Black"));
        QCOMPARE(gSettings.watermark.fontColors, std::string("000000,FF0000,12AB34"));

        dialog.CancelButton()->click();
        QCOMPARE(gSettings.watermark.fontColors, std::string("000000,FF0000,12AB34"));
        QCOMPARE(gSettings.watermark.fontColor, std::string("FF0000"));
    }

    void backgroundColourPickerStoresTheChoice() {
        PreferencesDialog dialog(nullptr);
        QWidget* text = Panel(dialog, "Watermark-text");
        auto* colors = ControlFor<QComboBox>(text, "Background Color:");
        QCOMPARE(colors->currentText(), QStringLiteral("Black"));
        prompter_->colors = {QColor(0x80, 0x40, 0x00)};
        At<QPushButton>(text, 395, 11)->click();
        QCOMPARE(colors->currentText(), QStringLiteral("Brown"));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.watermark.backColor, std::string("804000"));
        QVERIFY(gSettings.watermark.backColors.ends_with(",804000"));
        QVERIFY(!gSettings.watermark.fontColors.ends_with(",804000"));
    }

    void colourOutsideTheListIsKept() {
        gSettings.watermark.fontColor = "123456";
        PreferencesDialog dialog(nullptr);
        auto* colors = ControlFor<QComboBox>(Panel(dialog, "Watermark-text"), "Font Color:");
        QCOMPARE(colors->currentText(), QStringLiteral("Color #123456"));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.watermark.fontColor, std::string("123456"));
        QVERIFY(gSettings.watermark.fontColors.find("123456") == std::string::npos);
    }

    void fontPickerAddsTheNameSizeAndStyle() {
        gSettings.watermark.fonts = "Arial,DejaVu Serif";
        gSettings.watermark.font = "DejaVu Serif";
        gSettings.watermark.fontSize = 13;
        PreferencesDialog dialog(nullptr);
        QWidget* text = Panel(dialog, "Watermark-text");
        auto* fonts = ControlFor<QComboBox>(text, "Font:");
        QCOMPARE(fonts->count(), 2);
        QCOMPARE(fonts->currentText(), QStringLiteral("DejaVu Serif"));
        QFont chosen(QStringLiteral("DejaVu Sans Mono"));
        chosen.setPointSize(22);
        chosen.setBold(true);
        chosen.setItalic(true);
        prompter_->fonts = {chosen};
        At<QPushButton>(text, 395, 1)->click();
        QFont start;
        QVERIFY(start.fromString(prompter_->LastOf(Kind::PickFont).text));
        QCOMPARE(start.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(start.pointSize(), 13);
        QCOMPARE(fonts->currentText(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(gSettings.watermark.fonts, std::string("Arial,DejaVu Serif,DejaVu Sans Mono"));
        QCOMPARE(ControlFor<QLineEdit>(text, "Font Size:")->text(), QStringLiteral("22"));
        QCOMPARE(ControlFor<QComboBox>(text, "Font Style:")->currentText(),
                 QStringLiteral("Bold Italic"));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.watermark.font, std::string("DejaVu Sans Mono"));
        QCOMPARE(gSettings.watermark.fontSize, 22);
        QCOMPARE(gSettings.watermark.fontStyle, int8_t{3});
    }

    void fontPickerShowsAndStoresOnlyInstalledFamilies() {
        // A default that is not installed opens the picker on the family that stands in for
        // it; a family that is not installed is stored as the one the font system gives.
        struct Row {
            const char* listed;
            const char* picked;
            const char* shown;
            const char* stored;
        };
        const Row rows[] = {
            {"Arial", "Liberation Serif", "Liberation Sans", "Liberation Serif"},
            {"Liberation Mono", "Millconv Test Sans", "Liberation Mono", nullptr},
        };
        for (const Row& row : rows) {
            gSettings.watermark.fonts = row.listed;
            gSettings.watermark.font = row.listed;
            PreferencesDialog dialog(nullptr);
            QWidget* text = Panel(dialog, "Watermark-text");
            prompter_->fonts = {QFont(QString::fromLatin1(row.picked))};
            At<QPushButton>(text, 395, 1)->click();
            QFont start;
            QVERIFY(start.fromString(prompter_->LastOf(Kind::PickFont).text));
            QCOMPARE(start.family(), QString::fromLatin1(row.shown));
            dialog.OkButton()->click();
            const QString stored = QString::fromStdString(gSettings.watermark.font);
            QVERIFY2(row.stored == nullptr || stored == QLatin1String(row.stored),
                     qPrintable(stored));
            QVERIFY2(stored != QLatin1String("Millconv Test Sans"), qPrintable(stored));
            QCOMPARE(QFontInfo(QFont(stored)).family(), stored);
        }
    }

    void emptyFontListStartsFromTheFont() {
        gSettings.watermark.fonts = "";
        gSettings.watermark.font = "Verdana";
        PreferencesDialog dialog(nullptr);
        auto* fonts = ControlFor<QComboBox>(Panel(dialog, "Watermark-text"), "Font:");
        QCOMPARE(fonts->count(), 1);
        QCOMPARE(fonts->currentText(), QStringLiteral("Verdana"));
    }

    void watermarkImagePickerReplacesThePath() {
        gSettings.watermark.image = "  /pictures/old.png ";
        PreferencesDialog dialog(nullptr);
        QWidget* image = Panel(dialog, "Watermark-image");
        auto* path = ControlFor<QLineEdit>(image, "Image:");
        QCOMPARE(path->geometry(), QRect(170, 10, 214, 20));
        At<QPushButton>(image, 395, 0)->click(); // cancelled
        const PrompterCall picker = prompter_->LastOf(Kind::OpenFile);
        QCOMPARE(picker.title, QStringLiteral("Select Watermark Image"));
        QCOMPARE(picker.start, QStringLiteral("/pictures/old.png"));
        QVERIFY(picker.filter.contains(QStringLiteral("*.png")));
        QVERIFY(picker.filter.contains(QStringLiteral("*.jpg")));
        QVERIFY(!picker.filter.contains(QLatin1Char('|')));
        QCOMPARE(path->text(), QStringLiteral("  /pictures/old.png "));
        prompter_->paths = {QStringLiteral("/pictures/new.bmp")};
        At<QPushButton>(image, 395, 0)->click();
        QCOMPARE(path->text(), QStringLiteral("/pictures/new.bmp"));
    }

    void watermarkTypeNoneStillStoresEveryControl() {
        PreferencesDialog dialog(nullptr);
        dialog.show();
        dialog.ShowPage(kWatermarkPage);
        QWidget* text = Panel(dialog, "Watermark-text");
        QWidget* image = Panel(dialog, "Watermark-image");
        QVERIFY(!text->isVisible() && !image->isVisible());
        auto* type = ControlFor<QComboBox>(dialog.Page(kWatermarkPage), "Watermark:");
        type->setCurrentIndex(1);
        QVERIFY(text->isVisible() && !image->isVisible());
        // The Scale rows stay hidden: their Size lists offer "Fixed" only.
        QVERIFY(!ControlFor<QSpinBox>(text, "Scale:")->isVisible());
        type->setCurrentIndex(2);
        QVERIFY(!text->isVisible() && image->isVisible());
        type->setCurrentIndex(0);

        ControlFor<QLineEdit>(text, "Text:")->setText(QStringLiteral(" \tSample\r\n mark "));
        ControlFor<QSpinBox>(text, "Text Opacity:")->setValue(128);
        ControlFor<QComboBox>(text, "Position:")->setCurrentIndex(4);
        ControlFor<QSpinBox>(image, "Rotation Angle:")->setValue(33);
        ControlFor<QLineEdit>(image, "Image:")->setText(QStringLiteral(" /p/mark.png "));
        dialog.OkButton()->click();
        QCOMPARE(gSettings.watermark.doWatermark, int8_t{0});
        QCOMPARE(gSettings.watermark.text, std::string("Sample mark"));
        QCOMPARE(gSettings.watermark.textOpacity, 128);
        QCOMPARE(gSettings.watermark.textPosition, int8_t{4});
        QCOMPARE(gSettings.watermark.imageRotation, 33);
        QCOMPARE(gSettings.watermark.image, std::string("/p/mark.png"));
        QCOMPARE(gSettings.watermark.textScale, 10);
    }

    void advancedTimestampAndHiddenRow() {
        gSettings.advanced.keepSubfolders = 0;
        gSettings.advanced.customTimestamp = 1700000045; // 2023/11/14 22:14:05 wall clock
        PreferencesDialog dialog(nullptr);
        QWidget* page = dialog.Page(kAdvancedPage);
        auto* stamp = ControlFor<QDateTimeEdit>(page, "Custom Timestamp:");
        QVERIFY(stamp);
        QCOMPARE(stamp->text(), QStringLiteral("2023/11/14 22:14"));
        QVERIFY(!stamp->isEnabled());
        ControlFor<QComboBox>(page, "File Timestamp:")->setCurrentIndex(2);
        QVERIFY(stamp->isEnabled());
        auto* keep = ControlFor<QCheckBox>(page, "Keep Subfolders:");
        QVERIFY(keep && keep->isHidden());
        dialog.OkButton()->click();
        QCOMPARE(gSettings.advanced.keepSubfolders, int8_t{0});
        QCOMPARE(gSettings.advanced.customTimestamp, 1700000045);
        QCOMPARE(gSettings.advanced.fileTimestamp, int8_t{2});

        PreferencesDialog again(nullptr);
        auto* edit = ControlFor<QDateTimeEdit>(again.Page(kAdvancedPage), "Custom Timestamp:");
        edit->setDateTime(edit->dateTime().addSecs(3600));
        again.OkButton()->click();
        QCOMPARE(gSettings.advanced.customTimestamp, 1700000045 + 3600);
    }

    // With MILLCONV_PREFERENCES_SHOTS set to a folder, writes a picture of every page there.
    void pagesCanBePhotographed() {
        const QString folder = qEnvironmentVariable("MILLCONV_PREFERENCES_SHOTS");
        if (folder.isEmpty()) {
            QSKIP("no picture folder given");
        }
        QDir().mkpath(folder);
        gSettings.frame.doFrame = 1;
        gSettings.watermark.doWatermark = 1;
        gSettings.transform.doImageResize = 1;
        for (int i = 0; i < kPageCount; ++i) {
            PreferencesDialog dialog(nullptr);
            dialog.show();
            dialog.ShowPage(i);
            QVERIFY(dialog.grab().save(folder + QStringLiteral("/page%1.png").arg(i)));
        }
        gSettings.watermark.doWatermark = 2;
        PreferencesDialog dialog(nullptr);
        dialog.show();
        dialog.ShowPage(kWatermarkPage);
        QVERIFY(dialog.grab().save(folder + QStringLiteral("/page7-image.png")));
    }

  private:
    std::optional<ScriptedPrompter> prompter_;
};

QTEST_MAIN(PreferencesPagesTest)
#include "preferences_pages_test.moc"
