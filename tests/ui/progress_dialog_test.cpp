// The progress dialog: its layout, the titles and texts of a run, and stopping a run.
#include "ui/support/conversion_run.h"

#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"

using namespace millconv;
using namespace millconv::ui;
using namespace millconv::ui::test;

class ProgressDialogTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() {
        millconv::test::UsePrivateHome();
        UseBuildTreeDrawModule();
    }

  private:
    QTemporaryDir tmp_;
    // A folder with a short name, so that a path in it fits on the text line.
    QTemporaryDir shortTmp_{QDir::tempPath() + QStringLiteral("/mc-XXXXXX")};
    QString ShortPath() const { return shortTmp_.path() + QStringLiteral("/s.png"); }
    QString Path(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }
    static constexpr int kLongRun = 6;
    const void* dialogAddress_ = nullptr;

    // Entries that take long enough to convert for a close request to arrive mid-run.
    void FillLongRun() {
        for (int i = 1; i <= kLongRun; ++i) {
            const QString path = Path(QStringLiteral("run/n%1.png").arg(i));
            InputSet()[path.toStdString()] = InputEntry{1, {}};
        }
    }

    int WrittenFiles() const {
        return int(QDir(Path("out")).entryList({"*.tga"}, QDir::Files).size());
    }

    // Runs the long run and closes the dialog as soon as it shows its first file.
    DialogOutcome CloseDuringRun(StandInForm& form, ScriptedPrompter& prompter, bool stop) {
        FillLongRun();
        prompter.answers.push_back(stop);
        return DriveProgressDialog(
            form.Window(), [&] { RunJobInDialog(form); },
            [this](ProgressDialog& dialog) {
                dialogAddress_ = &dialog;
                QObject::connect(
                    &dialog, &ProgressDialog::IndexShown, &dialog,
                    [&dialog](int) { static_cast<void>(dialog.close()); },
                    Qt::SingleShotConnection);
            });
    }

    void ExpectBreakQuestion(const ScriptedPrompter& prompter) {
        const auto questions = prompter.CallsOf(PrompterCall::Kind::Question);
        QCOMPARE(questions.size(), size_t(1));
        QCOMPARE(questions[0].title, Catalogue("Msg", "Warning"));
        QCOMPARE(questions[0].text, Catalogue("Msg", "Ask break conversion"));
        QVERIFY(questions[0].warningIcon);
        // Asked over the progress dialog (gone by now, so only its address is compared).
        QCOMPARE(static_cast<const void*>(questions[0].parent), dialogAddress_);
    }

  private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        QVERIFY(WritePng(Path("run/n1.png"), 1400, 1100, true));
        for (int i = 2; i <= kLongRun; ++i) {
            QVERIFY(QFile::copy(Path("run/n1.png"), Path(QStringLiteral("run/n%1.png").arg(i))));
        }
        QVERIFY(shortTmp_.isValid());
        QVERIFY(WritePng(ShortPath(), 3, 3));
        const QString longFolder = QStringLiteral("folder-with-a-rather-long-name-").repeated(4);
        QVERIFY(WritePng(Path(longFolder + "/picture.png"), 3, 3));
    }

    void init() {
        millconv::test::ResetWindowSettings();
        QDir(Path("out")).removeRecursively();
        QVERIFY(QDir().mkpath(Path("out")));
        PrepareTgaJob(Path("out/"));
    }

    void LayoutAndModality() {
        StandInForm form;
        form.Window().move(200, 150);
        InputSet()[ShortPath().toStdString()] = InputEntry{1, {}};
        InputSet()[Path("run/n1.png").toStdString()] = InputEntry{1, {}};
        InputSet()[Path("run/n2.png").toStdString()] = InputEntry{1, {}};
        // The worker holds before its first file, so the dialog is seen mid-run.
        bool checked = false;
        DriveProgressDialog(
            form.Window(), [&] { RunJobInDialog(form, true); },
            [&](ProgressDialog& dialog) {
                QCOMPARE(dialog.size(), QSize(300, 110));
                QCOMPARE(dialog.windowTitle(), Catalogue("Dialog", "Convert Progress"));
                QCOMPARE(dialog.TextLine()->geometry(), QRect(10, 13, 280, 20));
                QCOMPARE(dialog.Bar()->geometry(), QRect(10, 40, 280, 20));
                QCOMPARE(dialog.Bar()->minimum(), 0);
                QCOMPARE(dialog.Bar()->maximum(), 4);
                QCOMPARE(dialog.OkButton()->geometry(), QRect(110, 75, 80, 25));
                QCOMPARE(dialog.OkButton()->text(), Catalogue("Dialog", "OK"));
                QVERIFY(!dialog.OkButton()->isEnabled());
                QVERIFY(dialog.isModal());
                QVERIFY(dialog.isEnabled());
                QVERIFY(!form.Window().isEnabled());
                const QPoint offset =
                    dialog.geometry().center() - form.Window().frameGeometry().center();
                QVERIFY(offset.manhattanLength() <= 2);
                checked = true;
                dialog.Run().Resume();
            });
        QVERIFY(checked);
        QVERIFY(form.Window().isEnabled());
    }

    void RunShowsFileTitleAndEnd() {
        StandInForm form;
        InputSet()[ShortPath().toStdString()] = InputEntry{1, {}};
        QString shownText;
        QString shownTitle;
        const DialogOutcome outcome = DriveProgressDialog(
            form.Window(), [&] { RunJobInDialog(form); },
            [&](ProgressDialog& dialog) {
                QObject::connect(&dialog, &ProgressDialog::IndexShown, &dialog, [&](int) {
                    shownText = dialog.TextLine()->text();
                    shownTitle = dialog.windowTitle();
                });
            });
        QCOMPARE(shownText, ShortPath());
        QCOMPARE(shownTitle, Catalogue("Dialog", "Convert Progress") + " (1/1)");
        QCOMPARE(outcome.text, Formatted("Files converted", "1", "1"));
        QCOMPARE(outcome.value, 2);
        QCOMPARE(form.Status(), Catalogue("Msg", "Conversion complete"));
    }

    void ClosingAfterTheEndAsksNothing() {
        StandInForm form;
        ScriptedPrompter prompter;
        InputSet()[ShortPath().toStdString()] = InputEntry{1, {}};
        bool closed = false;
        DriveProgressDialog(
            form.Window(), [&] { RunJobInDialog(form); },
            [&](ProgressDialog& dialog) {
                QObject::connect(
                    &dialog, &ProgressDialog::RunEnded, &dialog, [&] { closed = dialog.close(); },
                    Qt::QueuedConnection);
            });
        QVERIFY(closed);
        QVERIFY(prompter.Calls().empty());
        QVERIFY(form.Window().isEnabled());
    }

    void LongPathIsShortenedInTheMiddle() {
        StandInForm form;
        const QString path =
            Path(QStringLiteral("folder-with-a-rather-long-name-").repeated(4) + "/picture.png");
        InputSet()[path.toStdString()] = InputEntry{1, {}};
        QString shown;
        int perLine = 0;
        DriveProgressDialog(
            form.Window(), [&] { RunJobInDialog(form); },
            [&](ProgressDialog& dialog) {
                perLine = 280 / AverageCharacterWidth(dialog.font());
                QObject::connect(&dialog, &ProgressDialog::IndexShown, &dialog,
                                 [&](int) { shown = dialog.TextLine()->text(); });
            });
        QVERIFY2(path.size() > perLine, "the path must be too long for the line");
        const qsizetype dots = shown.indexOf(QStringLiteral("..."));
        QVERIFY2(dots > 0, qPrintable(shown));
        const QString head = shown.left(dots);
        const QString tail = shown.mid(dots + 3);
        QCOMPARE(head.size(), tail.size());
        QCOMPARE(head.size(), (perLine - 3) / 2);
        QVERIFY(path.startsWith(head));
        QVERIFY(path.endsWith(tail));
    }

    void AnsweringNoLetsTheRunFinish() {
        StandInForm form;
        ScriptedPrompter prompter;
        const DialogOutcome outcome = CloseDuringRun(form, prompter, false);
        ExpectBreakQuestion(prompter);
        QVERIFY(outcome.ended);
        QCOMPARE(outcome.text, Formatted("Files converted", QString::number(kLongRun),
                                         QString::number(kLongRun)));
        QCOMPARE(outcome.title, Catalogue("Msg", "Conversion complete") +
                                    QStringLiteral(" (%1/%1)").arg(kLongRun));
        QCOMPARE(WrittenFiles(), kLongRun);
    }

    void AnsweringYesStopsAfterTheCurrentFile() {
        StandInForm form;
        ScriptedPrompter prompter;
        const DialogOutcome outcome = CloseDuringRun(form, prompter, true);
        ExpectBreakQuestion(prompter);
        QVERIFY(outcome.ended);
        const QString stopped = Catalogue("Msg", "Conversion is not complete");
        QCOMPARE(outcome.text, stopped);
        QCOMPARE(form.Status(), stopped);
        QVERIFY(outcome.title.startsWith(stopped + " ("));
        // The file being converted was finished, none after it was started.
        const ProgressSnapshot& progress = outcome.progress;
        const int converted = progress.convertedCount;
        QCOMPARE(progress.currentIndex, converted);
        QVERIFY(converted >= 1);
        QVERIFY(converted < kLongRun);
        QCOMPARE(WrittenFiles(), converted);
        QCOMPARE(outcome.title, stopped + QStringLiteral(" (%1/%2)").arg(converted).arg(kLongRun));
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"
