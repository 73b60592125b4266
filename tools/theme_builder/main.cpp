// Build-time tool: draws the shipped themes as gfx/<package>.zip archives, or the desktop icons.
#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "resources/zip_writer.h"
#include "ui/artwork.h"

namespace {

using millconv::ui::ArtStyle;
using Entries = std::vector<std::pair<std::string, std::string>>;

constexpr int kIconSizes[] = {16, 24, 32, 48, 64};

struct ThemeSource {
    const char* package;
    const char* displayName;
    ArtStyle style;
};

const ThemeSource kThemes[] = {
    {"handdrawn", "Hand Drawn", ArtStyle::HandDrawn},
    {"flat", "Flat Colours", ArtStyle::Flat},
};

std::string PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string BaseName(const QString& key) { return key.toLower().toStdString(); }

std::string ButtonEntry(const QString& key) { return "button_" + BaseName(key) + ".png"; }

// theme.cfg with CR LF lines; [Theme] first, since only its first 255 bytes are read for the
// name. Icons are given by base name so the size rule picks the picture for each use.
std::string ThemeConfig(const ThemeSource& theme) {
    std::string text =
        "[Theme]\r\nName=" + std::string(theme.displayName) + "\r\n\r\n[Buttons]\r\n";
    for (const QString& key : millconv::ui::ButtonImageKeys()) {
        text += key.toStdString() + "=" + ButtonEntry(key) + "\r\n";
    }
    text += "\r\n[Icons]\r\n";
    for (const QString& key : millconv::ui::IconKeys()) {
        text += key.toStdString() + "=" + BaseName(key) + "\r\n";
    }
    return text;
}

Entries ThemeEntries(const ThemeSource& theme) {
    Entries entries{{"theme.cfg", ThemeConfig(theme)}};
    for (const QString& key : millconv::ui::ButtonImageKeys()) {
        int pixels = key == "Convert" ? 64 : 48;
        entries.emplace_back(ButtonEntry(key),
                             PngBytes(millconv::ui::DrawButtonImage(key, pixels, theme.style)));
    }
    for (const QString& key : millconv::ui::IconKeys()) {
        for (int pixels : kIconSizes) {
            entries.emplace_back(BaseName(key) + "_" + std::to_string(pixels) + ".png",
                                 PngBytes(millconv::ui::DrawIcon(key, pixels, theme.style)));
        }
    }
    return entries;
}

// The desktop icon sizes of the hicolor theme; the menu, the dock and "Open with" pick from them.
constexpr int kDesktopIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// <folder>/hicolor/<n>x<n>/apps/millconv.png: the window's application image at every size.
int WriteDesktopIcons(const QString& folder) {
    for (int pixels : kDesktopIconSizes) {
        const QString size = QString::number(pixels);
        const QString apps = folder + "/hicolor/" + size + "x" + size + "/apps";
        QDir().mkpath(apps);
        if (!millconv::ui::DrawApplicationImage(pixels).save(apps + "/millconv.png", "PNG")) {
            std::fprintf(stderr, "cannot write %s/millconv.png\n", qPrintable(apps));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        return WriteDesktopIcons(QString::fromLocal8Bit(argv[2]));
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: millconv-theme-builder OUTPUT_FOLDER\n"
                             "       millconv-theme-builder --icons ICON_FOLDER\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    for (const ThemeSource& theme : kThemes) {
        std::string path = folder + theme.package + ".zip";
        if (!millconv::WriteZipArchive(path, ThemeEntries(theme))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
