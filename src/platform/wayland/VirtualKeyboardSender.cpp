// SPDX-License-Identifier: MIT
#include "VirtualKeyboardSender.h"

#include "WaylandConnection.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <QDateTime>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct KeymapDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

// Keys are sent as evdev codes, which the compositor reads through the
// keymap this keyboard uploads: a plain US one, in which Ctrl and V are
// where every layout has them.
bool uploadKeymap(zwp_virtual_keyboard_v1* keyboard, uint32_t& controlMask)
{
    std::unique_ptr<xkb_context, KeymapDeleter> context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context)
        return false;
    const xkb_rule_names names { "evdev", "pc105", "us", "", "" };
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return false;
    const xkb_mod_index_t control = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_CTRL);
    if (control == XKB_MOD_INVALID)
        return false;
    controlMask = 1u << control;
    std::unique_ptr<char, decltype(&free)> text(
        xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1), &free);
    if (!text)
        return false;
    const size_t size = strlen(text.get()) + 1;
    const int fd = memfd_create("sorvantel-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    bool written = ::write(fd, text.get(), size) == ssize_t(size);
    if (written)
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    ::close(fd);
    return written;
}

} // namespace

std::unique_ptr<VirtualKeyboardSender> VirtualKeyboardSender::open(WaylandConnection& connection)
{
    if (!connection.seat())
        return nullptr;
    auto* manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!manager)
        return nullptr;
    zwp_virtual_keyboard_v1* keyboard
        = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, connection.seat());
    // The keyboard lives on without its manager.
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    uint32_t controlMask = 0;
    if (!uploadKeymap(keyboard, controlMask) || !connection.roundtrip()) {
        zwp_virtual_keyboard_v1_destroy(keyboard);
        return nullptr;
    }
    return std::unique_ptr<VirtualKeyboardSender>(
        new VirtualKeyboardSender(connection, keyboard, controlMask));
}

VirtualKeyboardSender::VirtualKeyboardSender(
    WaylandConnection& connection, zwp_virtual_keyboard_v1* keyboard, uint32_t controlMask)
    : m_connection(connection)
    , m_keyboard(keyboard)
    , m_controlMask(controlMask)
{
}

VirtualKeyboardSender::~VirtualKeyboardSender()
{
    zwp_virtual_keyboard_v1_destroy(m_keyboard);
    m_connection.flush();
}

void VirtualKeyboardSender::sendCopy(SentHandler handler)
{
    QTimer::singleShot(0, this, [handler = std::move(handler)] { handler(false); });
}

void VirtualKeyboardSender::sendPaste(SentHandler handler)
{
    const auto time = uint32_t(QDateTime::currentMSecsSinceEpoch());
    auto key = [&](uint32_t code, bool down) {
        zwp_virtual_keyboard_v1_key(
            m_keyboard, time, code, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    };
    key(KEY_LEFTCTRL, true);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, m_controlMask, 0, 0, 0);
    key(KEY_V, true);
    key(KEY_V, false);
    key(KEY_LEFTCTRL, false);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    m_connection.flush();
    QTimer::singleShot(0, this, [handler = std::move(handler)] { handler(true); });
}
