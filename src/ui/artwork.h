// Built-in and theme artwork drawn by code, so every picture comes out sharp at any size.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace millconv::ui {

// The look of a drawing: the program's own built-in icons, or one of the shipped themes.
enum class ArtStyle { BuiltIn, HandDrawn, Flat };

// The keys of the menu and toolbar icon sets and of the button image set.
const std::vector<QString>& IconKeys();
const std::vector<QString>& ButtonImageKeys();

// A square RGBA icon of a key; a transparent picture for an unknown key.
QImage DrawIcon(const QString& key, int pixels, ArtStyle style);

// A square RGBA button image ("Convert" is a round go-button, the others their icon).
QImage DrawButtonImage(const QString& key, int pixels, ArtStyle style);

// The application image: a windmill of pixels against the sky.
QImage DrawApplicationImage(int pixels);

// The 360 x 40 opaque banner and the 270 x 75 about picture.
QImage DrawBannerImage(const QString& productName, const QString& version);
QImage DrawAboutImage(const QString& productName, const QString& version);

} // namespace millconv::ui
