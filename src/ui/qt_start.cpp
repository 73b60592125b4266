// Starting Qt: the display check that must come before the application object exists.
#include "ui/qt_start.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace millconv::ui {

bool VariableSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool DisplayAvailable() {
    return VariableSet("DISPLAY") || VariableSet("WAYLAND_DISPLAY") ||
           VariableSet("QT_QPA_PLATFORM");
}

const char* NoDisplayMessage() {
    return "millconv: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
           "set); use -i FILE to convert on the console";
}

std::unique_ptr<QApplication> StartQt(int& argc, char** argv) {
    // Qt aborts the process when it finds no display, so ask first.
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage());
        return nullptr;
    }
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace millconv::ui
