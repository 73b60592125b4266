// The window module's entry points: the only C symbols millconv-ui.so exports.
#include "ui/dialogs/help_commands.h"
#include "ui/screenshot_mode.h"
#include "ui/window_mode.h"

#define MILLCONV_UI_EXPORT extern "C" __attribute__((visibility("default")))

// Runs the window mode and returns the process exit status.
MILLCONV_UI_EXPORT int millconv_run_window(int argc, char** argv) {
    return millconv::ui::RunWindowMode(argc, argv);
}

// Writes the product-page screenshots into folder and returns the exit status.
MILLCONV_UI_EXPORT int millconv_run_screenshots(const char* folder) {
    return millconv::ui::RunScreenshotMode(folder);
}

// The "-U" page shown after an uninstall; returns the exit status.
MILLCONV_UI_EXPORT int millconv_run_uninstall() { return millconv::ui::RunUninstallPage(); }
