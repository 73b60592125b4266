// The window's Convert action: its checks in order, a real run and the watermark font.
#include "ui/support/conversion_run.h"

#include "engine/watermark.h"
#include "ui/conversion_controller.h"
#include "ui/selection.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"

using namespace millconv;
using namespace millconv::ui;
using namespace millconv::ui::test;

class ConversionTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() {
        millconv::test::UsePrivateHome();
        UseBuildTreeDrawModule();
    }

  private:
    QTemporaryDir tmp_;
    QString Path(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }

    // The form holds a valid input and an existing output folder; each test spoils one thing.
    void FillValidForm(StandInForm& form) {
        form.InputField().setText(QStringLiteral("  ") + Path("in/a.png") + QStringLiteral(" "));
        form.SelectFolderItem(Path("out"));
    }

    static QString NotComplete() { return Formatted("Conversion is not complete", {}); }

    // The one warning of a refused Convert action, which opened no dialog.
    void ExpectRefused(StandInForm& form, const QString& warning, const QString& status) {
        ScriptedPrompter prompter;
        const DialogOutcome outcome = DriveProgressDialog(
            form.Window(), [&] { StartWindowConversion(form.Controls()); });
        QVERIFY(!outcome.opened);
        QCOMPARE(prompter.Calls().size(), size_t(1));
        QCOMPARE(prompter.Calls().at(0).kind, PrompterCall::Kind::Warning);
        QCOMPARE(prompter.Calls().at(0).title, Catalogue("Msg", "Warning"));
        QCOMPARE(prompter.Calls().at(0).text, warning);
        QCOMPARE(form.Status(), status);
        QVERIFY(QDir(Path("out")).isEmpty());
    }

  private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        QVERIFY(WritePng(Path("in/a.png"), 7, 5));
        QVERIFY(QDir().mkpath(Path("out")));
        QFile broken(Path("in/broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        QVERIFY(broken.write("\x89PNG\r\n\x1a\n but not a picture") > 0);
    }

    void init() {
        millconv::test::ResetWindowSettings();
        QDir(Path("out")).removeRecursively();
        QVERIFY(QDir().mkpath(Path("out")));
    }

    void EmptyInputStopsWithAWarning() {
        StandInForm form;
        FillValidForm(form);
        form.InputField().setText(QStringLiteral("   "));
        ExpectRefused(form, Formatted("Empty input files", {}), NotComplete());
    }

    void RefusedInputFileCountsAsEmpty() {
        StandInForm form;
        FillValidForm(form);
        form.InputField().setText(Path("in/a.jpg"));
        ExpectRefused(form, Formatted("Empty input files", {}), NotComplete());
    }

    void NoOutputFolderStops() {
        StandInForm form;
        FillValidForm(form);
        form.FolderBox().clear();
        form.InputField().setText(Path("in/a.jpg"));
        ExpectRefused(form, Formatted("Empty input files", {}), NotComplete());
    }

    void TypedInputWithoutAFolderIsWrittenBesideItself() {
        StandInForm form;
        ScriptedPrompter prompter;
        FillValidForm(form);
        form.FolderBox().clear();
        const DialogOutcome outcome =
            DriveProgressDialog(form.Window(), [&] { StartWindowConversion(form.Controls()); });
        QCOMPARE(outcome.text, Formatted("Files converted", "1", "1"));
        QVERIFY(prompter.Calls().empty());
        QVERIFY(QFile::remove(Path("in/a.tga")));
        QCOMPARE(form.FolderBox().currentText(), Path("in/"));
    }

    void RelativeOutputFolderLiesBelowTheCurrentFolder() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp_.path()));
        {
            StandInForm form;
            ScriptedPrompter prompter;
            FillValidForm(form);
            form.SelectFolderItem(QStringLiteral("./out"));
            const DialogOutcome outcome =
                DriveProgressDialog(form.Window(), [&] { StartWindowConversion(form.Controls()); });
            QCOMPARE(outcome.text, Formatted("Files converted", "1", "1"));
            QVERIFY(QFileInfo(Path("out/a.tga")).size() > 0);
            // Remembered where it is, not as typed.
            QCOMPARE(RecentFolder(0), Path("out/"));
            QVERIFY(QFile::remove(Path("out/a.tga")));

            form.SelectFolderItem(QStringLiteral("../out"));
            ExpectRefused(form, Formatted("Invalid output folder", "../out/"), NotComplete());
        }
        QDir::setCurrent(previous);
    }

    void MissingOutputFolderIsNamed() {
        StandInForm form;
        FillValidForm(form);
        form.SelectFolderItem(Path("missing"));
        ExpectRefused(form, Formatted("Invalid output folder", Path("missing/")), NotComplete());
        QVERIFY(gSettings.file.recentOutFolders.empty());
    }

    void ZeroResizeSidesStop() {
        StandInForm form;
        FillValidForm(form);
        gSettings.transform.doImageResize = 1;
        gSettings.transform.imageWidth = 0;
        gSettings.transform.imageHeight = 40;
        ExpectRefused(form, Formatted("Invalid width", {}), NotComplete());
        gSettings.transform.imageWidth = 30;
        gSettings.transform.imageHeight = 0;
        ExpectRefused(form, Formatted("Invalid height", {}), NotComplete());
    }

    void UnknownWatermarkFontStops() {
        StandInForm form;
        FillValidForm(form);
        gSettings.watermark.doWatermark = 1;
        gSettings.watermark.font = "Millconv Nonexistent Face";
        ExpectRefused(form, Formatted("Invalid watermark font", "Millconv Nonexistent Face"),
                      NotComplete());
        QVERIFY(!WatermarkFontLoaded());
    }

    void WatermarkPictureMustBeUsable() {
        StandInForm form;
        FillValidForm(form);
        gSettings.watermark.doWatermark = 2;
        gSettings.watermark.image.clear();
        ExpectRefused(form, Formatted("Empty watermark image", {}), NotComplete());
        gSettings.watermark.image = Path("in/none.png").toStdString();
        ExpectRefused(form, Formatted("Invalid watermark image", Path("in/none.png")),
                      NotComplete());
    }

    void RunConvertsTheFileAndRemembersTheFolder() {
        StandInForm form;
        ScriptedPrompter prompter;
        FillValidForm(form);
        gSettings.file.recentOutFolders = "/elsewhere/";
        const DialogOutcome outcome = DriveProgressDialog(
            form.Window(), [&] { StartWindowConversion(form.Controls()); });
        QVERIFY(outcome.opened);
        QVERIFY(outcome.ended);
        QVERIFY(!outcome.windowEnabledInRun);
        QVERIFY(form.Window().isEnabled());
        QCOMPARE(outcome.text, Formatted("Files converted", "1", "1"));
        QCOMPARE(outcome.title, Catalogue("Msg", "Conversion complete") + " (1/1)");
        QCOMPARE(outcome.value, 2);
        QCOMPARE(outcome.maximum, 2);
        QCOMPARE(form.Status(), Catalogue("Msg", "Conversion complete"));
        QVERIFY(prompter.Calls().empty());
        QVERIFY(QFileInfo(Path("out/a.tga")).size() > 0);
        // The folder gained its closing '/' and replaced the dialog's spelling.
        QCOMPARE(RecentFolder(0), Path("out/"));
        QCOMPARE(RecentFolder(1), QStringLiteral("/elsewhere/"));
        QCOMPARE(form.FolderBox().currentText(), Path("out/"));
    }

    void FileThatFailsToLoadConvertsNothing() {
        StandInForm form;
        ScriptedPrompter prompter;
        FillValidForm(form);
        form.InputField().setText(Path("in/broken.png"));
        const DialogOutcome outcome = DriveProgressDialog(
            form.Window(), [&] { StartWindowConversion(form.Controls()); });
        QVERIFY(outcome.ended);
        QCOMPARE(outcome.text, Formatted("Files converted", "0", "1"));
        // The status says why: the file and the reason.
        QVERIFY2(form.Status().startsWith(Path("in/broken.png") + ": "), qPrintable(form.Status()));
        QVERIFY(form.Status().size() > Path("in/broken.png: ").size() + 10);
        QVERIFY(prompter.Calls().empty());
        QVERIFY(QDir(Path("out")).isEmpty());
    }

    void WatermarkFontIsHeldForTheRunAndFreedAfter() {
        StandInForm form;
        ScriptedPrompter prompter;
        FillValidForm(form);
        gSettings.watermark.doWatermark = 1;
        gSettings.watermark.font = "DejaVu Sans";
        gSettings.watermark.text = "mill";
        bool loadedInRun = false;
        const DialogOutcome outcome = DriveProgressDialog(
            form.Window(), [&] { StartWindowConversion(form.Controls()); },
            [&](ProgressDialog&) { loadedInRun = WatermarkFontLoaded(); });
        QVERIFY(prompter.Calls().empty());
        QVERIFY(loadedInRun);
        QCOMPARE(outcome.text, Formatted("Files converted", "1", "1"));
        QVERIFY(!WatermarkFontLoaded());
    }
};

QTEST_MAIN(ConversionTest)
#include "conversion_test.moc"
