// Where the main window stands: the placement stored on closing, and a stored one brought back
// onto the screen.
#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace millconv::ui {

namespace {

qint64 OverlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

int Clamp(int value, int low, int length, int areaLength) {
    // A window larger than the area keeps its top or left edge inside it.
    const int high = low + std::max(areaLength - length, 0);
    return std::clamp(value, low, high);
}

} // namespace

void StoreWindowPlacement(Qt::WindowStates state, const QRect& placement, Settings& settings) {
    if (state.testFlag(Qt::WindowMinimized)) {
        return;
    }
    if (state.testFlag(Qt::WindowMaximized) || state.testFlag(Qt::WindowFullScreen)) {
        // The normal placement stays as stored, so restoring next time has somewhere to go.
        settings.window.isMaximized = 1;
        return;
    }
    settings.window.isMaximized = 0;
    settings.window.x = placement.x();
    settings.window.y = placement.y();
    settings.window.width = placement.width();
    settings.window.height = placement.height();
}

QPoint OnScreenPosition(const QRect& placement, const QList<QRect>& areas) {
    if (areas.isEmpty()) {
        return placement.topLeft();
    }
    const QRect* best = &areas.front();
    qint64 bestOverlap = -1;
    for (const QRect& area : areas) {
        if (area.contains(placement)) {
            return placement.topLeft();
        }
        const qint64 overlap = OverlapArea(area, placement);
        if (overlap > bestOverlap) {
            best = &area;
            bestOverlap = overlap;
        }
    }
    return {Clamp(placement.x(), best->x(), placement.width(), best->width()),
            Clamp(placement.y(), best->y(), placement.height(), best->height())};
}

QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        areas.append(primary->availableGeometry());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            areas.append(screen->availableGeometry());
        }
    }
    return areas;
}

} // namespace millconv::ui
