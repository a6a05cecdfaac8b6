// SPDX-License-Identifier: MIT
#pragma once

#include "DesktopShortcutGuide.h"
#include "HotkeyRegistrar.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <map>

class X11Connection;

// Global shortcuts through KDE's shortcut service (kglobalaccel, inside KWin
// on Plasma 5.27), spoken to over the session bus. Unlike a key grab through
// XWayland it hears a press whatever window has the focus, Wayland ones
// included. The component "sorvantel" holds one action per shortcut; the
// stored combination always replaces what the service remembered from an
// earlier run, and a combination another program holds is reported taken.
// A combination the user picks for an action in System Settings is reported
// to the change handler, so that the program's settings follow it.
class KGlobalAccelHotkeyRegistrar final : public QObject, public HotkeyRegistrar {
    Q_OBJECT
public:
    static inline const QString service = QStringLiteral("org.kde.kglobalaccel");
    static inline const QString component = QStringLiteral("sorvantel");

    // `x11` (may be null) translates the key events of our own windows for
    // the shortcut recorder.
    KGlobalAccelHotkeyRegistrar(QDBusConnection bus, X11Connection* x11);
    ~KGlobalAccelHotkeyRegistrar() override;

    // Whether the service answers on `bus`.
    static bool isRunning(const QDBusConnection& bus);

    void installHandler(PressHandler handler) override;
    void installChangeHandler(ChangeHandler handler) override;
    Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) override;
    void unregisterHotkey(Reference reference) override;
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const override;
    const DesktopShortcutGuide* desktopGuide() const override { return &m_guide; }

    // The action's name within the component: "translate" for 1, "refine" for 2.
    static QString actionName(uint32_t id);

private slots:
    void onPressed(const QString& componentName, const QString& action, qlonglong timestamp);
    void onShortcutChanged(const QDBusMessage& message);

private:
    QStringList actionId(uint32_t id) const;
    // The keys the service holds for the action afterwards, or none when it
    // did not answer.
    std::optional<QList<int>> setKeys(uint32_t id, const QList<int>& keys);
    void listenForPresses();

    QDBusConnection m_bus;
    X11Connection* m_x11;
    PressHandler m_handler;
    ChangeHandler m_changeHandler;
    std::map<Reference, uint32_t> m_registrations; // reference to action id
    Reference m_nextReference = 1;
    bool m_listening = false;
    DesktopShortcutGuide m_guide = DesktopShortcutGuide::forShortcutService();
};
