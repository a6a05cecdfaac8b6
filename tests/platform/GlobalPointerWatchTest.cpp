// SPDX-License-Identifier: MIT
// The pointer watch against the run's X server, clicked with xdotool.
#include "GlobalPointerWatch.h"
#include "X11Connection.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

void xdotool(const QStringList& arguments)
{
    ASSERT_EQ(QProcess::execute("xdotool", arguments), 0) << arguments.join(' ').toStdString();
}

TEST(GlobalPointerWatch, ReportsLeftRightAndWheelWithThePointerPosition)
{
    const auto x11 = X11Connection::open();
    auto watch = GlobalPointerWatch::createForSession(x11.get());
    std::vector<QPoint> seen;
    ASSERT_TRUE(watch->start([&](QPoint at) { seen.push_back(at); }));

    xdotool({ "mousemove", "--sync", "120", "140", "click", "1" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 1; }, 2000));
    // The middle button (a paste) and the side buttons are not reported.
    xdotool({ "mousemove", "--sync", "300", "40", "click", "2", "click", "8", "click", "3", "click", "4",
        "click", "7" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 4; }, 2000));
    QTest::qWait(100);

    ASSERT_EQ(seen.size(), 4u) << "each click once, not once per device";
    EXPECT_EQ(seen[0], QPoint(120, 140));
    EXPECT_EQ(seen[1], QPoint(300, 40));
    EXPECT_EQ(seen[3], QPoint(300, 40));
}

TEST(GlobalPointerWatch, StopsReportingAndCanBeStoppedFromItsOwnHandler)
{
    const auto x11 = X11Connection::open();
    auto watch = GlobalPointerWatch::createForSession(x11.get());
    int calls = 0;
    ASSERT_TRUE(watch->start([&](QPoint) {
        ++calls;
        watch->stop();
    }));
    xdotool({ "click", "1" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));
    xdotool({ "click", "1" });
    QTest::qWait(200);
    EXPECT_EQ(calls, 1);

    // Started again, it reports again: stop/start never accumulate.
    ASSERT_TRUE(watch->start([&](QPoint) { ++calls; }));
    ASSERT_TRUE(watch->start([&](QPoint) { ++calls; }));
    xdotool({ "click", "1" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 2000));
    QTest::qWait(100);
    EXPECT_EQ(calls, 2);
}

} // namespace
