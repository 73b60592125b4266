// The window's Convert action (placeholder until built).
#include "ui/conversion_controller.h"

namespace millconv::ui {

void StartWindowConversion(const WindowControls&) {}

} // namespace millconv::ui
