// The preferences dialog (placeholder until built).
#include "ui/preferences/preferences_dialog.h"

namespace millconv::ui {

bool RunPreferencesDialog(QWidget*) { return false; }

} // namespace millconv::ui
