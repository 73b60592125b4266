// The "-T FOLDER" screenshot mode: the main window with sample data, written as two JPEGs.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace millconv::ui {

// The seven sample input paths, each ending in a randomly chosen input extension.
QStringList ScreenshotSampleNames();

// Height of the thumbnail of a picture of that size scaled to 180 pixels wide, rounded.
int ThumbnailHeight(const QSize& size);
inline constexpr int kThumbnailWidth = 180;

// Shows the main window filled with sample data and writes millconv1.jpg and its thumbnail
// millconv1x.jpg into folder (the program's folder when empty). Needs a running QApplication.
// Returns the exit status; a failure is one line on stderr.
int TakeScreenshots(const QString& folder);

// The module entry for -T: display check, Qt, the theme, then TakeScreenshots.
int RunScreenshotMode(const char* folder);

} // namespace millconv::ui
