#include "ui/window/window_place.h"

#include "settings/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace quillo {
namespace {

bool Coordinate(int value)
{
    return value >= -WindowExtentLimit && value <= WindowExtentLimit;
}

bool Extent(int value)
{
    return value > 0 && value <= WindowExtentLimit;
}

} // namespace

std::optional<QRect> PlaceOnScreens(const WindowPlace& place, const QList<QRect>& freeAreas, QSize least)
{
    // Checked before any QRect is made of them, whose edges must not overflow.
    if (!Coordinate(place.left) || !Coordinate(place.top) || !Extent(place.width) || !Extent(place.height))
        return std::nullopt;
    if (place.width < least.width() || place.height < least.height())
        return std::nullopt;
    const QRect window(place.left, place.top, place.width, place.height);
    const QRect topEdge(place.left, place.top, place.width, std::min(place.height, WindowGrip));
    const int gripWidth = std::min(place.width, WindowGrip);

    const QRect* holder = nullptr;
    qint64 held = -1;
    for (const QRect& area : freeAreas) {
        const QRect grip = area.intersected(topEdge);
        if (grip.width() < gripWidth || grip.height() < topEdge.height())
            continue;
        const QRect shared = area.intersected(window);
        const qint64 size = qint64{shared.width()} * shared.height();
        if (size > held) {
            held = size;
            holder = &area;
        }
    }
    if (!holder)
        return std::nullopt;

    QRect placed = window;
    if (placed.width() > holder->width()) {
        placed.moveLeft(holder->left());
        placed.setWidth(std::max(holder->width(), least.width()));
    }
    if (placed.height() > holder->height()) {
        placed.moveTop(holder->top());
        placed.setHeight(std::max(holder->height(), least.height()));
    }
    return placed;
}

void RestoreWindowPlace(QWidget& window, const WindowPlace& place)
{
    QList<QRect> freeAreas;
    for (const QScreen* screen : QGuiApplication::screens())
        freeAreas.push_back(screen->availableGeometry());
    const QSize least = window.minimumSize().expandedTo(window.minimumSizeHint());
    // A kept state belongs to its kept place: without that, the window opens
    // at its first size, centred, and not maximized.
    const std::optional<QRect> at = PlaceOnScreens(place, freeAreas, least);
    if (!at)
        return;
    window.setGeometry(*at);
    if (place.maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

WindowPlace CurrentWindowPlace(const QWidget& window)
{
    QRect normal = window.normalGeometry();
    if (!normal.isValid())
        normal = window.geometry();
    WindowPlace place;
    place.left = normal.x();
    place.top = normal.y();
    place.width = normal.width();
    place.height = normal.height();
    place.maximized = window.isMaximized();
    return place;
}

} // namespace quillo
