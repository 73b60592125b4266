// The preferences dialog: nine pages over a copy of the settings record.
#pragma once

class QWidget;

namespace millconv::ui {

// Opens the modal preferences dialog on the job's start page (then resets it to 0). OK stores
// the edited copy into the settings record and records a theme refresh request; Cancel keeps
// the record. Returns true when OK was pressed.
bool RunPreferencesDialog(QWidget* mainWindow);

} // namespace millconv::ui
