// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

// Where the popup goes, as pure functions of rectangles in Qt's global
// coordinates (y grows downward). Screens are given as (geometry, available
// geometry) pairs in the order the system lists them.
namespace PopupGeometry {

inline constexpr int pointerOffsetX = 20; // the left edge starts this far left of the pointer
inline constexpr int pointerGap = 24; // between the pointer and the near edge of the popup
inline constexpr int screenMargin = 8; // kept from every edge of the available area

struct Screen {
    QRect geometry;
    QRect available;
};

// Top-left corner for a popup of `size` next to `pointer`: below and slightly
// left of it, kept inside the pointer's screen horizontally, flipped above
// the pointer when it would reach too low. A pointer on no screen gives the
// raw offset position.
QPoint positionNearPointer(QPoint pointer, QSize size, const std::vector<Screen>& screens);

// Whether the pointer position the X server gave is where the pointer is:
// when the server knows it to be current, or when it moved since the
// previous popup (through XWayland it only moves while over X11 windows).
bool pointerIsFresh(QPoint pointer, bool live, std::optional<QPoint> previous);

// Top-left corner for a new popup of `size`: next to a fresh pointer on a
// screen; otherwise at a fixed place that does not hunt for the pointer,
// centred horizontally with its top a quarter of the way down the available
// area of the screen that holds the centre of `focusedWindow`, else of the
// first screen (the primary one). Never outside that screen's area.
QPoint initialPosition(QPoint pointer, bool pointerFresh, const std::optional<QRect>& focusedWindow,
    QSize size, const std::vector<Screen>& screens);

// Top-left corner that keeps `frame` inside `available` with the margin; the
// top margin wins over the bottom one when the frame is too tall.
QPoint clampedToAvailable(const QRect& frame, const QRect& available);

// The frame after the content changed size: the top-left corner stays and
// the popup grows or shrinks downward, then it is pushed back inside.
QRect refitted(const QRect& frame, QSize newSize, const std::optional<QRect>& available);

} // namespace PopupGeometry
