// SPDX-License-Identifier: MIT
#pragma once

#include "Hotkey.h"
#include "HotkeyTarget.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>

class AppSettings;
class Beeper;
class HotkeyManager;
class HotkeyRecorderRow;
class QKeyEvent;
class QWidget;

// The settings window's shortcut recorder: captures a new combination for
// either shortcut from the next key press in the program's windows.
//
// Recording suspends both global shortcuts, so that pressing the current one
// does not open a popup, and swallows every key press of the program (an
// application event filter, installed only while recording). It ends by a
// qualifying press (stored), Escape or a second click on the same button
// (kept as it was); each end calls onHotkeyChange, whose owner registers both
// shortcuts again. A press without Ctrl, Alt or Super, of a key the shortcuts
// cannot use, or of the other shortcut's combination beeps and keeps
// recording.
class HotkeyRecorder : public QObject {
    Q_OBJECT
public:
    struct Services {
        AppSettings& settings;
        HotkeyManager& hotkeys;
        Beeper& beeper;
    };

    static inline const QString recordingPrompt = QStringLiteral(u"Press keys\u2026 (esc to cancel)");

    HotkeyRecorder(Services services, std::function<void()> onHotkeyChange, QObject* parent = nullptr);
    ~HotkeyRecorder() override;
    Q_DISABLE_COPY_MOVE(HotkeyRecorder)

    // The row of `target`, "Shortcut" and its button; one per target.
    HotkeyRecorderRow* createRow(HotkeyTarget target, QWidget* parent);

    std::optional<HotkeyTarget> recordingTarget() const { return m_recording; }
    // Ends a recording the way Escape does.
    void cancel();
    // Shows, under each recorder, why the system refused its combination at
    // the latest registration; clears the line once one succeeds.
    void refreshCaptions();

    // Shows the stored combinations again, after something other than the
    // recorder changed them; a running recording is cancelled.
    void reload();

    // The label stored for keys whose character is not their name (arrows,
    // Return, F1...), by virtual key code; empty for other keys.
    static QString specialKeyLabel(uint32_t keyCode);
    // The combination with the label it is stored with.
    static Hotkey hotkeyFor(uint32_t keyCode, uint32_t modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clicked(HotkeyTarget target);
    void start(HotkeyTarget target);
    void stop();
    void handle(const QKeyEvent& event);
    void finish();
    void updateButtons();
    Hotkey& hotkey(HotkeyTarget target) { return m_hotkeys[size_t(target)]; }

    Services m_services;
    std::function<void()> m_onHotkeyChange;
    std::array<Hotkey, 2> m_hotkeys;
    std::array<QPointer<HotkeyRecorderRow>, 2> m_rows;
    std::optional<HotkeyTarget> m_recording;
    bool m_monitorInstalled = false;
};
