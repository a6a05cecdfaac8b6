// SPDX-License-Identifier: MIT
// The popup's dismiss monitors against the run's X server: real clicks and
// wheel steps anywhere on the screen, real key presses into our window.
#include "DismissMonitors.h"
#include "PopupPanel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void xdotool(const QStringList& arguments)
{
    ASSERT_EQ(QProcess::execute("xdotool", arguments), 0) << arguments.join(' ').toStdString();
}

class DismissMonitorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* content = new QLabel("popup", &panel);
        content->setFixedSize(300, 200);
        panel.setContent(content);
        panel.fitToContent();
        panel.move(200, 200);
        panel.present(false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        monitors.install(handlers());
    }

    DismissMonitors::Handlers handlers()
    {
        return { [this] { ++dismissals; },
            [this] {
                ++tabs;
                return consumeTab;
            } };
    }

    // Waits long enough for an event that should not come to have come.
    int dismissalsAfter(const QStringList& action)
    {
        xdotool(action);
        (void)QTest::qWaitFor([&] { return dismissals > 0; }, 1000);
        QTest::qWait(50);
        return dismissals;
    }

    PopupPanel panel;
    DismissMonitors monitors { &panel, GlobalPointerWatch::createForSession() };
    int dismissals = 0;
    int tabs = 0;
    bool consumeTab = true;
};

TEST_F(DismissMonitorsTest, AClickOrWheelOutsideDismissesOneInsideDoesNot)
{
    EXPECT_EQ(monitors.installedCount(), 3);
    EXPECT_EQ(dismissalsAfter({ "mousemove", "300", "300", "click", "1" }), 0) << "inside";
    EXPECT_EQ(dismissalsAfter({ "mousemove", "300", "300", "click", "5" }), 0) << "scroll inside";
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "4" }), 1) << "scroll outside";
    dismissals = 0;
    EXPECT_EQ(dismissalsAfter({ "mousemove", "50", "50", "click", "3" }), 1) << "right click outside";
}

TEST_F(DismissMonitorsTest, AClickIntoAnotherWindowOfTheProgramDismissesAndStillArrives)
{
    QPushButton other("settings");
    other.setGeometry(800, 100, 200, 200);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    int clicked = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++clicked; });
    QTest::mouseClick(&other, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_GE(dismissals, 1);
    EXPECT_EQ(clicked, 1);
}

TEST_F(DismissMonitorsTest, EscapeDismissesAndTabGoesToTheOwner)
{
    QWidget* target = panel.content();
    QTest::keyClick(target, Qt::Key_Tab);
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(dismissals, 0);
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
}

TEST_F(DismissMonitorsTest, ReinstallingNeverStacksAndRemoveEndsEverything)
{
    monitors.install(handlers());
    monitors.install(handlers());
    EXPECT_EQ(monitors.installedCount(), 3);
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "1" }), 1) << "once, not thrice";

    monitors.remove();
    EXPECT_EQ(monitors.installedCount(), 0);
    dismissals = 0;
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "1" }), 0);
    QTest::keyClick(panel.content(), Qt::Key_Escape);
    EXPECT_EQ(dismissals, 0);
}

} // namespace
