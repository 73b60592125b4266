// Window test support: a private home folder and the window-mode settings every test starts from.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <string>

namespace millconv::test {

// Points HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR at one temporary folder for
// the rest of the process (removed at exit) and returns it, ending with '/'; later calls return
// the same folder. Call it from the test class's static initMain(), which QTEST_MAIN runs
// before the application object exists, so Qt never sees the real home.
QString UsePrivateHome();

// The environment for a child millconv kept on the private home `home` (ending with '/'),
// offscreen and away from any display.
std::map<std::string, std::string> ChildEnvironment(const QString& home);

// Every name below folder, depth first, so a test can tell that nothing was written there.
QStringList EntriesBelow(const QString& folder);

// Window-mode defaults in the settings record, the catalogues built and a fresh job record.
void ResetWindowSettings();

} // namespace millconv::test
