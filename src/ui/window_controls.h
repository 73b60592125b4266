// The main window's controls that the selection and conversion code read and write.
#pragma once

class QComboBox;
class QLineEdit;
class QStatusBar;
class QString;
class QWidget;

namespace millconv::ui {

// Borrowed pointers into the main window (or into a test's stand-in form).
struct WindowControls {
    QWidget* window = nullptr;            // parent of boxes and dialogs; disabled during a run
    QLineEdit* inputField = nullptr;      // the one input path
    QComboBox* outputFolderBox = nullptr; // recent output folders, pick-only
    QComboBox* outputFormatBox = nullptr; // output formats; item data = output list index
    QStatusBar* statusBar = nullptr;      // the one status field
};

// The text of the window's one status field.
void ShowStatusText(const WindowControls& controls, const QString& text);

} // namespace millconv::ui
