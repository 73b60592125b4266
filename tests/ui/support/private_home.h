// Window test support: a private home folder and the window-mode settings every test starts from.
#pragma once

#include <QString>

namespace millconv::test {

// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at a fresh temporary folder for the rest of
// the process (removed at exit) and returns it, ending with '/'. Call before touching settings.
QString UsePrivateHome();

// Window-mode defaults in the settings record, the catalogues built and a fresh job record.
void ResetWindowSettings();

} // namespace millconv::test
