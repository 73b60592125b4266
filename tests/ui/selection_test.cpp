// Input file acceptance, the two selection dialogs and the recent output folder list.
#include "ui/support/conversion_run.h"

#include "platform/files.h"
#include "settings/format_catalogue.h"
#include "ui/selection.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"

#include <QSignalSpy>

using namespace millconv;
using namespace millconv::ui;
using namespace millconv::ui::test;

namespace {

// Counts the resize events a widget receives.
class ResizeCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            ++count;
        }
        return false;
    }
};

QStringList RecentList() {
    return QString::fromStdString(gSettings.file.recentOutFolders).split(QLatin1Char('\t'));
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir tmp_;
    QString Path(const QString& name) const { return tmp_.path() + QLatin1Char('/') + name; }

    void RememberAll(const QStringList& folders) {
        for (const QString& folder : folders) {
            QVERIFY(RememberOutputFolder(folder));
        }
    }

  public:
    static void initMain() {
        millconv::test::UsePrivateHome();
        UseBuildTreeDrawModule();
    }

  private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        QVERIFY(WritePng(Path("pics/a.png"), 5, 3));
        QVERIFY(WritePng(Path("other/b.png"), 5, 3));
        QVERIFY(WritePng(Path("photo.PNG"), 7, 2));
        QVERIFY(QFile::copy(Path("photo.PNG"), Path("photo.jpg")));
        QFile empty(Path("empty.png"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
    }

    void init() { millconv::test::ResetWindowSettings(); }

    void AcceptsPngInAnyCaseAndRefusesOthers() {
        StandInForm form;
        QVERIFY(!AcceptInputFile(form.Controls(), Path("photo.jpg")));
        QVERIFY(!AcceptInputFile(form.Controls(), Path("empty.png")));
        QVERIFY(InputSet().empty());
        QVERIFY(form.InputField().text().isEmpty());
        QVERIFY(gSettings.file.recentOutFolders.empty());

        QVERIFY(AcceptInputFile(form.Controls(), Path("photo.PNG")));
        QCOMPARE(form.InputField().text(), Path("photo.PNG"));
        QCOMPARE(InputSet().size(), size_t(1));
        QCOMPARE(InputSet().begin()->first, Path("photo.PNG").toStdString());

        // A refused file leaves the accepted one in place.
        QVERIFY(!AcceptInputFile(form.Controls(), Path("empty.png")));
        QCOMPARE(form.InputField().text(), Path("photo.PNG"));
        QCOMPARE(InputSet().begin()->first, Path("photo.PNG").toStdString());
    }

    void FirstFileChoosesTheOutputFolderAndLaterOnesKeepIt() {
        StandInForm form;
        const QString pics = Path("pics/");
        QVERIFY(AcceptInputFile(form.Controls(), Path("pics/a.png")));
        QCOMPARE(QString::fromStdString(gJob.outputFolder), pics);
        QCOMPARE(RecentFolder(0), pics);
        QCOMPARE(form.FolderBox().currentText(), pics);

        QVERIFY(AcceptInputFile(form.Controls(), Path("other/b.png")));
        QCOMPARE(form.InputField().text(), Path("other/b.png"));
        QCOMPARE(QString::fromStdString(gJob.outputFolder), pics);
        QCOMPARE(RecentList(), QStringList{pics});
        QCOMPARE(form.FolderBox().currentText(), pics);
    }

    void BaseFolderIsPreferredToTheFilesFolder() {
        StandInForm form;
        gJob.baseFolder = Path("other/").toStdString();
        QVERIFY(AcceptInputFile(form.Controls(), Path("pics/a.png")));
        QCOMPARE(QString::fromStdString(gJob.outputFolder), Path("other/"));
        QCOMPARE(RecentFolder(0), Path("other/"));
    }

    void RecentListKeepsTheNewestFolders() {
        RememberAll({"/f1/", "/f2/", "/f3/", "/f4/", "/f5/"});
        QCOMPARE(RecentList(), (QStringList{"/f5/", "/f4/", "/f3/", "/f2/", "/f1/"}));
        QVERIFY(RememberOutputFolder("/f6/"));
        QCOMPARE(RecentList(), (QStringList{"/f6/", "/f5/", "/f4/", "/f3/", "/f2/"}));
    }

    void ASpellingInAnotherCaseReplacesTheEntry() {
        RememberAll({"/tmp/pics/", "/data/", "/srv/"});
        QVERIFY(RememberOutputFolder("/TMP/Pics/"));
        QCOMPARE(RecentList(), (QStringList{"/TMP/Pics/", "/srv/", "/data/"}));
        // The folder dialog's spelling without the closing '/' names the same folder.
        QVERIFY(RememberOutputFolder("/srv"));
        QCOMPARE(RecentList(), (QStringList{"/srv", "/TMP/Pics/", "/data/"}));
    }

    void ListOfSizeZeroStillKeepsTheLastFolder() {
        StandInForm form;
        gSettings.advanced.outFoldersNumber = 0;
        RememberAll({"/a/", "/b/"});
        QCOMPARE(RecentList(), QStringList{"/b/"});
        RefillOutputFolderBox(form.Controls());
        QCOMPARE(form.FolderBox().count(), 0);
        QCOMPARE(form.FolderBox().currentIndex(), -1);
    }

    void ListShrinksToANewLimit() {
        RememberAll({"/a/", "/b/", "/c/", "/d/"});
        gSettings.advanced.outFoldersNumber = 2;
        QVERIFY(RememberOutputFolder("/e/"));
        QCOMPARE(RecentList(), (QStringList{"/e/", "/d/"}));
    }

    void EmptyFolderIsNotRemembered() {
        RememberAll({"/a/"});
        QVERIFY(!RememberOutputFolder(QString()));
        QCOMPARE(RecentList(), QStringList{"/a/"});
    }

    void RecentFolderTrimsAndEndsEmpty() {
        gSettings.file.recentOutFolders = "  /a/ \t/b/";
        QCOMPARE(RecentFolder(0), QStringLiteral("/a/"));
        QCOMPARE(RecentFolder(1), QStringLiteral("/b/"));
        QCOMPARE(RecentFolder(2), QString());
        QCOMPARE(RecentFolder(-1), QString());
    }

    void RefillSelectsTheCurrentFolderInItsExactSpelling() {
        StandInForm form;
        gSettings.file.recentOutFolders = "/x/\t/Pics/\t\t/pics/\t/y/\t/z/\t/beyond/";
        QSignalSpy picks(&form.FolderBox(), &QComboBox::currentIndexChanged);
        gJob.outputFolder = "/pics/";
        RefillOutputFolderBox(form.Controls());
        // Five entries are read; the empty one is skipped.
        QCOMPARE(form.FolderItems(), (QStringList{"/x/", "/Pics/", "/pics/", "/y/"}));
        QCOMPARE(form.FolderBox().currentText(), QStringLiteral("/pics/"));
        QCOMPARE(picks.count(), 0);

        gJob.outputFolder = "/PICS/";
        RefillOutputFolderBox(form.Controls());
        QCOMPARE(form.FolderBox().currentIndex(), 0);
    }

    void RefillLeavesTheBoxAloneWithoutRecentFolders() {
        StandInForm form;
        form.SelectFolderItem("/kept/");
        RefillOutputFolderBox(form.Controls());
        QCOMPARE(form.FolderItems(), QStringList{"/kept/"});
    }

    void CatalogueFiltersBecomeQtFilters() {
        QCOMPARE(QtFileFilter(InputFileFilter()),
                 QStringLiteral("All Supported Files (*.png);;Portable Network Graphics (*.png);;"
                                "All Files (*.*)"));
        QCOMPARE(QtFileFilter("Pictures|*.png;*.bmp|Jpeg (*.jpg)|*.jpg"),
                 QStringLiteral("Pictures (*.png *.bmp);;Jpeg (*.jpg)"));
    }

    void InputDialogAcceptsTheChosenFile() {
        StandInForm form;
        ScriptedPrompter prompter;
        ResizeCounter resizes;
        form.Window().installEventFilter(&resizes);
        gJob.currentInput = Path("pics/a.png").toStdString();
        prompter.paths.push_back(Path("other/b.png"));

        QVERIFY(SelectInputFile(form.Controls()));
        QCOMPARE(prompter.Calls().size(), size_t(1));
        const PrompterCall& call = prompter.Calls().front();
        QCOMPARE(call.kind, PrompterCall::Kind::OpenFile);
        QCOMPARE(call.parent, &form.Window());
        QCOMPARE(call.title, Catalogue("Dialog", "Select Input Files"));
        QCOMPARE(call.start, Path("pics/a.png"));
        QCOMPARE(call.filter, QtFileFilter(InputFileFilter()));
        QCOMPARE(form.InputField().text(), Path("other/b.png"));
        QVERIFY(gJob.currentInput.empty());
        QTRY_COMPARE(resizes.count, 1);
    }

    void CancelledOrRefusedInputChangesNothingButTheStart() {
        StandInForm form;
        ScriptedPrompter prompter;
        gJob.currentInput = "/somewhere/x.png";
        QVERIFY(!SelectInputFile(form.Controls()));
        QVERIFY(gJob.currentInput.empty());
        prompter.paths.push_back(Path("photo.jpg"));
        QVERIFY(!SelectInputFile(form.Controls()));
        QVERIFY(form.InputField().text().isEmpty());
        QVERIFY(InputSet().empty());
    }

    void FolderDialogStartsAtTheSelectedItemsFolder() {
        StandInForm form;
        ScriptedPrompter prompter;
        gJob.outputFolder = "/job/folder/";
        QVERIFY(!QFileInfo::exists("/no/such/millconv/folder"));
        prompter.paths.push_back("/no/such/millconv/folder");
        SelectOutputFolder(form.Controls());
        QCOMPARE(prompter.Calls().at(0).start, QStringLiteral("/job/folder/"));
        QCOMPARE(prompter.Calls().at(0).title, Catalogue("Dialog", "Select Output Folder"));
        // A folder that does not exist is ignored.
        QVERIFY(gSettings.file.recentOutFolders.empty());
        QCOMPARE(gJob.outputFolder, std::string("/job/folder/"));

        form.SelectFolderItem(Path("pics/"));
        prompter.paths.push_back(Path("other"));
        SelectOutputFolder(form.Controls());
        QCOMPARE(prompter.Calls().at(1).start, Path("pics/"));
        QCOMPARE(QString::fromStdString(gJob.outputFolder), Path("other"));
        QCOMPARE(RecentFolder(0), Path("other"));
        QCOMPARE(form.FolderBox().currentText(), Path("other"));
    }
};

QTEST_MAIN(SelectionTest)
#include "selection_test.moc"
