// SPDX-License-Identifier: MIT
#include "VirtualKeyMap.h"

#include "X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <algorithm>
#include <iterator>
#include <utility>

namespace {

struct Key {
    uint32_t virtualKeyCode;
    unsigned long keysym;
};

constexpr Key kKeys[] = {
    // letters
    { 0, XK_a },
    { 11, XK_b },
    { 8, XK_c },
    { 2, XK_d },
    { 14, XK_e },
    { 3, XK_f },
    { 5, XK_g },
    { 4, XK_h },
    { 34, XK_i },
    { 38, XK_j },
    { 40, XK_k },
    { 37, XK_l },
    { 46, XK_m },
    { 45, XK_n },
    { 31, XK_o },
    { 35, XK_p },
    { 12, XK_q },
    { 15, XK_r },
    { 1, XK_s },
    { 17, XK_t },
    { 32, XK_u },
    { 9, XK_v },
    { 13, XK_w },
    { 7, XK_x },
    { 16, XK_y },
    { 6, XK_z },
    // digits
    { 29, XK_0 },
    { 18, XK_1 },
    { 19, XK_2 },
    { 20, XK_3 },
    { 21, XK_4 },
    { 23, XK_5 },
    { 22, XK_6 },
    { 26, XK_7 },
    { 28, XK_8 },
    { 25, XK_9 },
    // punctuation of the ANSI layout
    { 27, XK_minus },
    { 24, XK_equal },
    { 33, XK_bracketleft },
    { 30, XK_bracketright },
    { 42, XK_backslash },
    { 41, XK_semicolon },
    { 39, XK_apostrophe },
    { 43, XK_comma },
    { 47, XK_period },
    { 44, XK_slash },
    { 50, XK_grave },
    // editing and navigation
    { 49, XK_space },
    { 36, XK_Return },
    { 48, XK_Tab },
    { 51, XK_BackSpace },
    { 117, XK_Delete },
    { 53, XK_Escape },
    { 123, XK_Left },
    { 124, XK_Right },
    { 125, XK_Down },
    { 126, XK_Up },
    { 115, XK_Home },
    { 119, XK_End },
    { 116, XK_Page_Up },
    { 121, XK_Page_Down },
    // function keys
    { 122, XK_F1 },
    { 120, XK_F2 },
    { 99, XK_F3 },
    { 118, XK_F4 },
    { 96, XK_F5 },
    { 97, XK_F6 },
    { 98, XK_F7 },
    { 100, XK_F8 },
    { 101, XK_F9 },
    { 109, XK_F10 },
    { 103, XK_F11 },
    { 111, XK_F12 },
};

} // namespace

unsigned long VirtualKeyMap::keysymFor(uint32_t virtualKeyCode)
{
    const auto it = std::find_if(std::begin(kKeys), std::end(kKeys),
        [&](const Key& key) { return key.virtualKeyCode == virtualKeyCode; });
    return it == std::end(kKeys) ? 0 : it->keysym;
}

std::optional<uint32_t> VirtualKeyMap::virtualKeyFor(unsigned long keysym)
{
    const auto it = std::find_if(
        std::begin(kKeys), std::end(kKeys), [&](const Key& key) { return key.keysym == keysym; });
    if (it == std::end(kKeys))
        return std::nullopt;
    return it->virtualKeyCode;
}

std::optional<uint32_t> VirtualKeyMap::virtualKeyForX11Keycode(X11Connection& x11, unsigned int x11Keycode)
{
    if (x11Keycode < 8 || x11Keycode > 255)
        return std::nullopt;
    return virtualKeyFor(XkbKeycodeToKeysym(x11.display(), KeyCode(x11Keycode), 0, 0));
}

QString VirtualKeyMap::characterFor(uint32_t virtualKeyCode)
{
    // Keysyms of printable ASCII characters are the characters themselves.
    const unsigned long keysym = keysymFor(virtualKeyCode);
    if (keysym <= XK_space || keysym > XK_asciitilde)
        return {};
    return QString(QChar(char16_t(keysym))).toUpper();
}

unsigned int VirtualKeyMap::x11ModifiersFor(uint32_t carbonModifiers)
{
    unsigned int mask = 0;
    if (carbonModifiers & 2048)
        mask |= Mod1Mask;
    if (carbonModifiers & 4096)
        mask |= ControlMask;
    if (carbonModifiers & 512)
        mask |= ShiftMask;
    if (carbonModifiers & 256)
        mask |= Mod4Mask;
    return mask;
}

namespace {

// Qt names printable ASCII keys by their upper-case character, as X does
// by the lower-case one; the rest of the table by name.
constexpr std::pair<unsigned long, int> kNamed[] = {
    { XK_Return, Qt::Key_Return },
    { XK_Tab, Qt::Key_Tab },
    { XK_BackSpace, Qt::Key_Backspace },
    { XK_Delete, Qt::Key_Delete },
    { XK_Escape, Qt::Key_Escape },
    { XK_Left, Qt::Key_Left },
    { XK_Right, Qt::Key_Right },
    { XK_Down, Qt::Key_Down },
    { XK_Up, Qt::Key_Up },
    { XK_Home, Qt::Key_Home },
    { XK_End, Qt::Key_End },
    { XK_Page_Up, Qt::Key_PageUp },
    { XK_Page_Down, Qt::Key_PageDown },
};

// Carbon modifier bits and their Qt ones.
constexpr std::pair<uint32_t, int> kModifiers[] = {
    { 2048, Qt::ALT },
    { 4096, Qt::CTRL },
    { 512, Qt::SHIFT },
    { 256, Qt::META },
};

} // namespace

int VirtualKeyMap::qtKeyCombinationFor(uint32_t virtualKeyCode, uint32_t carbonModifiers)
{
    const unsigned long keysym = keysymFor(virtualKeyCode);
    int key = 0;
    if (keysym >= XK_space && keysym <= XK_asciitilde)
        key = QChar::toUpper(char32_t(keysym));
    else if (keysym >= XK_F1 && keysym <= XK_F12)
        key = Qt::Key_F1 + int(keysym - XK_F1);
    for (const auto& [named, qtKey] : kNamed) {
        if (named == keysym)
            key = qtKey;
    }
    if (!key)
        return 0;
    for (const auto& [carbon, qt] : kModifiers) {
        if (carbonModifiers & carbon)
            key |= qt;
    }
    return key;
}

std::optional<VirtualKeyMap::Combination> VirtualKeyMap::combinationForQtKey(int qtKeyCombination)
{
    const int key = qtKeyCombination & ~int(Qt::KeyboardModifierMask);
    unsigned long keysym = 0;
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        keysym = QChar::toLower(char32_t(key));
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        keysym = XK_F1 + unsigned(key - Qt::Key_F1);
    for (const auto& [named, qtKey] : kNamed) {
        if (qtKey == key)
            keysym = named;
    }
    const std::optional<uint32_t> virtualKey = virtualKeyFor(keysym);
    if (!virtualKey)
        return std::nullopt;
    Combination combination { *virtualKey, 0 };
    for (const auto& [carbon, qt] : kModifiers) {
        if (qtKeyCombination & qt)
            combination.carbonModifiers |= carbon;
    }
    return combination;
}
