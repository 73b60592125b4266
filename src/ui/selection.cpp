// Choosing the input file and the output folder in the window (placeholder until built).
#include "ui/selection.h"

namespace millconv::ui {

bool AcceptInputFile(const WindowControls&, const QString&) { return false; }
bool SelectInputFile(const WindowControls&) { return false; }
void SelectOutputFolder(const WindowControls&) {}
bool RememberOutputFolder(const QString& folder) { return !folder.isEmpty(); }
void RefillOutputFolderBox(const WindowControls&) {}
QString RecentFolder(int) { return {}; }

} // namespace millconv::ui
