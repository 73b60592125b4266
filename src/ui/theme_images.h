// The window's picture slots: built-in artwork, replaced key by key by the current theme.
#pragma once

#include <QPixmap>
#include <QString>

#include <map>
#include <string>

class QToolBar;

namespace millconv::ui {

// Puts the built-in pictures into every slot (button images, menu icons, toolbar icons) and
// the two fixed pictures into theirs.
void LoadBuiltInImages();

// Reads themes from this folder instead of the program's gfx folder (tests, the screenshot
// mode's sample set); an empty text restores the default.
void SetThemeFolder(const std::string& gfxFolder);

// The folder the themes are read from, ending with '/'.
std::string ThemeFolderPath();

// Lists the theme archives of the gfx folder (package name -> display name).
void ScanThemes();

// The installed themes found by ScanThemes: package name -> display name.
const std::map<std::string, std::string>& ThemeList();

// Replaces the selected sets from the archive named by the UI Theme setting. When that archive
// is missing and themes are installed, UI Theme becomes the last listed one. Keys the archive
// lacks, or whose entry is not a decodable PNG, keep their picture.
void LoadTheme(bool buttonImages, bool menuIcons, bool toolbarIcons);

// The pictures in the slots, by key ("Convert", "Add", …); a null pixmap for an unknown key.
QPixmap ButtonImage(const QString& key);
QPixmap MenuIcon(const QString& key);
QPixmap ToolbarIcon(const QString& key);

// The two fixed pictures: the 360 x 40 banner and the 270 x 75 about picture; and the
// application image (window icon).
QPixmap BannerImage();
QPixmap AboutImage();
QPixmap ApplicationImage();

// Square toolbar icons of that many pixels; the toolbar sizes itself to fit.
void SetToolbarIconSize(QToolBar* toolbar, int pixels);

} // namespace millconv::ui
