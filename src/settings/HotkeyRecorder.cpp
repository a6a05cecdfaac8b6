// SPDX-License-Identifier: MIT
#include "HotkeyRecorder.h"

#include "AppSettings.h"
#include "Beeper.h"
#include "HotkeyManager.h"
#include "HotkeyRecorderRow.h"
#include "VirtualKeyMap.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

constexpr uint32_t kEscape = 53;

// Keys that only modify: pressing them on the way to a combination is not a
// press to judge.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

uint32_t carbonMask(Qt::KeyboardModifiers modifiers)
{
    uint32_t mask = 0;
    if (modifiers & Qt::ControlModifier)
        mask |= Hotkey::controlMask;
    if (modifiers & Qt::AltModifier)
        mask |= Hotkey::optionMask;
    if (modifiers & Qt::ShiftModifier)
        mask |= Hotkey::shiftMask;
    if (modifiers & Qt::MetaModifier) // Super on X11
        mask |= Hotkey::commandMask;
    return mask;
}

QString refusal(int32_t status, const Hotkey& hotkey)
{
    switch (status) {
    case 0:
        return {};
    case HotkeyRegistrar::statusTaken:
        return QStringLiteral("%1 is used by another program; choose another.").arg(hotkey.displayLabel());
    case HotkeyRegistrar::statusInvalidCombination:
        return QStringLiteral("%1 has no key on this keyboard layout; choose another.")
            .arg(hotkey.displayLabel());
    case HotkeyRegistrar::statusBindInDesktopSettings:
        return QStringLiteral("This desktop takes shortcuts only in its own settings; see below.");
    case HotkeyRegistrar::statusUnavailable:
        return QStringLiteral("Shortcuts need an X11 session; this session has none.");
    default:
        return QStringLiteral("%1 could not be registered (status %2); choose another.")
            .arg(hotkey.displayLabel())
            .arg(status);
    }
}

} // namespace

HotkeyRecorder::HotkeyRecorder(Services services, std::function<void()> onHotkeyChange, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_onHotkeyChange(std::move(onHotkeyChange))
    , m_hotkeys { services.settings.hotkey(), services.settings.refineHotkey() }
{
}

HotkeyRecorder::~HotkeyRecorder()
{
    stop();
}

QString HotkeyRecorder::specialKeyLabel(uint32_t keyCode)
{
    static const std::pair<uint32_t, const char16_t*> labels[] = {
        { 49, u"Space" },
        { 36, u"\u21A9" },
        { 48, u"\u21E5" },
        { 51, u"\u232B" },
        { 117, u"\u2326" },
        { 123, u"\u2190" },
        { 124, u"\u2192" },
        { 126, u"\u2191" },
        { 125, u"\u2193" },
        { 115, u"\u2196" },
        { 119, u"\u2198" },
        { 116, u"\u21DE" },
        { 121, u"\u21DF" },
        { 122, u"F1" },
        { 120, u"F2" },
        { 99, u"F3" },
        { 118, u"F4" },
        { 96, u"F5" },
        { 97, u"F6" },
        { 98, u"F7" },
        { 100, u"F8" },
        { 101, u"F9" },
        { 109, u"F10" },
        { 103, u"F11" },
        { 111, u"F12" },
    };
    for (const auto& [code, label] : labels) {
        if (code == keyCode)
            return QString::fromUtf16(label);
    }
    return {};
}

HotkeyRecorderRow* HotkeyRecorder::createRow(HotkeyTarget target, QWidget* parent)
{
    auto* row = new HotkeyRecorderRow(QStringLiteral("Shortcut"), parent);
    m_rows[size_t(target)] = row;
    connect(row->button(), &QPushButton::clicked, this, [this, target] { clicked(target); });
    updateButtons();
    refreshCaptions();
    return row;
}

void HotkeyRecorder::clicked(HotkeyTarget target)
{
    if (m_recording == target) {
        stop();
        finish();
        return;
    }
    start(target);
}

void HotkeyRecorder::start(HotkeyTarget target)
{
    if (m_monitorInstalled)
        return; // one recording at a time: the other button does nothing meanwhile
    m_recording = target;
    m_services.hotkeys.unregisterAll();
    QCoreApplication::instance()->installEventFilter(this);
    m_monitorInstalled = true;
    updateButtons();
}

void HotkeyRecorder::stop()
{
    if (m_monitorInstalled)
        QCoreApplication::instance()->removeEventFilter(this);
    m_monitorInstalled = false;
    m_recording.reset();
    updateButtons();
}

void HotkeyRecorder::cancel()
{
    if (!m_recording)
        return;
    stop();
    finish();
}

void HotkeyRecorder::finish()
{
    if (m_onHotkeyChange)
        m_onHotkeyChange();
    refreshCaptions();
}

bool HotkeyRecorder::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_recording)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed, so that no shortcut of a window acts on the press.
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    handle(*static_cast<QKeyEvent*>(event));
    return true;
}

void HotkeyRecorder::handle(const QKeyEvent& event)
{
    if (!m_recording || isModifierKey(event.key()))
        return;
    const HotkeyTarget target = *m_recording;
    const std::optional<uint32_t> keyCode = m_services.hotkeys.keyCodeForNativeKey(event.nativeScanCode());
    if (event.key() == Qt::Key_Escape || keyCode == kEscape) {
        stop();
        finish();
        return;
    }
    const uint32_t mask = carbonMask(event.modifiers());
    const uint32_t qualifying = Hotkey::controlMask | Hotkey::optionMask | Hotkey::commandMask;
    const HotkeyTarget other
        = target == HotkeyTarget::translate ? HotkeyTarget::refine : HotkeyTarget::translate;
    // Two shortcuts on one combination would leave one of them dead; a key
    // outside the table could be stored but never registered.
    if (!(mask & qualifying) || !keyCode
        || (hotkey(other).keyCode == *keyCode && hotkey(other).carbonModifiers == mask)) {
        m_services.beeper.beep();
        return;
    }
    stop();
    const Hotkey recorded = hotkeyFor(*keyCode, mask);
    hotkey(target) = recorded;
    if (target == HotkeyTarget::translate)
        m_services.settings.setHotkey(recorded);
    else
        m_services.settings.setRefineHotkey(recorded);
    updateButtons();
    finish();
}

Hotkey HotkeyRecorder::hotkeyFor(uint32_t keyCode, uint32_t modifiers)
{
    QString label = specialKeyLabel(keyCode);
    if (label.isEmpty())
        label = VirtualKeyMap::characterFor(keyCode);
    if (label.isEmpty())
        label = QStringLiteral("?");
    return { keyCode, modifiers, label };
}

void HotkeyRecorder::reload()
{
    cancel();
    m_hotkeys = { m_services.settings.hotkey(), m_services.settings.refineHotkey() };
    updateButtons();
    refreshCaptions();
}

void HotkeyRecorder::updateButtons()
{
    for (HotkeyTarget target : { HotkeyTarget::translate, HotkeyTarget::refine }) {
        if (HotkeyRecorderRow* row = m_rows[size_t(target)])
            row->setButtonText(m_recording == target ? recordingPrompt : hotkey(target).displayLabel());
    }
}

void HotkeyRecorder::refreshCaptions()
{
    for (HotkeyTarget target : { HotkeyTarget::translate, HotkeyTarget::refine }) {
        if (HotkeyRecorderRow* row = m_rows[size_t(target)])
            row->setCaption(refusal(m_services.hotkeys.lastStatus(actionFor(target)), hotkey(target)));
    }
}
