// The window mode's start-up and orderly exit around Qt's event loop.
#pragma once

#include "settings/settings.h"
#include "ui/qt_start.h"
#include "ui/window_placement.h"

#include <QString>

namespace millconv::ui {

class MainWindow;

// Settings folder, config.ini and the message catalogue (window-mode steps 1 to 3). The
// default window position is centred on the primary screen.
void PrepareWindowSettings();

// Built-in pictures, theme list and the configured theme (window-mode steps 4 to 6; the
// screenshot mode takes them too).
void PrepareTheme();

// Out Folders History 0 empties the recent output folders.
void ForgetRecentFoldersWithoutHistory(Settings& settings);

// The end of the window mode once the window has closed: recent folders without history
// are dropped and the settings file is written.
void EndWindowMode();

// "Open with": the file named by a single parameter that is no option and an existing file,
// made absolute; empty for every other command line.
QString OpenWithFile(int argc, char** argv);

// Shows the window; a given file is then accepted as the input exactly as a drop would be.
void ShowWindow(MainWindow& window, const QString& inputFile);

// Runs the window mode from the settings folder to the saved settings; returns the exit status.
int RunWindowMode(int argc, char** argv);

// Set in the environment, the window closes itself as soon as it is shown (start-up timing).
inline constexpr const char* kExitAfterShowVariable = "MILLCONV_BENCH_EXIT_AFTER_SHOW";

} // namespace millconv::ui
