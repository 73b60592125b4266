// The window's picture slots (placeholder until the artwork is built).
#include "ui/theme_images.h"

#include <QToolBar>

namespace millconv::ui {

void LoadBuiltInImages() {}
void ScanThemes() {}
const std::map<std::string, std::string>& ThemeList() {
    static const std::map<std::string, std::string> empty;
    return empty;
}
void LoadTheme(bool, bool, bool) {}
QPixmap ButtonImage(const QString&) { return {}; }
QPixmap MenuIcon(const QString&) { return {}; }
QPixmap ToolbarIcon(const QString&) { return {}; }
QPixmap BannerImage() { return {}; }
QPixmap AboutImage() { return {}; }
QPixmap ApplicationImage() { return {}; }
void SetToolbarIconSize(QToolBar* toolbar, int pixels) {
    toolbar->setIconSize(QSize(pixels, pixels));
}

} // namespace millconv::ui
