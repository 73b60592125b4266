// The window's Convert action: checks, the progress dialog and the run.
#pragma once

#include "ui/window_controls.h"

namespace millconv::ui {

// Command 14: checks the inputs in order (status texts and warnings), prepares the output
// parameters, records the output folder and runs the modal progress dialog until it closes.
void StartWindowConversion(const WindowControls& controls);

} // namespace millconv::ui
