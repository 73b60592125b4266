// Window test support: a private home folder and the window-mode settings every test starts from.
#include "ui/support/private_home.h"

#include <QTemporaryDir>

#include <cstdlib>

#include "engine/job_record.h"
#include "settings/format_catalogue.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"

namespace millconv::test {

QString UsePrivateHome() {
    // QTemporaryDir makes the folder 0700, which Qt demands of a runtime folder.
    static QTemporaryDir home;
    const QString path = home.path() + '/';
    const QByteArray local = path.toLocal8Bit();
    setenv("HOME", local.constData(), 1);
    setenv("XDG_CONFIG_HOME", (local + ".config").constData(), 1);
    setenv("XDG_RUNTIME_DIR", local.constData(), 1);
    return path;
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
