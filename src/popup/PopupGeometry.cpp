// SPDX-License-Identifier: MIT
#include "PopupGeometry.h"

#include <algorithm>

namespace PopupGeometry {

namespace {
    // QRect::right() and bottom() are one short of the edge for historical reasons.
    int rightEdge(const QRect& r)
    {
        return r.x() + r.width();
    }
    int bottomEdge(const QRect& r)
    {
        return r.y() + r.height();
    }
}

QPoint positionNearPointer(QPoint pointer, QSize size, const std::vector<Screen>& screens)
{
    int x = pointer.x() - pointerOffsetX;
    int y = pointer.y() + pointerGap;
    const auto screen = std::find_if(
        screens.begin(), screens.end(), [&](const Screen& s) { return s.geometry.contains(pointer); });
    if (screen == screens.end())
        return { x, y };
    const QRect& v = screen->available;
    x = std::max(x, v.x() + screenMargin);
    x = std::min(x, rightEdge(v) - size.width() - screenMargin); // the right bound wins when too wide
    if (y + size.height() > bottomEdge(v) - screenMargin)
        y = pointer.y() - pointerGap - size.height(); // flipped above the pointer, no clamp at the top
    return { x, y };
}

bool pointerIsFresh(QPoint pointer, bool live, std::optional<QPoint> previous)
{
    return live || (previous && *previous != pointer);
}

QPoint initialPosition(QPoint pointer, bool pointerFresh, const std::optional<QRect>& focusedWindow,
    QSize size, const std::vector<Screen>& screens)
{
    const auto holding = [&](QPoint point) {
        return std::find_if(
            screens.begin(), screens.end(), [&](const Screen& s) { return s.geometry.contains(point); });
    };
    if (pointerFresh && holding(pointer) != screens.end())
        return positionNearPointer(pointer, size, screens);
    if (screens.empty())
        return pointer;
    auto screen = focusedWindow ? holding(focusedWindow->center()) : screens.end();
    if (screen == screens.end())
        screen = screens.begin();
    const QRect& v = screen->available;
    const QRect frame(QPoint(v.x() + (v.width() - size.width()) / 2, v.y() + v.height() / 4), size);
    return clampedToAvailable(frame, v);
}

QPoint clampedToAvailable(const QRect& frame, const QRect& available)
{
    int x = std::max(frame.x(), available.x() + screenMargin);
    x = std::min(x, rightEdge(available) - frame.width() - screenMargin);
    int y = std::min(frame.y(), bottomEdge(available) - frame.height() - screenMargin);
    y = std::max(y, available.y() + screenMargin); // the top bound wins when too tall
    return { x, y };
}

QRect refitted(const QRect& frame, QSize newSize, const std::optional<QRect>& available)
{
    QRect result(frame.topLeft(), newSize);
    if (available)
        result.moveTopLeft(clampedToAvailable(result, *available));
    return result;
}

} // namespace PopupGeometry
