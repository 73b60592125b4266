// Starting Qt: the display check that must come before the application object exists.
#pragma once

#include <memory>

class QApplication;

namespace millconv::ui {

// True when Qt can reach a display: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set.
bool DisplayAvailable();

// The one line printed on stderr when there is no display.
const char* NoDisplayMessage();

// Creates the QApplication once the display check passed; nullptr (after the stderr line)
// when there is no display. argc must outlive the application.
std::unique_ptr<QApplication> StartQt(int& argc, char** argv);

// True when the environment variable is set and not empty.
bool VariableSet(const char* name);

} // namespace millconv::ui
