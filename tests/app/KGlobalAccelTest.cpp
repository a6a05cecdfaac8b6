// SPDX-License-Identifier: MIT
// Shortcuts through KDE's shortcut service, in a KWin nested in the test
// display (tests/support/nested-compositor kwin): presses come from xdotool
// on the display KWin runs in, as from a keyboard.
#include "HotkeyManager.h"
#include "KGlobalAccelHotkeyRegistrar.h"

#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kT = 17, kR = 15, kAlt = 2048, kControl = 4096;

void press(const char* keys)
{
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("DISPLAY"), environment.value(QStringLiteral("SORVANTEL_OUTER_DISPLAY")));
    xdotool.setProcessEnvironment(environment);
    // The pointer inside KWin's window: its keyboard focus follows it.
    xdotool.start(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("200"), QStringLiteral("key"),
            QString::fromLatin1(keys) });
    ASSERT_TRUE(xdotool.waitForFinished(10000));
}

// Another program's shortcut, held through the service as KDE programs do.
void holdForAnotherProgram(int key)
{
    const QStringList action { QStringLiteral("other-program"), QStringLiteral("act"),
        QStringLiteral("Other"), QStringLiteral("Act") };
    const QString service = KGlobalAccelHotkeyRegistrar::service;
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"),
            QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("doRegister"))
        << action);
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"),
            QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("setShortcut"))
        << action << QVariant::fromValue(QList<int> { key }) << 6u);
}

} // namespace

TEST(KGlobalAccel, RegisteredShortcutsFireOverTheCompositorAndTakenOnesAreRefused)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!KGlobalAccelHotkeyRegistrar::isRunning(bus))
        GTEST_SKIP() << "no org.kde.kglobalaccel on the session bus (run inside nested-compositor kwin)";
    HotkeyManager hotkeys(std::make_unique<KGlobalAccelHotkeyRegistrar>(bus, nullptr));
    std::vector<HotkeyAction> fired;
    hotkeys.onTrigger = [&](HotkeyAction action) { fired.push_back(action); };
    const auto waitFor = [&](size_t count) {
        const QDeadlineTimer deadline(10000);
        while (fired.size() < count && !deadline.hasExpired())
            QTest::qWait(20);
    };

    ASSERT_EQ(hotkeys.registerHotkey(HotkeyAction::translate, kT, kAlt), 0);
    holdForAnotherProgram((Qt::CTRL | Qt::ALT | Qt::Key_R).toCombined());
    EXPECT_EQ(
        hotkeys.registerHotkey(HotkeyAction::refine, kR, kControl | kAlt), HotkeyRegistrar::statusTaken);
    ASSERT_EQ(hotkeys.registerHotkey(HotkeyAction::refine, kR, kAlt), 0);
    ASSERT_NE(hotkeys.desktopGuide(), nullptr);
    EXPECT_TRUE(hotkeys.desktopGuide()->lines.isEmpty()); // nothing for the user to bind

    press("alt+t");
    waitFor(1);
    press("alt+r");
    waitFor(2);
    EXPECT_EQ(fired, (std::vector { HotkeyAction::translate, HotkeyAction::refine }));

    // Changed in the settings: the old combination is given back, the new one fires.
    ASSERT_EQ(hotkeys.registerHotkey(HotkeyAction::translate, kT, kControl | kAlt), 0);
    press("alt+t");
    press("ctrl+alt+t");
    waitFor(3);
    EXPECT_EQ(
        fired, (std::vector { HotkeyAction::translate, HotkeyAction::refine, HotkeyAction::translate }));
    hotkeys.unregisterAll();
}
