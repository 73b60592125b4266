// Entry points of the Help and Converter menu commands, the start-up update check and "-U".
#pragma once

class QWidget;

namespace millconv::ui {

// Command 16: the modal Find a File Converter window, centred on mainWindow.
void ShowFileConverterWindow(QWidget* mainWindow);

// Command 18 (F1): opens the user manual, from the build tree when the program runs there,
// else the installed copy.
void OpenUserManual();

// Command 21: a mail to the support address with the window title and " Feedback" as subject.
void SendFeedback();

// Command 22: the product page on the maker's web site.
void VisitHomepage();

// Command 23: one update check on a thread of its own, with a busy dialog whose Cancel ends
// it without a word; tells the user the result. Leaves [General] Update Date alone.
void CheckForUpdate(QWidget* parent);

// Called once while the main window is prepared (never in screenshot mode): when the interval
// of [General] Update Range has passed since [General] Update Date, asks and checks, and sets
// Update Date to today whatever the answer.
void AutoUpdateCheck(QWidget* parent);

// Command 24: the modal About window, centred on mainWindow.
void ShowAboutBox(QWidget* mainWindow);

// The "-U" page: runs until Next or the close box and returns the exit status (0; 1 with one
// line on stderr when there is no display). Creates the QApplication when none exists yet.
// Never reads or writes the settings file.
int RunUninstallPage();

} // namespace millconv::ui
