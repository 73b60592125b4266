// The window's picture slots: built-in artwork, replaced key by key by the current theme.
#include "ui/theme_images.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QToolBar>

#include <vector>

#include "base/product.h"
#include "platform/files.h"
#include "resources/theme_archive.h"
#include "settings/message_catalogue.h"
#include "settings/settings.h"
#include "ui/artwork.h"

namespace millconv::ui {

namespace {

using PictureSet = std::map<QString, QPixmap>;

struct Pictures {
    PictureSet buttonImages;
    PictureSet menuIcons;
    PictureSet toolbarIcons;
    QPixmap banner;
    QPixmap about;
    QPixmap application;
    std::map<std::string, std::string> themes;
    std::string gfxFolderOverride;
};

Pictures& State() {
    static Pictures pictures;
    return pictures;
}

std::string ThemeFolder() {
    const std::string& forced = State().gfxFolderOverride;
    return forced.empty() ? GfxFolder() : forced;
}

QPixmap Lookup(const PictureSet& set, const QString& key) {
    auto found = set.find(key);
    return found != set.end() ? found->second : QPixmap();
}

// A theme PNG decoded only when its header declares at most kMaxThemePictureSide a side: a few
// hundred bytes can declare a picture of gigabytes.
QImage DecodeThemePicture(const std::string& bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "PNG");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxThemePictureSide ||
        size.height() > kMaxThemePictureSide) {
        return {};
    }
    return reader.read();
}

// Replaces the pictures of one set from the archive; keys without a decodable entry keep theirs.
void ReplaceSet(const ThemeArchive& archive, const std::string& config, const char* section,
                const std::vector<QString>& keys, int pixels, PictureSet& set) {
    std::vector<std::pair<QString, std::string>> wanted;
    std::vector<std::string> entryNames;
    for (const QString& key : keys) {
        std::string value = ThemeConfigValue(config, section, key.toStdString());
        std::string entry = ThemeEntryName(value, pixels);
        if (archive.Contains(entry)) {
            wanted.emplace_back(key, entry);
            entryNames.push_back(entry);
        }
    }
    std::map<std::string, std::string> data = archive.ExtractMany(entryNames);
    for (const auto& [key, entry] : wanted) {
        auto bytes = data.find(entry);
        if (bytes == data.end()) {
            continue;
        }
        const QImage image = DecodeThemePicture(bytes->second);
        if (!image.isNull()) {
            set[key] = QPixmap::fromImage(image);
        }
    }
}

} // namespace

void SetThemeFolder(const std::string& gfxFolder) {
    std::string folder = gfxFolder;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    State().gfxFolderOverride = folder;
}

std::string ThemeFolderPath() { return ThemeFolder(); }

void LoadBuiltInImages() {
    Pictures& pictures = State();
    for (const QString& key : ButtonImageKeys()) {
        int pixels = key == "Convert" ? 64 : 48;
        pictures.buttonImages[key] =
            QPixmap::fromImage(DrawButtonImage(key, pixels, ArtStyle::BuiltIn));
    }
    // Toolbar icons are drawn at the toolbar's size rather than scaled up from 16 px.
    int toolbarPixels = IconPixelSize(gSettings.interface.uiSize);
    for (const QString& key : IconKeys()) {
        QImage menu = DrawIcon(key, 16, ArtStyle::BuiltIn);
        pictures.menuIcons[key] = QPixmap::fromImage(menu);
        pictures.toolbarIcons[key] =
            toolbarPixels == 16
                ? pictures.menuIcons[key]
                : QPixmap::fromImage(DrawIcon(key, toolbarPixels, ArtStyle::BuiltIn));
    }
    QString product =
        QString::fromUtf8(kProductName.data(), static_cast<qsizetype>(kProductName.size()));
    QString version = QString::fromStdString(CatalogueText("About", "Version") + " " +
                                             VersionText(kVersionNumber));
    pictures.banner = QPixmap::fromImage(DrawBannerImage(product, version));
    pictures.about = QPixmap::fromImage(DrawAboutImage(product, version));
    pictures.application = QPixmap::fromImage(DrawApplicationImage(64));
}

void ScanThemes() { State().themes = millconv::ScanThemes(ThemeFolder()); }

const std::map<std::string, std::string>& ThemeList() { return State().themes; }

void LoadTheme(bool buttonImages, bool menuIcons, bool toolbarIcons) {
    Pictures& pictures = State();
    std::string folder = ThemeFolder();
    std::string& theme = gSettings.interface.uiTheme;
    // A name with a folder part ("../../x") could load an archive from anywhere: it counts as
    // missing.
    std::string path = IsPlainThemeName(theme) ? folder + theme + ".zip" : std::string();
    if (FileSize(path) == -1 && !pictures.themes.empty()) {
        theme = pictures.themes.rbegin()->first;
        path = folder + theme + ".zip";
    }
    ThemeArchive archive;
    if (FileSize(path) <= 0 || !archive.Open(path)) {
        return;
    }
    std::string config = archive.Extract("theme.cfg").value_or(std::string());
    if (buttonImages) {
        ReplaceSet(archive, config, "Buttons", ButtonImageKeys(), 16, pictures.buttonImages);
    }
    if (menuIcons) {
        ReplaceSet(archive, config, "Icons", IconKeys(), 16, pictures.menuIcons);
    }
    if (toolbarIcons) {
        ReplaceSet(archive, config, "Icons", IconKeys(), IconPixelSize(gSettings.interface.uiSize),
                   pictures.toolbarIcons);
    }
}

QPixmap ButtonImage(const QString& key) { return Lookup(State().buttonImages, key); }
QPixmap MenuIcon(const QString& key) { return Lookup(State().menuIcons, key); }
QPixmap ToolbarIcon(const QString& key) { return Lookup(State().toolbarIcons, key); }

QPixmap BannerImage() { return State().banner; }
QPixmap AboutImage() { return State().about; }
QPixmap ApplicationImage() { return State().application; }

void SetToolbarIconSize(QToolBar* toolbar, int pixels) {
    toolbar->setIconSize(QSize(pixels, pixels));
    toolbar->adjustSize();
    toolbar->updateGeometry();
}

} // namespace millconv::ui
