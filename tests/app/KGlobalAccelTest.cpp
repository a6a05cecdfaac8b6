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
#include <tuple>

namespace {

constexpr uint32_t kT = 17, kR = 15, kSuper = 256, kShift = 512, kAlt = 2048, kControl = 4096;

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

// A call to the service, as KDE programs and System Settings make it.
void callService(const char* method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(KGlobalAccelHotkeyRegistrar::service,
        QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"), QString::fromLatin1(method));
    call.setArguments(arguments);
    QDBusConnection::sessionBus().call(call);
}

// Another program's shortcut, held through the service as KDE programs do.
void holdForAnotherProgram(int key)
{
    const QStringList action { QStringLiteral("other-program"), QStringLiteral("act"),
        QStringLiteral("Other"), QStringLiteral("Act") };
    callService("doRegister", { action });
    callService("setShortcut", { action, QVariant::fromValue(QList<int> { key }), 6u });
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

    // Changed in System Settings: reported in the settings' key codes.
    std::optional<std::tuple<HotkeyAction, uint32_t, uint32_t>> changed;
    hotkeys.onChangedByDesktop = [&](HotkeyAction action, uint32_t keyCode, uint32_t modifiers) {
        changed = { action, keyCode, modifiers };
    };
    callService("setForeignShortcut",
        { QStringList { "sorvantel", "refine", "Sorvantel", "Rewrite the selection" },
            QVariant::fromValue(QList<int> { (Qt::META | Qt::SHIFT | Qt::Key_R).toCombined() }) });
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.has_value(); }, 5000));
    EXPECT_EQ(*changed, std::tuple(HotkeyAction::refine, kR, kSuper | kShift));
    hotkeys.unregisterAll();
}
