// SPDX-License-Identifier: MIT
#include "PopupGeometry.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace PopupGeometry;

namespace {

// A 1920x1080 screen with a 30-pixel panel along its top, and a second
// screen to its right whose available area is the whole screen.
const Screen kLeft { { 0, 0, 1920, 1080 }, { 0, 30, 1920, 1050 } };
const Screen kRight { { 1920, 0, 1280, 1024 }, { 1920, 0, 1280, 1024 } };
const std::vector<Screen> kScreens { kLeft, kRight };

struct PlacementCase {
    const char* what;
    QPoint pointer;
    QSize size;
    QPoint expected;
};

} // namespace

TEST(PopupGeometry, PlacementNextToThePointer)
{
    const PlacementCase cases[] = {
        { "middle: 20 left of and 24 below the pointer", { 960, 540 }, { 340, 200 }, { 940, 564 } },
        { "near the right edge: 8 inside", { 1900, 300 }, { 340, 200 }, { 1920 - 340 - 8, 324 } },
        { "near the left edge: 8 inside", { 5, 300 }, { 340, 200 }, { 8, 324 } },
        { "near the bottom: above the pointer", { 500, 1000 }, { 340, 200 }, { 480, 1000 - 24 - 200 } },
        { "exactly fits above the bottom margin", { 500, 848 }, { 340, 200 }, { 480, 872 } },
        { "one pixel lower flips", { 500, 849 }, { 340, 200 }, { 480, 849 - 24 - 200 } },
        { "flipped with no clamp at the top", { 500, 100 }, { 340, 1000 }, { 480, 100 - 24 - 1000 } },
        { "wider than the screen: the right bound wins", { 960, 300 }, { 2000, 200 },
            { 1920 - 2000 - 8, 324 } },
        { "second screen uses its own area", { 1930, 100 }, { 440, 200 }, { 1928, 124 } },
        { "second screen, right edge", { 3190, 100 }, { 440, 200 }, { 3200 - 440 - 8, 124 } },
        { "on no screen: raw offset", { 5000, 5000 }, { 340, 200 }, { 4980, 5024 } },
    };
    for (const PlacementCase& c : cases)
        EXPECT_EQ(positionNearPointer(c.pointer, c.size, kScreens), c.expected) << c.what;
}

TEST(PopupGeometry, ClampKeepsTheFrameInsideWithTheTopWinning)
{
    const QRect v = kLeft.available; // y from 30 to 1080
    const std::pair<QRect, QPoint> cases[] = {
        { { 100, 200, 340, 300 }, { 100, 200 } }, // inside: unchanged
        { { 100, 800, 340, 400 }, { 100, 1080 - 400 - 8 } }, // grew past the bottom: pushed up
        { { 100, 800, 340, 1100 }, { 100, 38 } }, // taller than the area: top margin wins
        { { 100, 0, 340, 100 }, { 100, 38 } }, // above the top
        { { -50, 200, 340, 100 }, { 8, 200 } }, { { 1800, 200, 340, 100 }, { 1920 - 340 - 8, 200 } },
        { { 100, 200, 2000, 100 }, { 1920 - 2000 - 8, 200 } }, // too wide: right bound wins
    };
    for (const auto& [frame, expected] : cases)
        EXPECT_EQ(clampedToAvailable(frame, v), expected) << frame.x() << "," << frame.y();
}

TEST(PopupGeometry, RefitKeepsTheTopLeftCornerAndGrowsDownward)
{
    const QRect frame(600, 500, 340, 120);
    EXPECT_EQ(refitted(frame, { 340, 300 }, kLeft.available), QRect(600, 500, 340, 300));
    EXPECT_EQ(refitted(frame, { 340, 60 }, kLeft.available), QRect(600, 500, 340, 60));
    // Growing beyond the bottom pushes it up so its bottom stays 8 above.
    EXPECT_EQ(refitted(frame, { 340, 700 }, kLeft.available), QRect(600, 1080 - 700 - 8, 340, 700));
    // No screen: only the size changes.
    EXPECT_EQ(refitted(frame, { 340, 700 }, std::nullopt), QRect(600, 500, 340, 700));
}

TEST(PopupGeometry, NewPopupGoesToAFreshPointerElseToAFixedPlace)
{
    // Through XWayland the pointer is current only over an X11 window, or
    // when it moved since the previous popup.
    const std::tuple<const char*, bool, std::optional<QPoint>, bool> freshness[] = {
        { "an X11 session", true, std::nullopt, true },
        { "Wayland, first popup", false, std::nullopt, false },
        { "Wayland, not moved since the previous popup", false, QPoint(960, 540), false },
        { "Wayland, moved since", false, QPoint(10, 10), true },
    };
    for (const auto& [what, live, previous, fresh] : freshness)
        EXPECT_EQ(pointerIsFresh({ 960, 540 }, live, previous), fresh) << what;

    // The fixed place: centred, top a quarter down the available area.
    const QSize size(340, 200);
    const QPoint onLeft(960 - 170, 30 + 1050 / 4);
    const QPoint onRight(1920 + 640 - 170, 1024 / 4);
    const std::tuple<const char*, QPoint, bool, std::optional<QRect>, QSize, QPoint> cases[] = {
        { "fresh pointer", { 960, 540 }, true, std::nullopt, size, { 940, 564 } },
        { "fresh pointer on no screen", { 5000, 5000 }, true, std::nullopt, size, onLeft },
        { "stale pointer, focus unknown: primary screen", { 2500, 500 }, false, std::nullopt, size, onLeft },
        { "stale pointer, focused window on the right", { 100, 100 }, false, QRect(2000, 100, 800, 600), size,
            onRight },
        { "focused window off every screen", { 100, 100 }, false, QRect(-900, -900, 100, 100), size, onLeft },
        { "taller than the screen: kept inside", { 0, 0 }, false, std::nullopt, QSize(340, 1200),
            { 790, 38 } },
    };
    for (const auto& [what, pointer, fresh, focused, popupSize, expected] : cases)
        EXPECT_EQ(initialPosition(pointer, fresh, focused, popupSize, kScreens), expected) << what;
}
