// Window test support: a private home folder and the window-mode settings every test starts from.
#include "ui/support/private_home.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

#include "job/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "support/process.h"

namespace millconv::test {

QString UsePrivateHome() {
    // QTemporaryDir makes the folder 0700, which Qt demands of a runtime folder.
    static QTemporaryDir home;
    const QString path = home.path() + '/';
    for (const auto& [name, value] : IsolatedEnvironment(path.toStdString())) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    setenv("XDG_CACHE_HOME", (path + ".cache").toLocal8Bit().constData(), 1);
    return path;
}

std::map<std::string, std::string> ChildEnvironment(const QString& home) {
    auto environment = IsolatedEnvironment(home.toStdString());
    environment["QT_QPA_PLATFORM"] = "offscreen";
    environment["DISPLAY"] = "";
    environment["WAYLAND_DISPLAY"] = "";
    return environment;
}

QStringList EntriesBelow(const QString& folder) {
    QStringList found;
    const auto entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        found << entry.fileName();
        if (entry.isDir()) {
            found << EntriesBelow(entry.filePath());
        }
    }
    return found;
}

void ResetWindowSettings() {
    BuildInputCatalogue();
    BuildOutputCatalogue();
    BuildMessageCatalogue();
    SetDefaultSettings(false);
    gSettings.settingsFilePath.clear();
    ResetJobState();
}

} // namespace millconv::test
