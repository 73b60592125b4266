// The window module's entry points: the only C symbols millconv-ui.so exports.
#include <cstdio>

#define MILLCONV_UI_EXPORT extern "C" __attribute__((visibility("default")))

// Runs the window mode and returns the process exit status.
MILLCONV_UI_EXPORT int millconv_run_window(int /*argc*/, char** /*argv*/) {
    std::fputs("millconv: the window mode is not built yet\n", stderr);
    return 1;
}

// Writes the product-page screenshots into folder and returns the exit status.
MILLCONV_UI_EXPORT int millconv_run_screenshots(const char* /*folder*/) {
    std::fputs("millconv: the screenshot mode is not built yet\n", stderr);
    return 1;
}
