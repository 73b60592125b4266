// Choosing the input file and the output folder in the window, and the recent folder list.
#pragma once

#include "ui/window_controls.h"

#include <QString>

#include <string_view>

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

// Two recent-list entries name the same folder: equal in any letter case, with or without a
// closing '/'.
bool SameFolder(const QString& first, const QString& second);

// A catalogue filter "Label|*.png;*.x|…" in Qt's form "Label (*.png *.x);;…". A label that
// already ends with its patterns in parentheses ("All Files (*.*)") is not given them twice.
QString QtFileFilter(std::string_view catalogueFilter);

} // namespace millconv::ui
