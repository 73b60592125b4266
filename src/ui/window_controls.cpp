// The main window's controls that the selection and conversion code read and write.
#include "ui/window_controls.h"

#include <QStatusBar>
#include <QString>

namespace millconv::ui {

void ShowStatusText(const WindowControls& controls, const QString& text) {
    if (controls.statusBar != nullptr) {
        controls.statusBar->showMessage(text);
    }
}

} // namespace millconv::ui
