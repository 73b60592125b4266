// The user manual: well-formed, every internal link lands, covers the window, and is installed.
#include <QtTest>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "settings/message_catalogue.h"
#include "ui/support/private_home.h"

using namespace millconv;

namespace {

const QString kManualSource = MILLCONV_SOURCE_DIR "docs/millconv.html";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the parse found: ids, internal link targets, headings and all text.
struct ManualContents {
    QString error;
    QString title;
    QStringList ids;
    QStringList internalLinks;
    QStringList pictures; // the src of every img
    QStringList headings;
    QString text;
};

ManualContents ParseManual(const QByteArray& html) {
    ManualContents found;
    QXmlStreamReader reader(html);
    QString heading;
    bool inHeading = false;
    bool inTitle = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto attributes = reader.attributes();
            if (attributes.hasAttribute("id")) {
                found.ids << attributes.value("id").toString();
            }
            if (reader.name() == QLatin1String("img")) {
                found.pictures << attributes.value("src").toString();
            }
            const QString href = attributes.value("href").toString();
            if (href.startsWith('#')) {
                found.internalLinks << href.mid(1);
            }
            const auto name = reader.name();
            inTitle = name == u"title";
            if (name == u"h2" || name == u"h3") {
                inHeading = true;
                heading.clear();
            }
        } else if (reader.isEndElement()) {
            const auto name = reader.name();
            if (inHeading && (name == u"h2" || name == u"h3")) {
                found.headings << heading.simplified();
                inHeading = false;
            }
            inTitle = false;
        } else if (reader.isCharacters()) {
            found.text += reader.text();
            if (inHeading) {
                heading += reader.text();
            }
            if (inTitle) {
                found.title += reader.text();
            }
        }
    }
    if (reader.hasError()) {
        found.error = QString("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    }
    found.text = found.text.simplified();
    return found;
}

QString Text(std::string_view section, std::string_view key) {
    return QString::fromStdString(CatalogueText(section, key));
}

} // namespace

class ManualTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { test::UsePrivateHome(); }

  private:
    ManualContents manual_;

  private slots:
    void initTestCase() {
        const QByteArray html = ReadFile(kManualSource);
        QVERIFY(!html.isEmpty());
        manual_ = ParseManual(html);
    }

    void IsWellFormedAndSelfContained() {
        QVERIFY2(manual_.error.isEmpty(), qPrintable(manual_.error));
        QVERIFY(manual_.title.contains("Pixelmill PNG to TGA 2.9"));
        // Self-contained: no style sheets or scripts, and pictures only from beside the manual.
        const QByteArray html = ReadFile(kManualSource);
        QVERIFY(!html.contains("<link"));
        QVERIFY(!html.contains("<script"));
        QVERIFY(!manual_.pictures.isEmpty());
        for (const QString& picture : std::as_const(manual_.pictures)) {
            QVERIFY2(!picture.contains('/') && !picture.contains(':'), qPrintable(picture));
            QVERIFY2(!QImage(MILLCONV_SOURCE_DIR "docs/" + picture).isNull(), qPrintable(picture));
        }
    }

    void EveryInternalLinkResolves() {
        QVERIFY(manual_.internalLinks.size() > 20);
        const QSet<QString> ids(manual_.ids.begin(), manual_.ids.end());
        QCOMPARE(ids.size(), manual_.ids.size()); // no id used twice
        for (const QString& target : std::as_const(manual_.internalLinks)) {
            QVERIFY2(ids.contains(target), qPrintable("no id for #" + target));
        }
    }

    void NamesEveryMenuCommand() {
        const char* keys[] = {"New",           "Select Input File",     "Select Output Folder",
                              "Exit",          "Convert",               "Preview",
                              "Custom Converter",
                              "Preferences",   "Manual",                "Send Feedback",
                              "Visit Homepage", "Check For New Version", "About"};
        for (const char* key : keys) {
            const QString command = Text("Menu", key);
            QVERIFY2(manual_.text.contains(command), qPrintable("missing command " + command));
        }
    }

    void HasAHeadingForEveryPreferencesPage() {
        const char* pages[] = {"General",    "Interface", "Input",     "Output",  "Transform",
                               "Adjustment", "Frame",     "Watermark", "Advanced"};
        for (const char* page : pages) {
            QVERIFY2(manual_.headings.contains(Text("Preferences", page)), page);
        }
    }

    void CoversTheTopicsUsersLookFor() {
        for (const char* topic : {"config.ini", "millconv.1", "--profile", "%filename%",
                                  "theme.cfg", "xdg-open", "MILLCONV_UPDATE_URL", "-U"}) {
            QVERIFY2(manual_.text.contains(topic), topic);
        }
    }

    void BuildTreeCopyIsCurrent() {
        // F1 in a build-tree program opens this copy.
        for (const QString& file : QStringList{"millconv.html"} + manual_.pictures) {
            QCOMPARE(ReadFile(MILLCONV_BINARY_DIR "docs/" + file),
                     ReadFile(MILLCONV_SOURCE_DIR "docs/" + file));
        }
    }

    void InstallPutsItIntoTheDocFolder() {
        const QString cmake = QStandardPaths::findExecutable("cmake");
        if (cmake.isEmpty()) {
            QSKIP("cmake is not on PATH");
        }
        QTemporaryDir prefix;
        QProcess install;
        install.start(cmake, {"--install", MILLCONV_BINARY_DIR, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        for (const QString& file : QStringList{"millconv.html"} + manual_.pictures) {
            QCOMPARE(ReadFile(prefix.filePath("share/doc/millconv/" + file)),
                     ReadFile(MILLCONV_SOURCE_DIR "docs/" + file));
        }
    }
};

QTEST_GUILESS_MAIN(ManualTest)
#include "manual_test.moc"
