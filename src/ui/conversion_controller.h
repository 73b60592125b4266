// The window's Convert action: checks, the progress dialog and the run.
#pragma once

#include "ui/window_controls.h"

#include <QString>

namespace millconv::ui {

// Command 14: checks the inputs in order (status texts and warnings), prepares the output
// parameters, records the output folder and runs the modal progress dialog until it closes.
void StartWindowConversion(const WindowControls& controls);

// A modal warning over the window with the catalogue's "Warning" title.
void ShowWarning(QWidget* parent, const QString& text);

} // namespace millconv::ui
