// Choosing the input file and the output folder in the window, and the recent folder list.
#pragma once

#include "ui/window_controls.h"

#include <QString>

namespace millconv::ui {

// The engine's AddInputFile followed by the window side: the path goes into the input field,
// and with no output folder selected its folder becomes the output folder. True when accepted.
bool AcceptInputFile(const WindowControls& controls, const QString& path);

// Command 5: the input file dialog; true when a file was accepted.
bool SelectInputFile(const WindowControls& controls);

// Command 7: the output folder dialog.
void SelectOutputFolder(const WindowControls& controls);

// Puts a folder first in the recent output folders; false for an empty path.
bool RememberOutputFolder(const QString& folder);

// Refills the output folder box from the recent output folders.
void RefillOutputFolderBox(const WindowControls& controls);

// The recent output folder with that zero-based index, trimmed; empty past the end.
QString RecentFolder(int index);

} // namespace millconv::ui
