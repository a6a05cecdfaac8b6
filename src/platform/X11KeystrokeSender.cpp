// SPDX-License-Identifier: MIT
#include "X11KeystrokeSender.h"

#include "X11Connection.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QTimer>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <set>

namespace {

// WM_CLASS classes of terminal emulators, lower-cased.
bool isTerminalClass(QByteArray name)
{
    static const std::set<QByteArray> classes { "xterm", "uxterm", "urxvt", "rxvt", "gnome-terminal",
        "gnome-terminal-server", "org.gnome.console", "kgx", "org.gnome.ptyxis", "konsole", "xfce4-terminal",
        "terminator", "tilix", "com.gexperts.tilix", "kitty", "alacritty", "org.wezfurlong.wezterm", "st",
        "st-256color", "lxterminal", "mate-terminal", "qterminal", "terminology", "guake", "yakuake", "tilda",
        "sakura", "termite", "eterm", "aterm", "mlterm", "cool-retro-term", "deepin-terminal", "foot",
        "com.mitchellh.ghostty", "contour", "rio", "hyper", "tabby", "io.elementary.terminal",
        "pantheon-terminal", "kermit", "roxterm", "lilyterm", "zutty" };
    return classes.contains(name.toLower());
}

} // namespace

bool X11KeystrokeSender::isAvailable(X11Connection& connection)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(connection.display(), &eventBase, &errorBase, &major, &minor);
}

X11KeystrokeSender::X11KeystrokeSender(X11Connection& connection)
    : m_connection(connection)
{
}

void X11KeystrokeSender::sendCopy(SentHandler handler)
{
    // Ctrl+C would interrupt the program running in a terminal; Ctrl+Insert
    // is the copy of GTK, Qt, browsers and office programs alike.
    sendWhenReleased(XK_Insert, std::move(handler));
}

void X11KeystrokeSender::sendPaste(SentHandler handler)
{
    sendWhenReleased(XK_v, std::move(handler));
}

bool X11KeystrokeSender::anyKeyHeld() const
{
    char keys[32] = {};
    XQueryKeymap(m_connection.display(), keys);
    for (char byte : keys) {
        if (byte)
            return true;
    }
    return false;
}

bool X11KeystrokeSender::focusIsTerminal() const
{
    Display* display = m_connection.display();
    bool terminal = false;
    m_connection.trapErrors([&] {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        // The focus may rest on a child of the application's top-level
        // window; the class is set on the top-level one.
        const Window root = m_connection.rootWindow();
        for (Window window = focus; window != None && window != PointerRoot && window != root;) {
            XClassHint hint {};
            if (XGetClassHint(display, window, &hint)) {
                terminal = isTerminalClass(hint.res_class) || isTerminalClass(hint.res_name);
                XFree(hint.res_name);
                XFree(hint.res_class);
                return;
            }
            Window rootReturn = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
                return;
            if (children)
                XFree(children);
            window = parent;
        }
    });
    return terminal;
}

void X11KeystrokeSender::sendWhenReleased(unsigned long keysym, SentHandler handler)
{
    auto* poll = new QTimer(this);
    poll->setInterval(releasePollInterval);
    const QDeadlineTimer deadline(releaseTimeout);
    connect(poll, &QTimer::timeout, this, [this, poll, deadline, keysym, handler = std::move(handler)] {
        // Past the bound the keystroke goes anyway: a key may be stuck, or
        // held on purpose, and the action should not silently do nothing.
        if (anyKeyHeld() && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (focusIsTerminal()) {
            handler(false);
            return;
        }
        handler(press(keysym));
    });
    poll->start();
}

bool X11KeystrokeSender::press(unsigned long keysym)
{
    Display* display = m_connection.display();
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode key = XKeysymToKeycode(display, keysym);
    // A layout without the key (or without Control): keycode 0 would be no
    // keystroke at all, so nothing is sent.
    if (control == 0 || key == 0)
        return false;
    XTestFakeKeyEvent(display, control, True, CurrentTime);
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    XFlush(display);
    return true;
}
