// Where the main window stands: the placement stored on closing, and a stored one brought back
// onto the screen.
#pragma once

#include <QList>
#include <QRect>
#include <Qt>

#include "settings/settings.h"

namespace millconv::ui {

// Copies the window placement into the settings: maximised sets only IsMaximized; minimised
// changes nothing; otherwise IsMaximized 0 and the position and size of the normal window.
void StoreWindowPlacement(Qt::WindowStates state, const QRect& placement, Settings& settings);

// The position a window of placement's size takes so that it lies on the available areas
// (screens without panels): unchanged when one area holds it whole; otherwise moved into the
// area it overlaps most (the first when it overlaps none), keeping its top-left corner visible
// when it is larger than that area.
QPoint OnScreenPosition(const QRect& placement, const QList<QRect>& areas);

// The available areas of every screen, the primary one first.
QList<QRect> AvailableScreenAreas();

} // namespace millconv::ui
